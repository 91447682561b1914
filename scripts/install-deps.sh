#!/bin/sh
# Installs the Debian packages of the given tiers that are missing, when run as
# root; without root it names the missing ones and fails. Each make target asks
# for the tiers it uses, so `make run` needs no test or CI tool.
# Usage: install-deps.sh [TIER...]   (no tier: every tier, as CI wants)
#        install-deps.sh --list [TIER...]   prints the tiers' packages
set -eu

# One tier a line: name, then its packages.
tiers="
run build-essential cmake nlohmann-json3-dev libreadline-dev tzdata tar gzip sed
test libgtest-dev libgmock-dev clang-format valgrind libarchive-dev libjs-chart.js chromium busybox tmux python3
armhf crossbuild-essential-armhf qemu-user googletest
cross crossbuild-essential-armhf
package file libarchive-dev
lintian lintian
check-install pkgconf man-db qemu-user
abi abigail-tools
fuzz clang libclang-rt-14-dev libarchive-dev
bench libbenchmark-dev
soak libgtest-dev libgmock-dev
coverage gcovr
"
# run:     make run, make build (the library, the simulated gateway, the host)
# test:    make test (format check, GoogleTest suites, valgrind session, the
#          kit's field tools, the report's archive reader and browser test)
# armhf:   make test-armhf (GoogleTest is built from Debian's sources)
# cross:   make package-armhf
# package: make package (CPack's dpkg-shlibdeps step reads binaries with file;
#          the kit package holds wlan_report, built where libarchive is)
# lintian, check-install, abi (make abi-check), fuzz (make fuzz, fuzz-long),
# bench, soak, coverage: the make targets of the same name

list=0
if [ "${1:-}" = --list ]; then
    list=1
    shift
fi
[ $# -gt 0 ] || set -- $(printf '%s\n' "$tiers" | awk 'NF {print $1}')
packages=""
for tier in "$@"; do
    line=$(printf '%s\n' "$tiers" | awk -v t="$tier" '$1 == t')
    [ -n "$line" ] || { echo "install-deps.sh: no tier '$tier'" >&2; exit 2; }
    for p in ${line#* }; do
        case " $packages " in *" $p "*) ;; *) packages="$packages $p" ;; esac
    done
done
if [ $list -eq 1 ]; then
    echo $packages
    exit 0
fi

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages:$missing (run as root, or install them)" >&2
    exit 1
fi
echo "installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq || echo "apt-get update reported errors; installing from the lists it has"
apt-get install -y -qq $missing >/dev/null
