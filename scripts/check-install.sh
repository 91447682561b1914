#!/bin/sh
# Checks the library as its users get it, never from the build tree:
#  1. `cmake --install build --prefix P`: the host started from P without
#     LD_LIBRARY_PATH, the consumer example built with find_package and with
#     pkg-config, and run;
#  2. a DESTDIR install of each package build (the armhf one into a sysroot
#     folder) holds exactly its packages' files, none with a RUNPATH, and the
#     architecture-independent package is made once, by the amd64 build;
#  3. the amd64 packages unpacked: the consumer both ways, run;
#  4. the armhf packages unpacked into a sysroot: the consumer cross-built both
#     ways and run under qemu-arm;
#  5. (root only) the amd64 packages installed with dpkg: wlan_host and wlancmd
#     on PATH, wlan_snapshot of the served host, man wlan_host and
#     wlan_snapshot, and dpkg -r removes every file.
# Expects build/, build-pkg/ and build-pkg-armhf/ (make build package package-armhf).
set -eu
cd "$(dirname "$0")/.."
src=$PWD
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
step() { printf '\n== %s\n' "$*"; }
fail() { echo "check-install: $*" >&2; exit 1; }

# consumer NAME LIBDIR CMAKE_ARGS... : builds the example with CMake, then with
# its Makefile (pkg-config as set in the environment), runs both.
consumer() {
    name=$1 libdir=$2
    shift 2
    out=$tmp/consumer-$name
    cmake -S examples/consumer -B "$out/cmake" "$@" >/dev/null
    cmake --build "$out/cmake" >/dev/null
    mkdir -p "$out/make"
    make -s -C "$out/make" -f "$src/examples/consumer/Makefile" VPATH="$src/examples/consumer" >/dev/null
    for exe in "$out/cmake/consumer_test" "$out/make/consumer_test"; do
        LD_LIBRARY_PATH=$libdir $RUN "$exe" >"$out/log" 2>&1 || { cat "$out/log"; fail "$name: $exe failed"; }
        tail -n 1 "$out/log"
    done
}

