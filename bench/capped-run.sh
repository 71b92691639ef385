# Sourced by the benchmarks that run zurbo-compress as a user would.
#
#   capped_run SECONDS OUT ERR COMMAND [ARGUMENT...]
#
# Runs COMMAND in a process group of its own, its standard output and error to
# OUT and ERR, and stops the whole group with SIGTERM once it has run for
# SECONDS, as a user or a session manager would. Returns the command's exit
# status; capped_stopped is 1 when the cap stopped it, else 0.
capped_run() {
    local limit=$1 out=$2 err=$3 run waited
    shift 3
    setsid "$@" >"$out" 2>"$err" &
    run=$!
    for ((waited = 0; waited < limit * 10; waited++)); do
        kill -0 "$run" 2>/dev/null || break
        sleep 0.1
    done
    capped_stopped=0
    if kill -0 "$run" 2>/dev/null; then
        kill -TERM -- "-$run"
        capped_stopped=1
    fi
    wait "$run"
}
