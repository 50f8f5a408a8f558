#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor. Arguments: an INI file to
# open (the shipped example when none is given).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
build="${TARNWICK_BUILD_DIR:-$here/build}"
exec "$build/src/tarnwick" "${@:-$here/examples/example.ini}"