step "1. cmake --install build --prefix"
prefix=$tmp/prefix
cmake --install build --prefix "$prefix" >/dev/null
libdir=$prefix/$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' build/CMakeCache.txt)
# Off /usr the programs and libraries find the libraries relative to themselves.
for elf in "$prefix"/bin/* "$libdir"/*.so.*.*; do
    # Scripts (wlan_snapshot) and programs that need none of the project's libraries (wlan_report) need none.
    readelf -d "$elf" 2>/dev/null | grep -q 'NEEDED.*libqz_' || continue
    readelf -d "$elf" | grep -q "RUNPATH.*\[\$ORIGIN/\.\./${libdir#"$prefix"/}\]" || fail "installed $elf has no RUNPATH \$ORIGIN/../lib"
done
(cd "$tmp" && env -u LD_LIBRARY_PATH HOME="$tmp/prefix-home" XDG_STATE_HOME= "$prefix/bin/wlan_host" -c 'show log') \
    >"$tmp/prefix-host.log" 2>&1 || { cat "$tmp/prefix-host.log"; fail "$prefix/bin/wlan_host -c 'show log' failed"; }
grep -q 'wlancmd show log success!' "$tmp/prefix-host.log" || { cat "$tmp/prefix-host.log"; fail "no success line"; }
echo "$prefix/bin/wlan_host: started without LD_LIBRARY_PATH"
RUN="" PKG_CONFIG_PATH=$libdir/pkgconfig consumer prefix "$libdir" -DCMAKE_PREFIX_PATH="$prefix"
# Same-major compatibility: version 1.0 is found, version 2 is not.
mkdir -p "$tmp/version"
for wanted in 1.0:found 2:refused; do
    printf 'cmake_minimum_required(VERSION 3.25)\nproject(v LANGUAGES CXX)\nfind_package(qz_wlan_base %s REQUIRED)\n' \
        "${wanted%%:*}" >"$tmp/version/CMakeLists.txt"
    if cmake -S "$tmp/version" -B "$tmp/version/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null 2>&1; then got=found; else got=refused; fi
    rm -rf "$tmp/version/build"
    [ "$got" = "${wanted#*:}" ] || fail "find_package(qz_wlan_base ${wanted%%:*}): $got"
    echo "find_package(qz_wlan_base ${wanted%%:*}): $got"
done

step "2. DESTDIR installs (amd64; armhf into a sysroot folder) = the packages' files"
arch_all=$(ls build-pkg/*_all.deb)
[ "$(echo "$arch_all" | wc -w)" -eq 1 ] || fail "build-pkg: not one Architecture: all package: $arch_all"
[ -z "$(ls build-pkg-armhf/*_all.deb 2>/dev/null)" ] || fail "build-pkg-armhf made an Architecture: all package"
for build in build-pkg build-pkg-armhf; do
    DESTDIR=$tmp/destdir-$build cmake --install $build >/dev/null
    (cd "$tmp/destdir-$build" && find . ! -type d | sort) >"$tmp/destdir.list"
    # A cross build installs the architecture-independent files too.
    debs=$(ls $build/*.deb)
    [ $build = build-pkg ] || debs="$debs $arch_all"
    for deb in $debs; do dpkg-deb -c "$deb"; done | awk '$1 !~ /^d/ {print $6}' | sort >"$tmp/debs.list"
    diff -u "$tmp/destdir.list" "$tmp/debs.list" || fail "$build: the packages' files differ from the install rules'"
    # Under /usr the loader finds the libraries: no RUNPATH (lintian's custom-library-search-path).
    for elf in $(find "$tmp/destdir-$build" -type f -name '*.so*') $(find "$tmp/destdir-$build" -path '*/bin/*' -type f); do
        [ -z "$(readelf -d "$elf" 2>/dev/null | grep -E 'RPATH|RUNPATH')" ] || fail "$build: $elf has a RUNPATH"
    done
    echo "$build: $(wc -l <"$tmp/debs.list") files"
done

step "3. the amd64 packages, unpacked"
root=$tmp/amd64
for deb in build-pkg/*.deb; do dpkg-deb -x "$deb" "$root"; done
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
RUN="" PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$root/usr/lib/$triplet/pkgconfig:/usr/share/pkgconfig \
    consumer amd64-debs "$root/usr/lib/$triplet" -DCMAKE_PREFIX_PATH="$root/usr"

step "4. the armhf packages, in a sysroot, under qemu-arm"
sysroot=$tmp/armhf
for deb in build-pkg-armhf/*.deb; do dpkg-deb -x "$deb" "$sysroot"; done
# The JSON headers the simulator's header includes: architecture-independent,
# installed into the sysroot as a target system would have them.
dpkg -L nlohmann-json3-dev | while read -r f; do [ -f "$f" ] && cp --parents "$f" "$sysroot"; done
cross=/usr/arm-linux-gnueabihf
RUN="qemu-arm -L $cross" CXX=arm-linux-gnueabihf-g++ PKG_CONFIG_SYSROOT_DIR=$sysroot \
    PKG_CONFIG_LIBDIR=$sysroot/usr/lib/arm-linux-gnueabihf/pkgconfig:$sysroot/usr/share/pkgconfig \
    consumer armhf-debs "$sysroot/usr/lib/arm-linux-gnueabihf" --toolchain "$src/cmake/toolchain-armhf.cmake" \
    -DCMAKE_PREFIX_PATH="$sysroot/usr" -DCMAKE_FIND_ROOT_PATH="$sysroot;$cross" -Wno-dev
file "$tmp/consumer-armhf-debs/make/consumer_test" | grep -q 'ARM' || fail "the armhf consumer is not an ARM program"

if [ "$(id -u)" -ne 0 ]; then
    echo "not root: skipping dpkg -i"
    exit 0
fi
step "5. dpkg -i the amd64 packages"
packages="qz-wlan-field qz-wlan-sim libqz-wlan-base-dev libqz-wlan-base1"
dpkg -i build-pkg/*.deb >/dev/null
trap 'dpkg -r $packages >/dev/null 2>&1; rm -rf "$tmp"' EXIT
for p in $packages; do dpkg -L "$p"; done | sort -u >"$tmp/installed.list"
export HOME=$tmp/home XDG_STATE_HOME=
mkdir -p "$HOME"
cd "$HOME"
wlan_host --version
wlan_host -c 'show log' >"$tmp/host.log" 2>&1 || { cat "$tmp/host.log"; fail "wlan_host -c 'show log' failed"; }
grep -q 'wlancmd show log success!' "$tmp/host.log" || { cat "$tmp/host.log"; fail "no success line"; }
[ -d "$HOME/.local/state/qz-wlan-sim/sandbox" ] || fail "the sandbox is not the per-user folder"
wlan_host --serve >"$tmp/serve.log" 2>&1 &
host_pid=$!
i=0
until wlancmd show log >"$tmp/client.log" 2>&1; do
    i=$((i + 1))
    [ $i -lt 50 ] || { cat "$tmp/client.log" "$tmp/serve.log"; fail "wlancmd cannot reach the served host"; }
    sleep 0.1
done
grep -q 'wlancmd show log success!' "$tmp/client.log" || fail "wlancmd printed no success line"
echo "wlancmd: $(command -v wlancmd) reached the served host"
wlan_snapshot -o "$tmp/snapshot.tar.gz" --root "$HOME/.local/state/qz-wlan-sim/sandbox" >/dev/null ||
    fail "wlan_snapshot failed"
tar -xzOf "$tmp/snapshot.tar.gz" manifest.txt | grep -qx 'command: show log -> cmd/show_log.txt' ||
    fail "wlan_snapshot did not take show log"
echo "wlan_snapshot: $(command -v wlan_snapshot) took a snapshot of the served host"
kill "$host_pid"
wait "$host_pid" || true
MANWIDTH=200 man -P cat wlan_host 2>/dev/null | grep -q 'wlan_host - simulated gateway WLAN service process' || fail "man wlan_host shows no page"
MANWIDTH=200 man -P cat wlan_snapshot 2>/dev/null | grep -q "wlan_snapshot - collect a gateway's Wi-Fi diagnostics" ||
    fail "man wlan_snapshot shows no page"
echo "man wlan_host, wlan_snapshot: ok"
cd "$src"
dpkg -r $packages >/dev/null
trap 'rm -rf "$tmp"' EXIT
left=0
while read -r f; do
    if [ -e "$f" ] && [ ! -d "$f" ]; then echo "left after dpkg -r: $f"; left=1; fi
done <"$tmp/installed.list"
[ $left -eq 0 ] || fail "dpkg -r left files"
echo "dpkg -r: removed $(wc -l <"$tmp/installed.list") paths"
echo "check-install: all passed"
