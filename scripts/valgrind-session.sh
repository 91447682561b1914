#!/usr/bin/env bash
# Runs one scripted wlan_host session under valgrind memcheck: start-up with
# the mesh demo profile, every wlancmd command of the catalogue (and their
# refusals), feature events, a few hundred timer cycles while stations join
# and leave, until the air-interface record file is packed into its archive.
# Any memory error, or a definite or indirect leak, fails the run.
# Usage: scripts/valgrind-session.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
root=$(mktemp -d /tmp/qz_valgrind.XXXXXX)
trap 'rm -rf "$root"' EXIT

lines=()
add() { lines+=("$@"); }

# The whole catalogue, the sibling modules' forms, and lines that fail.
add '?' 'show log' 'clear log' 'show log'
add 'debug ap on' 'debug ap bssid 02:00:00:00:01:00 staidx 3' 'debug ap log' 'debug ap off' 'debug ap nonsense'
add 'debug scn show sta' 'debug scn show ap' 'debug scn show log' 'debug scn show friend_sta' 'debug scn show STA'
add 'debug scn roam a0:b1:c2:d3:e4:f5 1' 'debug scn thresh 42' 'debug scn dfx on' 'debug scn dfx off'
add 'debug scn addFriend 3 3c:5a:b4:01:02:03' 'debug scn show friend_sta' 'debug scn bogus'
add 'debug roam 11k disable' 'debug roam 11v disable' 'debug roam 11k clear' 'debug roam 11v clear' 'debug roam 11k'
add 'debug rsvd 0' 'debug rsvd 2' 'debug rsvd' 'debug trig'
add 'show relation neighbor' 'scen help' 'scen get' 'scen auto' 'scen fix nosuch' 'scen'
add 'check node' 'show xlinkerrlog' 'clear xlinkerrlog' 'show apledlog' 'clear apledlog' 'show topo'
add 'show vitranslog' 'master show' '-i wl0 assoclist' '-i wl0 rssi A0:B1:C2:D3:E4:F5' '-i wl0 rssi 00:00:00:00:00:01'
add '-i wl0 bogus' 'no such command'
add '.help' '.stations' '.feature QZ_FEATURE_ZQ 0' '.feature FT_WLAN_MULTILINK 1' '.feature QZ_FEATURE_ZQ 1'

# Heavy stations: with the demo's own, about 250 anchor users per cycle, so
# that the 50000 record lines that pack the file are reached in ~220 cycles.
mac() { printf '02:5a:%02x:%02x:%02x:01' $(($1 >> 8)) $(($1 & 255)) "$2"; }
ssids=(0 1 8 9)
join() { add ".station add $1 $2 7000000" ".station set $1 staId $3"; }
for n in $(seq 0 249); do
    join "$(mac "$n" 0)" "${ssids[n % 4]}" "$n"
done
add '.cycles 21' '-i wl0 assoclist' 'debug scn show sta'
# Churn: every ten cycles five stations leave and five new ones join; one
# moves to another SSID; features change and refresh the library's cache.
for round in $(seq 1 20); do
    for k in $(seq 0 4); do
        n=$(((round * 5 + k) % 250))
        add ".station del $(mac "$n" 0)"
        join "$(mac "$n" "$round")" "${ssids[k % 4]}" "$n"
    done
    add ".station set $(mac $((round % 250 + 100)) 0) ssid ${ssids[round % 4]}"
    add ".feature FT_WLAN_MULTILINK $((round % 2))" '.cycles 10'
done
add '.cycles 30' 'show log' 'check node' '.lastword' '.trace clear' '.stations'

out="$root/session.out"
err="$root/session.err"
log="$root/valgrind.log"
printf '%s\n' "${lines[@]}" >"$root/session.txt"
supp=()
[ -f "$src/scripts/valgrind.supp" ] && supp=(--suppressions="$src/scripts/valgrind.supp")
start=$(date +%s)
status=0
valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=1 \
    "${supp[@]}" --log-file="$log" \
    "$build/bin/wlan_host" --profile "$src/profiles/mesh-demo.json" --root "$root/sandbox" \
    --socket "$root/host.sock" --cycle-ms 3600000 <"$root/session.txt" >"$out" 2>"$err" || status=$?
echo "wlan_host under valgrind: ${#lines[@]} lines in $(($(date +%s) - start)) s, exit status $status"

fail() {
    echo "FAILED: $1" >&2
    tail -60 "$log" >&2
    exit 1
}
[ "$status" -eq 0 ] || fail "exit status $status"
# Host refusals and failed host commands would be on standard error.
[ ! -s "$err" ] || { cat "$err" >&2; fail "the host refused a line"; }
grep -q 'ERROR SUMMARY: 0 errors' "$log" || fail "memcheck reported errors"
grep -Eq 'definitely lost: 0 bytes|All heap blocks were freed' "$log" || fail "definite leak"
grep -Eq 'indirectly lost: 0 bytes|All heap blocks were freed' "$log" || fail "indirect leak"
for expect in 'wlancmd show log success!' 'ran 21 timer cycles' 'station 02:5a:00:03:00:01 joined SSID 9'; do
    grep -qF "$expect" "$out" || { tail -40 "$out" >&2; fail "no \"$expect\" in the session's output"; }
done
[ -s "$root/sandbox/var/wifi_airInterface.tar.gz" ] || fail "the record file was never packed"
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable' "$log" | sed 's/^==[0-9]*== *//'
echo "valgrind session passed"
