#!/bin/sh
# Lists the stack frames of the library's functions, largest first, as
# "bytes name", from the compiler's -fstack-usage files under OBJ_DIR. With
# --entry-points, only the logging entry points (called from any thread, often
# deep in other code). Usage: stack-frames.sh OBJ_DIR [--entry-points]
set -eu
obj_dir=$1 only=${2:-}
entry_points='^(QZ_WLAN_CpLog|WLAN_LOG_SaveWlanLog|WLAN_DebugLog|WLAN_RecordRoamLog|WLAN_TOPO_DebugLog|WLAN_FT_[A-Za-z0-9_]+)$'

# A record is "file:line:col:signature<TAB>bytes<TAB>kind"; the name is the
# last identifier before the signature'"'"'s first parenthesis. The compiler
# garbles the signature of some variadic functions to ")": their name is read
# the same way from the source line the record points at.
find "$obj_dir" -name '*.su' -exec cat {} + | awk -F '\t' -v only="$only" -v entries="$entry_points" '
    {
        split($1, where, ":")
        file = where[1]
        name = $1
        sub(/^[^:]*:[^:]*:[^:]*:/, "", name)
        if (name !~ /[A-Za-z0-9_]\(/) {
            if (!(file in seen)) {
                seen[file] = 1
                n = 0
                while ((getline text < file) > 0) src[file, ++n] = text
                close(file)
            }
            name = src[file, where[2]]
        }
        sub(/\(.*/, "", name)
        sub(/.*[^A-Za-z0-9_]/, "", name)
        if (name == "") name = "?"
        if (only == "--entry-points" && name !~ entries) next
        print $2 " " name
    }' | sort -k1,1rn -k2
