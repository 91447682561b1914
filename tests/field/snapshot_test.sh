#!/bin/sh
# wlan_snapshot as it runs on a gateway: under BusyBox's sh, with nothing but
# BusyBox's applets and wlancmd on PATH, against a served host. Every path
# holds a blank. Exits 77 (skipped) without busybox.
# Usage: snapshot_test.sh BIN_DIR
set -eu
bin=$(cd "$1" && pwd -P)
busybox=$(command -v busybox) || {
    echo "busybox is not installed: skipped"
    exit 77
}
work=$(mktemp -d "${TMPDIR:-/tmp}/qz snapshot.XXXXXX")
host_pid=
trap '[ -z "$host_pid" ] || kill "$host_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
member() { "$busybox" tar -xzOf "$1" "$2"; }
expect_line() { # FILE LINE: LINE is a whole line of FILE
    grep -qxF "$2" "$1" || {
        cat "$1"
        fail "no line \"$2\""
    }
}

root="$work/gateway root"
sock="$work/host sock"
"$bin/wlan_host" --serve --root "$root" --socket "$sock" 2>"$work/serve.log" &
host_pid=$!
i=0
until grep -q 'serving on' "$work/serve.log"; do
    i=$((i + 1))
    [ $i -lt 100 ] || fail "the host did not start: $(cat "$work/serve.log")"
    sleep 0.1
done
wlancmd() { "$bin/wlancmd" --socket "$sock" "$@"; }
# The default profile's heavy station becomes an anchor user after 20 cycles
# (record file); its move to the 5 GHz SSID writes roam and topology lines.
wlancmd .cycles 21 >/dev/null
wlancmd .station set a0:b1:c2:d3:e4:f5 ssid 4 >/dev/null
wlancmd .log apled 2 field >/dev/null

# BusyBox's applets and wlancmd, nothing else.
mkdir "$work/bin" "$work/tmp"
"$busybox" --install -s "$work/bin"
ln -s "$bin/wlancmd" "$work/bin/wlancmd"
snapshot() { # the archive, relative to $work; the rest are options
    out=$1
    shift
    (cd "$work" && PATH="$work/bin" TMPDIR="$work/tmp" "$busybox" sh "$bin/wlan_snapshot" -o "$out" "$@")
}

# 1. The served host: every command answers but the relation view, which this
# product does not register; of the files, the archive and topology files 2
# to 10 are not there yet.
snapshot "snap 1.tar.gz" --root "$root" --wlancmd "wlancmd --socket '$sock'" >"$work/out" 2>&1 ||
    fail "exit status $? with $(cat "$work/out")"
"$busybox" tar -tzf "$work/snap 1.tar.gz" >"$work/members"
cat >"$work/expected" <<'EOF'
manifest.txt
cmd/show_log.txt
cmd/show_apledlog.txt
cmd/show_xlinkerrlog.txt
cmd/show_vitranslog.txt
cmd/show_topo.txt
cmd/show_relation_neighbor.txt
cmd/check_node.txt
cmd/master_show.txt
cmd/scen_get.txt
var/wifi_airInterface
var/zarvo/topodebug.1.log
proc/wifilog/debug/2G
EOF
diff -u "$work/expected" "$work/members" || fail "the archive's members"
for f in var/wifi_airInterface var/zarvo/topodebug.1.log proc/wifilog/debug/2G; do
    member "$work/snap 1.tar.gz" "$f" >"$work/copy"
    [ -s "$work/copy" ] || fail "$f is empty"
    cmp "$work/copy" "$root/$f" || fail "$f differs from the gateway's"
done
member "$work/snap 1.tar.gz" cmd/show_apledlog.txt >"$work/apled"
grep -q 'field n2' "$work/apled" || fail "show apledlog lacks the ring's records"
member "$work/snap 1.tar.gz" manifest.txt >"$work/manifest"
version=$("$bin/wlan_host" --version | sed 's/^wlan_host //')
for line in "command: show log -> cmd/show_log.txt" \
    "failed: show relation neighbor (Can't find this command.) -> cmd/show_relation_neighbor.txt" \
    "file: var/wifi_airInterface" "missing: var/wifi_airInterface.tar.gz" "missing: var/zarvo/topodebug.10.log" \
    "library: $version ($(cd "$bin/../lib" && pwd -P)/libqz_wlan_base.so.$version, loaded)"; do
    expect_line "$work/manifest" "$line"
done
# Showing a ring leaves it as it was.
wlancmd show apledlog | grep -q 'field n2' || fail "the snapshot cleared the AP LED ring"

# 2. No host to answer, and the Wi-Fi log a real procfs file (its size reads
# 0): every command is recorded as failed, the log is copied whole, exit 0.
proc_root="$work/procfs root"
mkdir -p "$proc_root/proc/wifilog/debug"
ln -s /proc/version "$proc_root/proc/wifilog/debug/2G"
snapshot "snap 2.tar.gz" --root "$proc_root" --wlancmd "wlancmd --socket '$work/no host'" >"$work/out" 2>&1 ||
    fail "no host: exit status $? with $(cat "$work/out")"
member "$work/snap 2.tar.gz" manifest.txt >"$work/manifest"
[ "$(grep -c '^failed: .* (exit status 2: .*cannot connect' "$work/manifest")" -eq 9 ] || {
    cat "$work/manifest"
    fail "not every command recorded as failed"
}
expect_line "$work/manifest" "missing: var/wifi_airInterface"
member "$work/snap 2.tar.gz" proc/wifilog/debug/2G | grep -q '^Linux version' || fail "the procfs file is empty"

# 3. Bad arguments and an unwritable output: an error, no archive.
while IFS='|' read -r want out args; do
    status=0
    # shellcheck disable=SC2086 # the arguments are a word list
    snapshot "$out" $args >"$work/out" 2>&1 || status=$?
    [ "$status" -eq "$want" ] || fail "-o '$out' $args: exit status $status, not $want"
    grep -q '^wlan_snapshot: ' "$work/out" || fail "-o '$out' $args: no error message"
    [ ! -e "$work/$out" ] || fail "-o '$out' $args: left a file"
done <<'EOF'
2|x.tar.gz|--root
2|x.tar.gz|--root /no/such/folder
2|x.tar.gz|--verbose
1|no folder/x.tar.gz|--root /
EOF
status=0
(cd "$work" && PATH="$work/bin" "$busybox" sh "$bin/wlan_snapshot" --root / >"$work/out" 2>&1) || status=$?
[ $status -eq 2 ] && grep -q '^usage: ' "$work/out" || fail "no -o: exit status $status"

[ -z "$(ls -A "$work/tmp")" ] || fail "temporary files left: $(ls -A "$work/tmp")"
echo "wlan_snapshot: all passed"
