#!/usr/bin/env bash
# Installs the Debian packages Tarnwick needs that are not there yet, then configures
# and builds it in build/. Safe to run again: it installs and rebuilds only what is
# missing or changed. TARNWICK_BENCH=ON also builds the benchmarks; extra arguments go
# to CMake's configure step.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

groups=()
[[ "${TARNWICK_BENCH:-OFF}" == ON ]] && groups+=(bench)
"$here/tools/deps.sh" "${groups[@]}"

build="${TARNWICK_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${TARNWICK_BUILD_TYPE:-RelWithDebInfo}" \
  -DTARNWICK_WERROR=ON -DTARNWICK_BUILD_BENCH="${TARNWICK_BENCH:-OFF}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
