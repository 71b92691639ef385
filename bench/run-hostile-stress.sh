#!/usr/bin/env bash
# Compresses many damaged PDFs in place, each in a process group of its own,
# and stops any run that outlives its time limit with SIGTERM to that group,
# as a user or a session manager would. Then checks that nothing was left
# behind: no working file beside the documents and no engine process.
#
#   bench/run-hostile-stress.sh [COUNT] [SECONDS]
#
# The damaged files are cut and scrambled copies of the shared corpus, written
# to build/hostile (COUNT per corpus file, 4 by default; 120 s per run).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/capped-run.sh"
build="${ZURBO_BUILD_DIR:-$root/build}"
corpus="${ZURBO_CORPUS_DIR:-$root/../shared/corpus}"
count="${1:-4}"
limit="${2:-120}"
work="$build/hostile"

"$root/scripts/build.sh" >/dev/null || exit 1
[ -d "$corpus" ] || { echo "no corpus at $corpus" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work"

# Every third copy is cut at a random point; each gets a few random runs of bytes.
for source in "$corpus"/*.pdf; do
    size=$(stat -c %s "$source")
    for ((i = 0; i < count; i++)); do
        damaged="$work/$(basename "$source" .pdf)-$i.pdf"
        keep=$size
        ((i % 3 == 2)) && keep=$((size / 2 + RANDOM * RANDOM % (size / 2 + 1)))
        head -c "$keep" "$source" >"$damaged"
        cut=$(stat -c %s "$damaged")
        for ((j = 0; j < 1 + i % 4; j++)); do
            head -c $((1 + RANDOM % 64)) /dev/urandom |
                dd of="$damaged" bs=1 seek=$((RANDOM * RANDOM % (cut + 1))) conv=notrunc status=none
        done
    done
done

started=$(date +%s)
stopped=0 failed=0 done=0
for file in "$work"/*.pdf; do
    capped_run "$limit" /dev/null /dev/null "$build/zurbo-compress" --in-place "$file"
    status=$?
    stopped=$((stopped + capped_stopped))
    [ "$status" -eq 0 ] && done=$((done + 1))
    [ "$status" -ne 0 ] && [ "$status" -lt 128 ] && failed=$((failed + 1))
done

leftovers=$(find "$work" -name '.zurbo-*' | wc -l)
engines=$(pgrep -f "$work" | wc -l)
echo "files: $(ls "$work"/*.pdf | wc -l), compressed: $done, refused: $failed, stopped after ${limit}s: $stopped"
echo "time: $(($(date +%s) - started)) s; working files left: $leftovers; engine processes left: $engines"
[ "$leftovers" -eq 0 ] && [ "$engines" -eq 0 ]
