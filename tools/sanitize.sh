#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs it with CTest. Any sanitizer report fails the run.
#
#   tools/sanitize.sh [ctest arguments...]
#
# SANITIZE_JOBS (default 2) sets the build's and CTest's parallelism.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-asan"
jobs=${SANITIZE_JOBS:-2}
"$here/tools/deps.sh"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DTARNWICK_SANITIZE=ON -DTARNWICK_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"

# Leak checking stays on: Qt's own allocations at exit are not reported as leaks here.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
ctest --test-dir "$build" --output-on-failure --parallel "$jobs" "$@"
