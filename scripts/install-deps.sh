#!/bin/sh
# Installs the Debian packages the project needs, when run as root and any is
# missing. Without root it only says what is missing.
set -eu
packages="build-essential cmake clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev googletest libbenchmark-dev
nlohmann-json3-dev libreadline-dev tzdata tar gzip sed binutils valgrind crossbuild-essential-armhf qemu-user
abigail-tools lintian pkgconf man-db"
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
