#!/usr/bin/env bash
# Compresses 100 small PDFs in one zurbo-compress run with --jobs 1, 2 and 0
# (one per processor) and prints, as a Markdown table, the wall and CPU time
# (user and system, engine tools included) of the fastest of three runs each
# (ZURBO_BENCH_REPEATS), the three counts taking turns.
# Target: --jobs 2 within 0.6 of --jobs 1's wall time on two cores.
#
#   bench/run-jobs-bench.sh [FOLDER]
#
# The files are copies, round the circle, of the PDFs of at most 200 kB in
# FOLDER (the shared corpus by default), written to build/jobs-bench.
# ZURBO_BENCH_ENGINE picks the engine (native by default; auto, ghostscript, qpdf).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZURBO_BUILD_DIR:-$root/build}"
folder="${1:-${ZURBO_CORPUS_DIR:-$root/../shared/corpus}}"
engine="${ZURBO_BENCH_ENGINE:-native}"
repeats="${ZURBO_BENCH_REPEATS:-3}"
work="$build/jobs-bench"

"$root/scripts/build.sh" >/dev/null
mapfile -t small < <(find "$folder" -maxdepth 1 -name '*.pdf' -type f -size -201k | sort)
((${#small[@]} > 0)) || { echo "no PDF of at most 200 kB in $folder" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work"
for ((i = 0; i < 100; i++)); do
    cp "${small[i % ${#small[@]}]}" "$(printf '%s/f%03d.pdf' "$work" "$i")"
done
size=$(du -sh "$work" | cut -f1)

# "wall user system" of one run; a file that fails (a locked or damaged
# source) fails the same way with any number of jobs, so the status is ignored.
measure() {
    rm -f "$work"/*.zurbo.pdf
    /usr/bin/time -f '%e %U %S' -o "$work/time" \
        "$build/zurbo-compress" --jobs "$1" --engine "$engine" --json "$work"/f*.pdf \
        >"$work/jobs-$1.json" 2>/dev/null || true
    tail -n 1 "$work/time"
}

# Runs take turns, so that a machine busy for a while slows each count alike.
declare -A wall cpu
for ((run = 0; run < repeats; run++)); do
    for jobs in 1 2 0; do
        read -r seconds user system < <(measure "$jobs")
        if [[ -z "${wall[$jobs]:-}" ]] || awk "BEGIN { exit !($seconds < ${wall[$jobs]}) }"; then
            wall[$jobs]=$seconds
            cpu[$jobs]=$(awk "BEGIN { print $user + $system }")
        fi
        cmp -s "$work/jobs-1.json" "$work/jobs-$jobs.json" ||
            echo "results of --jobs $jobs differ from --jobs 1" >&2
    done
done

echo "100 files, $size from ${#small[@]} PDFs, engine $engine, $(nproc) processors, fastest of $repeats"
echo
echo "| --jobs | wall (s) | CPU (s) | wall / --jobs 1 |"
echo "| --- | --- | --- | --- |"
for jobs in 1 2 0; do
    echo "| $jobs | ${wall[$jobs]} | ${cpu[$jobs]} | $(awk "BEGIN { printf \"%.2f\", ${wall[$jobs]} / ${wall[1]} }") |"
done
