#!/usr/bin/env bash
# Sets up, builds and starts Zurbo's main window. Extra arguments go to the application.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${ZURBO_BUILD_DIR:-$root/build}"
exec "$build/zurbo" "$@"
