#!/bin/sh
# Fails when a function of the library keeps more than MAX_FRAME bytes on its
# stack, or a logging entry point more than ENTRY_LIMIT bytes (0: not
# checked). Usage: check-stack-usage.sh OBJ_DIR MAX_FRAME ENTRY_LIMIT
set -eu
obj_dir=$1 max_frame=$2 entry_limit=$3
frames=$(dirname "$0")/stack-frames.sh

all=$("$frames" "$obj_dir")
[ -n "$all" ] || { echo "no stack usage files under $obj_dir"; exit 1; }
over=$(echo "$all" | awk -v max="$max_frame" '$1 > max {print "stack frame of " $2 " is " $1 " bytes (limit " max ")"}')
if [ "$entry_limit" -gt 0 ]; then
    entries=$("$frames" "$obj_dir" --entry-points)
    [ -n "$entries" ] || { echo "no logging entry points found under $obj_dir"; exit 1; }
    over=$over$(echo "$entries" | awk -v max="$entry_limit" \
        '$1 > max {print "\nlogging entry point " $2 " keeps " $1 " bytes on the stack (limit " max ")"}')
fi
if [ -n "$over" ]; then
    echo "$over" | sed '/^$/d'
    exit 1
fi
echo "stack usage ok: largest frame $(echo "$all" | head -n 1)"
