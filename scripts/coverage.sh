#!/bin/sh
# Line and branch coverage of the library and the simulated platform by the
# test suite (gcc --coverage, reported by gcovr: apt-get install gcovr).
# Usage: scripts/coverage.sh [BUILD_DIR]; the reports are written beside the
# build as coverage-lines.txt and coverage-branches.txt, and whole as
# coverage.json for scripts/coverage-compare.py.
set -eu
dir=${1:-build-cov}
jobs=$(nproc)
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage \
    -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$dir" -j "$jobs"
find "$dir" -name '*.gcda' -delete
# Left out: the ABI check (the gcov runtime adds imports), the memory check and
# the minute-long load test, which cover nothing the others do not.
ctest --test-dir "$dir" -j "$jobs" -LE valgrind -E '^abi$|TwentyWlancmdClients' --output-on-failure >"$dir/ctest.log" ||
    { tail -40 "$dir/ctest.log"; exit 1; }
report() { gcovr -r . "$dir" --filter src/ --filter sim/ --gcov-ignore-parse-errors "$@" 2>/dev/null; }
report >"$dir/coverage-lines.txt"
report --branches >"$dir/coverage-branches.txt"
report --json "$dir/coverage.json"
echo "lines:    $(tail -2 "$dir/coverage-lines.txt" | head -1)"
echo "branches: $(tail -2 "$dir/coverage-branches.txt" | head -1)"
