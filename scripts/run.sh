#!/usr/bin/env bash
# Sets up, builds and starts Zurbo's main job: for now, the command-line
# compressor run on a sample PDF the project generates.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${ZURBO_BUILD_DIR:-$root/build}"
sample="$build/sample/sample.pdf"
mkdir -p "$(dirname "$sample")"
"$build/zurbo-make-sample" "$sample" 3
exec "$build/zurbo-compress" "$sample" "$@"
