#!/bin/sh
# Runs lintian over Debian packages: fails on any error, prints every tag.
# The warnings left are explained in docs/packaging.md.
# Usage: lintian.sh PACKAGE.deb...
set -eu
[ $# -gt 0 ] || { echo "usage: $0 PACKAGE.deb..." >&2; exit 2; }
status=0
for deb in "$@"; do
    # lintian refuses to run as root without this; it only reads the package.
    out=$(lintian --allow-root --tag-display-limit 0 "$deb" 2>&1) || true
    echo "== $(basename "$deb")"
    [ -n "$out" ] && echo "$out"
    if echo "$out" | grep -q '^E: '; then status=1; fi
done
[ $status -eq 0 ] && echo "lintian: no errors"
exit $status
