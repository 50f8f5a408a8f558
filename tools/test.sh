#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite with CTest.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh" "$@"
build="${TARNWICK_BUILD_DIR:-$here/build}"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
