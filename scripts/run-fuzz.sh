#!/bin/sh
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan) in
# build-fuzz/ and runs each for N seconds (default 10) from its checked-in
# seeds. Usage: scripts/run-fuzz.sh [SECONDS] [TARGET...]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-10}
[ $# -gt 0 ] && shift
build=${QZ_FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=OFF \
    -DQZ_BUILD_FUZZ=ON -DQZ_SANITIZE=address,undefined >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_all >/dev/null

targets=${*:-$(ls fuzz/*.cpp | xargs -n1 basename | sed 's/\.cpp$//' | grep -v '^fuzz_support$')}
status=0
for t in $targets; do
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    echo "fuzz_$t: ${seconds}s"
    # New inputs go to the build's corpus; the checked-in seeds are only read.
    if ! "$build/bin/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/" \
        "$corpus" "fuzz/corpus/$t" >"$build/fuzz_$t.log" 2>&1; then
        echo "fuzz_$t FAILED:"
        tail -40 "$build/fuzz_$t.log"
        status=1
    else
        grep -E '^stat::number_of_executed_units' "$build/fuzz_$t.log" || true
    fi
done
exit $status
