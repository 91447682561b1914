#!/bin/sh
# Line and branch coverage of the library and the simulated platform by the
# test suite (gcc --coverage, reported by gcovr: scripts/install-deps.sh coverage).
# Usage: scripts/coverage.sh [BUILD_DIR]; the reports are written beside the
# build as coverage-lines.txt and coverage-branches.txt, and whole as
# coverage.json for scripts/coverage-compare.py.
set -eu
dir=${1:-build-cov}
jobs=$(nproc)
# The coverage preset; another folder than its build-cov/ is given with -B.
cmake --preset coverage -B "$dir" >/dev/null
cmake --build "$dir" -j "$jobs"
find "$dir" -name '*.gcda' -delete
# The test preset leaves out the ABI check (the gcov runtime adds imports), the
# memory check and the minute-long load test, which cover nothing the others do not.
ctest --preset coverage --test-dir "$dir" -j "$jobs" >"$dir/ctest.log" || { tail -40 "$dir/ctest.log"; exit 1; }
report() { gcovr -r . "$dir" --filter src/ --filter sim/ --gcov-ignore-parse-errors "$@" 2>/dev/null; }
report >"$dir/coverage-lines.txt"
report --branches >"$dir/coverage-branches.txt"
report --json "$dir/coverage.json"
echo "lines:    $(tail -2 "$dir/coverage-lines.txt" | head -1)"
echo "branches: $(tail -2 "$dir/coverage-branches.txt" | head -1)"
