#!/bin/sh
# Every text of a documented table that the library writes must appear in at
# least one expected transcript or test source, so that a wrong text fails a
# test. The texts are written out here, as documented (control characters
# left off: transcripts show them as line breaks, sources as escapes).
# Usage: check-tables.sh [SOURCE_DIR]   (exit 1 and the list of texts missing)
set -eu
src=${1:-$(cd "$(dirname "$0")/.." && pwd)}
missing=0
while IFS= read -r text; do
    [ -n "$text" ] || continue
    if ! grep -rqF -- "$text" "$src"/tests/golden/*.transcript "$src"/tests/unit "$src"/tests/c; then
        echo "not pinned: $text"
        missing=$((missing + 1))
    fi
done <<'TEXTS'
NETLINK ONLINE
SMARTLINK_ONLINE
SCAN START
SCAN END
SCAN FAILED
JUDGE SUCCESS
JUDGE FAILED
MOVE START
MOVE END
MOVE TIMEOUT
NETLINK OFFLINE
SMARTLINK OFFLINE
KICK INVALID STA
[Band 2.4G]
[Band 5G]
[Band NA]
wlancmd show log: get wlan log.
wlancmd clear log: clear wlan log.
wlancmd debug ap: [Usage]wlancmd debug ap {on|off|log|bssid 505D.. staidx 12}
wlancmd debug scn: [Usage]wlancmd debug scn ...}
wlancmd debug roam {11k|11v} {disable|clear}
wlancmd debug rsvd: [Usage]wlancmd debug rsvd {0,1,2}
wlancmd debug trig: [Usage]wlancmd debug trig
wlancmd show relation neighbor: [Usage]wlancmd show relation neighbor
wlancmd scen help|get|auto|fix {scen}
wlancmd check node: check hidden node
wlancmd show xlinkerrlog: get xlink log.
wlancmd clear xlinkerrlog: clear xlink log.
wlancmd show apledlog: get apled log.
wlancmd clear apledlog: clear apled log.
wlancmd show topo: get topo info.
wlancmd show vitranslog: get vitrans debug log.
wlancmd master show: show master process info ...}
wl -i ....
MAC               STAID  TIME                 RSSI Tx/RxRate     PowerSave
Can't find this command.
No function to execute this command.
---------------- Help --------------
[Usage]:
wlancmd show log success!
wlancmd clear log success
wlancmd show xlikerrlog success!
wlancmd clear xlinkerrlog success
wlancmd show apledlog success!
wlancmd clear apledlog success
wlancmd show vitranslog success!
wl: Unsupported
wlancmd debug roam {11k|11v} {disable|clear} 
g_wlanRoamVal para 0, val disable.
g_wlanRoamVal para 1, val clear.
=================================friend sta info=================================
apinst    neighbor inst(rssi)
Warning: find Exposed node for AP
Warning: find Hidden for AP
TEXTS
[ "$missing" -eq 0 ]
