#!/usr/bin/env bash
# Compresses every PDF of a folder in place, one after another, as a user
# does, each on a copy of its own and in a process group of its own; a run
# still going after the cap is stopped with SIGTERM to that group. Then counts
# the files compressed, those refused (grouped by the refusal's text), those
# stopped, and which engine made each output, and names the slowest run.
#
#   bench/run-reliability.sh [FOLDER] [ENGINE] [SECONDS]
#
# FOLDER defaults to the shared corpus; ENGINE is what --engine takes (auto by
# default, native to measure the native engine alone); SECONDS is the cap of
# one run, 120 by default. ZURBO_COMPRESS names another zurbo-compress to
# measure, for a before and after. The copies go to build/reliability.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/capped-run.sh"
build="${ZURBO_BUILD_DIR:-$root/build}"
folder="${1:-${ZURBO_CORPUS_DIR:-$root/../shared/corpus}}"
engine="${2:-auto}"
limit="${3:-120}"
command="${ZURBO_COMPRESS:-$build/zurbo-compress}"
work="$build/reliability/$engine"

[ -n "${ZURBO_COMPRESS:-}" ] || "$root/scripts/build.sh" >/dev/null || exit 1
[ -d "$folder" ] || { echo "no folder at $folder" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work"

compressed=0 refused=0 stopped=0 slowest=0 slowestFile=""
declare -A reasons engines
for source in "$folder"/*.pdf; do
    copy="$work/$(basename "$source")"
    cp "$source" "$copy" && chmod u+w "$copy"
    started=$(date +%s%N)
    capped_run "$limit" "$work/out" "$work/err" "$command" --in-place --engine "$engine" -- "$copy"
    status=$?
    if ((capped_stopped)); then
        stopped=$((stopped + 1))
        echo "stopped: $(basename "$source")" >&2
    fi
    elapsed=$((($(date +%s%N) - started) / 1000000))
    if ((elapsed > slowest)); then
        slowest=$elapsed slowestFile=$(basename "$source")
    fi
    if [ "$status" -eq 0 ]; then
        compressed=$((compressed + 1))
        # The report line ends with the engine that made the output, when it says.
        by=$(sed -n 's/.*, con \(.*\)$/\1/p' "$work/out")
        engines["${by:-(not said)}"]=$((${engines["${by:-(not said)}"]:-0} + 1))
    elif [ "$status" -lt 128 ]; then
        refused=$((refused + 1))
        reason=$(sed "s|^$copy: ||" "$work/err" | head -n 1)
        reasons["$reason"]=$((${reasons["$reason"]:-0} + 1))
        echo "refused: $(basename "$source"): $reason" >&2
    fi
done
rm -f "$work/out" "$work/err"

echo "folder: $folder, engine: $engine, cap: ${limit} s"
echo "files: $(ls "$folder"/*.pdf | wc -l), compressed: $compressed, refused: $refused," \
     "stopped: $stopped"
for by in "${!engines[@]}"; do
    echo "  made by $by: ${engines[$by]}"
done
for reason in "${!reasons[@]}"; do
    echo "  refused ${reasons[$reason]}×: $reason"
done
echo "slowest: $slowestFile, $((slowest / 1000)).$(printf %03d $((slowest % 1000))) s"
echo "working files left: $(find "$work" -name '.zurbo-*' | wc -l)"
