#!/bin/sh
# The library's binary interface against its baselines in abi/: exported
# functions and variables with their signatures and the layouts of every type
# they reach through the public headers, for x86-64 and armhf (the byte
# layouts must hold on both). Reads the package builds' unstripped libraries.
#   abi.sh check    compare with abidiff; fail on any difference
#   abi.sh update   rewrite the baselines (docs/packaging.md: when, and which
#                   version number the change needs)
set -eu
mode=${1:-check}
case "$mode" in check | update) ;; *) echo "usage: $0 check|update" >&2; exit 2 ;; esac
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
for target in x86_64:build-pkg armhf:build-pkg-armhf; do
    arch=${target%%:*} build=${target#*:}
    baseline=abi/qz_wlan_base-$arch.abi
    cmake --install "$build" --component dev --prefix "$tmp/$arch" >/dev/null
    abidw --headers-dir "$tmp/$arch/include/qz_wlan_base" --drop-private-types --no-corpus-path \
        --no-comp-dir-path --short-locs --out-file "$tmp/$arch.abi" "$build/lib/libqz_wlan_base.so.1.0.0"
    if [ "$mode" = update ]; then
        cp "$tmp/$arch.abi" "$baseline"
        echo "abi: wrote $baseline"
    elif abidiff --harmless "$baseline" "$tmp/$arch.abi" >"$tmp/$arch.diff" 2>&1; then
        echo "abi ok ($arch): the same as $baseline"
    else
        echo "abi ($arch): the library differs from $baseline:"
        cat "$tmp/$arch.diff"
        status=1
    fi
done
[ $status -eq 0 ] || echo "an intended change needs the version its kind asks for and 'make abi-update' (docs/packaging.md)"
exit $status
