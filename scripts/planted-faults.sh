#!/bin/sh
# Plants one-line faults in a scratch copy of the tree, one at a time, and
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
cmake --preset default -S "$scratch/src" -B "$scratch/build" >/dev/null
cmake --build "$scratch/build" -j "$(nproc)" >/dev/null

# file|line|text on that line|its replacement|the fault
faults=$(cat <<'TABLE'
src/log/wlan_log.cpp|139|uiWritePos + len >= WLAN_LOG_RING_SIZE|uiWritePos + len > WLAN_LOG_RING_SIZE|ring bound off by one: a record that ends on the ring's last byte is not wrapped
src/shell/wlan_debug_catalogue.cpp|42|clear wlan log.|clear wlan logs.|help text of "clear log"
src/airinterface/wlan_airInterfacelog.cpp|470|rate, user->powerSave == 1 ? "on" : "off"|user->powerSave == 1 ? "on" : "off", rate|record line: rate and power-save fields swapped
src/util/wlan_base_url.cpp|90|WLAN_LAST_WORD(1, 0, 0);|(void)0;|a port without a path is not reported
src/log/wlan_log_topo.cpp|103|fileSize > WLAN_TOPO_FILE_LIMIT|fileSize >= WLAN_TOPO_FILE_LIMIT|topology file closed at 131072 bytes instead of past them
src/airinterface/wlan_airInterfacelog.cpp|348|realTimeTxRate > WLAN_AIR_RATE_THRESHOLD|realTimeTxRate >= WLAN_AIR_RATE_THRESHOLD|anchor threshold: a rate of exactly 2048 counts as heavy
src/util/wlan_mac_api.cpp|29|%.11s:XX:XX|%.11s-XX:XX|masked MAC with a wrong separator
src/util/wlan_base_url.cpp|84|"80"|"8080"|URL port default 8080 instead of 80
src/util/wlan_datatrans_api.cpp|73|text[2 * count] = '\0';|(void)text;|hex text left without its terminator
src/util/wlan_base_url.cpp|91|return 1;|return 0;|a port without a path answers success
src/airinterface/wlan_airinterface_internal.h|19|50000u|49999u|record file packed at 49999 lines
include/qz_wlan_roam_topo.h|50|131072u|131071u|topology file limit 131071 bytes
TABLE
)

printf '%s\n' "$faults" | while IFS='|' read -r file line old new what; do
    target="$scratch/src/$file"
    cp "$target" "$target.orig"
    python3 - "$target" "$line" "$old" "$new" <<'PY' || { echo "$file:$line: text not found"; exit 1; }
import sys
path, line, old, new = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
lines = open(path).read().split("\n")
if old not in lines[line - 1]:
    sys.exit(1)
lines[line - 1] = lines[line - 1].replace(old, new, 1)
open(path, "w").write("\n".join(lines))
PY
    failed=""
    if ! cmake --build "$scratch/build" -j "$(nproc)" >"$scratch/build.log" 2>&1; then
        failed="(does not build)"
    else
        ctest --test-dir "$scratch/build" -j "$(nproc)" -LE 'valgrind|soak' -E 'TwentyWlancmdClients' \
            >"$scratch/ctest.log" 2>&1 || true
        failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$scratch/ctest.log" | tr '\n' ' ')
    fi
    echo "$file:$line  $what"
    echo "    ${failed:-NOT CAUGHT}"
    mv "$target.orig" "$target"
    touch "$target"  # newer than the faulted build, so the next build undoes it
done
