#!/bin/sh
# Runs one golden session in a fresh sandbox and compares its transcript
# with the expected one byte for byte (a unified diff when they differ).
# Usage: run-session.sh WLAN_HOST SESSION [--update]
# The session's "#! " line, if any, gives more wlan_host options (profiles
# named relative to the source tree); the clock and seed default to fixed ones.
# QZ_EMULATOR (qemu-arm -L SYSROOT) runs a cross-built host.
set -eu
host=$1
session=$2
expected=${session%.session}.transcript
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qz_golden.XXXXXX")
trap 'rm -rf "$work"' EXIT

options=$(sed -n 's/^#! //p' "$session" | tr '\n' ' ')
# shellcheck disable=SC2086 # the emulator and the options are word lists
(cd "$source_dir" && eval ${QZ_EMULATOR:-} "\"$host\"" --root "\"$work/root\"" --socket "\"$work/s\"" \
    --clock "'2026-03-01 08:00:00'" --seed 1 $options --script "\"$session\"" \
    --transcript "\"$work/transcript\"" >"$work/out" 2>&1) || {
    echo "the session did not go as written:"
    cat "$work/out"
    exit 1
}
if [ "${3:-}" = --update ]; then
    cp "$work/transcript" "$expected"
    echo "updated $expected"
    exit 0
fi
diff -u "$expected" "$work/transcript"
