#!/bin/sh
# Presses Tab at the wlan_host prompt in a real terminal (a private tmux server)
# and checks what the line became: a command word, a host command's word, a
# feature name, an interface, a station's MAC, and the listing of a double Tab.
# Usage: prompt.sh WLAN_HOST HAVE_READLINE PROFILE   (exit 77: skipped)
set -eu
host=$1
profile=$3
if [ "$2" != 1 ]; then
    echo "wlan_host was built without readline: no completion to test"
    exit 77
fi
if ! command -v tmux >/dev/null 2>&1; then
    echo "tmux is not installed"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qz_complete.XXXXXX")
# A socket of our own, no configuration file: nothing of the user's tmux is seen or touched.
term() { tmux -S "$work/tmux.sock" -f /dev/null "$@"; }
trap 'term kill-server >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM

# Waits (up to 120 s: the machine may be busy) until the screen holds a line
# matching the extended regular expression; fails showing the screen.
expect() {
    what=$1
    pattern=$2
    tries=0
    while [ "$tries" -lt 600 ]; do
        if term capture-pane -p -t qz 2>/dev/null | grep -Eq -- "$pattern"; then
            return 0
        fi
        sleep 0.2
        tries=$((tries + 1))
    done
    echo "FAIL: $what: no line matching '$pattern' on the screen:"
    term capture-pane -p -t qz 2>/dev/null | grep -v '^$' || echo "(the host is gone)"
    exit 1
}

# Sends Tab, Enter and C-<key> as keys, every other word as literal text
# (tmux would take "f4" for a function key).
type_keys() {
    for key in "$@"; do
        case $key in
        Tab | Enter | C-?) term send-keys -t qz "$key" ;;
        *) term send-keys -t qz -l -- "$key" ;;
        esac
    done
}

# Starts on a fresh screen: the current line emptied, the screen cleared.
fresh() {
    type_keys C-u C-l
    expect "cleared screen" '^wlancmd> ?$'
}

# A fixed clock keeps the timer quiet, so only what was typed is on the screen.
term new-session -d -s qz -x 200 -y 50 \
    "env HOME='$work' INPUTRC=/dev/null '$host' --root '$work/root' --profile '$profile' --clock '2026-01-01 00:00:00'"
expect "prompt" '^wlancmd>'

# A unique command word is completed, then the next; the line runs.
fresh
type_keys 'sho' Tab
type_keys 'apl' Tab Enter
expect "command words" '^wlancmd> show apledlog$'
expect "completed command ran" '^wlancmd show apledlog success!'

# A double Tab lists every word that may follow.
fresh
type_keys 'clear ' Tab Tab
expect "listing of a double Tab" '^apledlog +log +xlinkerrlog *$'

# A host command's word, then a station's MAC from the product.
fresh
type_keys '.station d' Tab 'f4' Tab Enter
expect "host command and station MAC" '^wlancmd> \.station del f4:8c:50:10:20:30$'
expect "station removed" '^station f4:8c:50:10:20:30 left$'

# A host command, then a feature name from the library's feature table.
fresh
type_keys '.fe' Tab 'FT_WLAN_MULTIL' Tab '1' Enter
expect "feature name" '^feature FT_WLAN_MULTILINK = 1, event 4343 raised$'

# An interface of the product, the command's word and a station's MAC.
fresh
type_keys '-i wl' Tab Tab
expect "interfaces" '^wl0 +wl0\.1 +wl1 +wl1\.1 *$'
type_keys '0 r' Tab 'a0' Tab Enter
expect "interface and MAC" '^wlancmd> -i wl0 rssi a0:b1:c2:d3:e4:f5$'
expect "RSSI of the station" '^-45$'

# A call .fail can name; nothing of the process beyond the platform's list.
fresh
type_keys '.fail QZ_OS_Fo' Tab '1' Enter
expect "call name" '^QZ_OS_Fopen fails with 1: 0 calls pass, then 1 fail$'

type_keys '.quit' Enter
echo "completion at the prompt: 6 checks passed"
