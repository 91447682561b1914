#!/bin/sh
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan) in
# build-fuzz/ and runs each for N seconds (default 10) from its checked-in
# seeds. Usage: scripts/run-fuzz.sh [SECONDS] [TARGET...]
# With QZ_FUZZ_MERGE=1 (make fuzz-long) the inputs that add coverage are
# merged into the checked-in corpora afterwards (libFuzzer's -merge=1 keeps
# them small), and every crash or leak input becomes a seed there.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-10}
[ $# -gt 0 ] && shift
build=${QZ_FUZZ_BUILD_DIR:-build-fuzz}

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_all >/dev/null

targets=${*:-$(ls fuzz/*.cpp | xargs -n1 basename | sed 's/\.cpp$//' | grep -v '^fuzz_support$')}
status=0
for t in $targets; do
    corpus="$build/corpus/$t"
    artifacts="$build/artifacts/$t"
    mkdir -p "$corpus" "$artifacts"
    echo "fuzz_$t: ${seconds}s"
    # New inputs go to the build's corpus; the checked-in seeds are only read.
    if ! "$build/bin/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "fuzz/corpus/$t" >"$build/fuzz_$t.log" 2>&1; then
        echo "fuzz_$t FAILED:"
        tail -40 "$build/fuzz_$t.log"
        status=1
    else
        executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz_$t.log")
        coverage=$(grep -E '^#[0-9]+' "$build/fuzz_$t.log" | tail -n 1 | grep -oE '(cov|ft): [0-9]+' | tr '\n' ' ')
        echo "  executions $executed, $coverage"
    fi
    if [ "${QZ_FUZZ_MERGE:-0}" = 1 ]; then
        for a in "$artifacts"/*; do
            [ -f "$a" ] && cp "$a" "fuzz/corpus/$t/$(basename "$a")" && echo "  kept $(basename "$a") as a seed"
        done
        # The merged inputs (named by their SHA-1) are chosen afresh from the
        # old ones and the run's, so the corpus stays minimal from run to run;
        # seeds with names of their own (hand-made, crashes) are always kept.
        before=$(ls "fuzz/corpus/$t" | wc -l)
        merged=$(mktemp -d)
        if "$build/bin/fuzz_$t" -merge=1 "$merged" "fuzz/corpus/$t" "$corpus" >"$build/fuzz_$t.merge.log" 2>&1; then
            find "fuzz/corpus/$t" -type f -regextype posix-extended -regex '.*/[0-9a-f]{40}' -delete
            for m in "$merged"/*; do
                [ -f "$m" ] || continue
                dup=0
                for kept in "fuzz/corpus/$t"/*; do cmp -s "$m" "$kept" && dup=1 && break; done
                [ $dup -eq 1 ] || cp "$m" "fuzz/corpus/$t/"
            done
        else
            tail -20 "$build/fuzz_$t.merge.log"
            status=1
        fi
        rm -rf "$merged"
        echo "  corpus: $before -> $(ls "fuzz/corpus/$t" | wc -l) inputs"
    fi
done
exit $status
