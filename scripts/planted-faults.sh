#!/bin/sh
# Plants small faults in a scratch copy of the tree, one at a time, and
# runs the suite on each: a fault that no test fails on is a gap in the suite.
# Usage: scripts/planted-faults.sh [SCRATCH_DIR]  (default: a fresh temporary
# directory). Prints, per fault, the tests that failed ("NOT CAUGHT" if none).
# The soak, the memory check and the minute-long load test are left out: they
# look for what the other tests cannot (leaks, races, load), not for a value.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
scratch=${1:-$(mktemp -d "${TMPDIR:-/tmp}/qz_faults.XXXXXX")}
mkdir -p "$scratch/src"
(cd "$source_dir" && git ls-files -z | xargs -0 cp --parents -t "$scratch/src")

# file|text|its replacement|the fault. The text must occur exactly once in its
# file, so that a fault stays put while lines move; "\n" in it is a line break.
faults=$(cat <<'TABLE'
src/log/wlan_log.cpp|uiWritePos + len >= WLAN_LOG_RING_SIZE|uiWritePos + len > WLAN_LOG_RING_SIZE|ring bound off by one: a record that ends on the ring's last byte is not wrapped
src/shell/wlan_debug_catalogue.cpp|clear wlan log.|clear wlan logs.|help text of "clear log"
src/airinterface/wlan_airInterfacelog.cpp|rate, user->powerSave == 1 ? "on" : "off"|user->powerSave == 1 ? "on" : "off", rate|record line: rate and power-save fields swapped
src/util/wlan_base_url.cpp|StrChr(colon + 1, '/');\n    if (slash == nullptr) {\n        WLAN_LAST_WORD(1, 0, 0);|StrChr(colon + 1, '/');\n    if (slash == nullptr) {\n        (void)0;|a port without a path is not reported
src/log/wlan_log_topo.cpp|fileSize > WLAN_TOPO_FILE_LIMIT|fileSize >= WLAN_TOPO_FILE_LIMIT|topology file closed at 131072 bytes instead of past them
src/airinterface/wlan_airInterfacelog.cpp|realTimeTxRate > WLAN_AIR_RATE_THRESHOLD|realTimeTxRate >= WLAN_AIR_RATE_THRESHOLD|anchor threshold: a rate of exactly 2048 counts as heavy
src/util/wlan_mac_api.cpp|%.11s:XX:XX|%.11s-XX:XX|masked MAC with a wrong separator
src/util/wlan_base_url.cpp|"80"|"8080"|URL port default 8080 instead of 80
src/util/wlan_datatrans_api.cpp|text[2 * count] = '\0';|(void)text;|hex text left without its terminator
src/util/wlan_base_url.cpp|StrChr(colon + 1, '/');\n    if (slash == nullptr) {\n        WLAN_LAST_WORD(1, 0, 0);\n        return 1;|StrChr(colon + 1, '/');\n    if (slash == nullptr) {\n        WLAN_LAST_WORD(1, 0, 0);\n        return 0;|a port without a path answers success
src/airinterface/wlan_airinterface_internal.h|50000u|49999u|record file packed at 49999 lines
include/qz_wlan_roam_topo.h|131072u|131071u|topology file limit 131071 bytes
TABLE
)

# Every text is checked before anything is built, so that a table that no
# longer matches the tree fails at once.
plant() {
    python3 - "$@" <<'PY'
import sys
path, old, new, apply = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4] == "apply"
old, new = old.replace("\\n", "\n"), new.replace("\\n", "\n")
text = open(path).read()
found = text.count(old)
if found != 1:
    sys.exit(f"{path}: the fault's text is found {found} times, not once: {sys.argv[2]}")
if apply:
    open(path, "w").write(text.replace(old, new, 1))
PY
}
printf '%s\n' "$faults" | while IFS='|' read -r file old new what; do
    plant "$scratch/src/$file" "$old" "$new" check
done
cmake --preset default -S "$scratch/src" -B "$scratch/build" >/dev/null
cmake --build "$scratch/build" -j "$(nproc)" >/dev/null

printf '%s\n' "$faults" | while IFS='|' read -r file old new what; do
    target="$scratch/src/$file"
    cp "$target" "$target.orig"
    plant "$target" "$old" "$new" apply
    failed=""
    if ! cmake --build "$scratch/build" -j "$(nproc)" >"$scratch/build.log" 2>&1; then
        failed="(does not build)"
    else
        ctest --test-dir "$scratch/build" -j "$(nproc)" -LE 'valgrind|soak' -E 'TwentyWlancmdClients' \
            >"$scratch/ctest.log" 2>&1 || true
        failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$scratch/ctest.log" | tr '\n' ' ')
    fi
    echo "$file  $what"
    echo "    ${failed:-NOT CAUGHT}"
    mv "$target.orig" "$target"
    touch "$target"  # newer than the faulted build, so the next build undoes it
done
