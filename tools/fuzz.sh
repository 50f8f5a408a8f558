#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for a bounded
# time, starting from the INI files under tests/data.
#
#   tools/fuzz.sh [seconds-per-target] [target...]
#
# Seconds default to 30; targets default to all (reader, roundtrip, codec, legacy). Inputs that
# libFuzzer finds interesting stay in build-fuzz/corpus/<target>/ for the next run; a
# crash is saved as build-fuzz/crash-<target>-* and makes the script fail.
# FUZZ_MAX_LEN (default 20000 bytes) bounds an input; it is above the legacy codec's
# run size so that long lines cross run boundaries.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reader roundtrip codec legacy)
build="$here/build-fuzz"
jobs=${FUZZ_BUILD_JOBS:-2}
"$here/tools/deps.sh" checks

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNWICK_BUILD_FUZZ=ON -DTARNWICK_BUILD_TESTS=OFF -DTARNWICK_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs" --target fuzz

# A few seeds that tests/data has no room for: lines longer than the legacy codec's
# 16 KiB run (clean and broken), NUL bytes and lone CRs in UTF-16.
seeds="$build/seeds"
mkdir -p "$seeds"
gbk_line() { printf '[S]\r\nk='; for _ in $(seq 9000); do printf "$1"; done; printf '\r\n'; }
gbk_line '\xc4\xe3' >"$seeds/long_gbk_line.ini"
gbk_line '\xc4\xe3\x81' >"$seeds/long_broken_gbk_line.ini"
printf '\xff\xfe[\0S\0]\0\r\0k\0=\0\0\0v\0\r\0\n\0\0\xd8' >"$seeds/utf16_nul_lone_cr.ini"
printf '\xef\xbb\xbfk=\0\r[\x80]\rx=\xc3\r\n' >"$seeds/utf8_bom_nul_cr.ini"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== fuzz_$target for ${seconds}s"
    if ! "$build/fuzz/fuzz_$target" "$corpus" "$seeds" "$here/tests/data/read" "$here/tests/data/roundtrip" "$here/tests/data/escapes" "$here/tests/data/encodings" -dict="$here/fuzz/ini.dict" \
            -max_len="${FUZZ_MAX_LEN:-20000}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$build/crash-$target-" -print_final_stats=1 2>"$build/fuzz_$target.log"; then
        status=1
        tail -n 60 "$build/fuzz_$target.log"
        echo "== fuzz_$target FAILED (log: $build/fuzz_$target.log)"
    else
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|^#[0-9]+ *DONE' \
            "$build/fuzz_$target.log" || true
    fi
done
exit $status
