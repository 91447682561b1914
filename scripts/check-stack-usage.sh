#!/bin/sh
# Fails when a function of the library keeps more than MAX_FRAME bytes on its
# stack, or a logging entry point (called from any thread, often deep in other
# code) more than ENTRY_LIMIT bytes (0: not checked). Reads the compiler's
# -fstack-usage files. Usage: check-stack-usage.sh OBJ_DIR MAX_FRAME ENTRY_LIMIT
set -eu
obj_dir=$1 max_frame=$2 entry_limit=$3
entry_points='^(QZ_WLAN_CpLog|WLAN_LOG_SaveWlanLog|WLAN_DebugLog|WLAN_RecordRoamLog|WLAN_TOPO_DebugLog|WLAN_FT_[A-Za-z0-9_]+)$'

# "file:line:col:signature<TAB>bytes<TAB>kind" -> "bytes name". The compiler
# garbles the signature of some variadic functions, so the name is read from
# the source line the record points at.
find "$obj_dir" -name '*.su' -exec cat {} + | while IFS='	' read -r where bytes _; do
    file=${where%%:*}
    rest=${where#*:}
    line=${rest%%:*}
    name=$(sed -n "${line}p" "$file" | sed -E 's/\(.*//; s/.*[^A-Za-z0-9_]//')
    echo "$bytes ${name:-?}"
done | sort -rn >"${TMPDIR:-/tmp}/qz_stack.$$"
trap 'rm -f "${TMPDIR:-/tmp}/qz_stack.$$"' EXIT
[ -s "${TMPDIR:-/tmp}/qz_stack.$$" ] || { echo "no stack usage files under $obj_dir"; exit 1; }

fail=0
largest=$(head -n 1 "${TMPDIR:-/tmp}/qz_stack.$$")
while read -r bytes name; do
    if [ "$bytes" -gt "$max_frame" ]; then
        echo "stack frame of $name is $bytes bytes (limit $max_frame)"
        fail=1
    fi
    if [ "$entry_limit" -gt 0 ] && echo "$name" | grep -qE "$entry_points" && [ "$bytes" -gt "$entry_limit" ]; then
        echo "logging entry point $name keeps $bytes bytes on the stack (limit $entry_limit)"
        fail=1
    fi
done <"${TMPDIR:-/tmp}/qz_stack.$$"
[ $fail -eq 0 ] && echo "stack usage ok: largest frame $largest"
exit $fail
