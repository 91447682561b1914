#!/bin/sh
# The library's footprint in a build directory: section sizes, the largest
# stack frames, the logging entry points' frames and the libraries it needs.
# Usage: footprint.sh BUILD_DIR
set -eu
build=${1:?usage: footprint.sh BUILD_DIR}
lib=$build/lib/libqz_wlan_base.so
objs=$build/CMakeFiles/qz_wlan_base_objs.dir
[ -f "$lib" ] || { echo "no $lib: build the library first" >&2; exit 1; }
frames=$(dirname "$0")/stack-frames.sh

# The binutils of the build's compiler: the prefix of its objdump.
objdump=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$build/CMakeCache.txt")
prefix=${objdump%objdump}
size=${prefix}size readelf=${prefix}readelf

echo "library: $lib ($(wc -c <"$lib") bytes on disk)"
echo "machine: $("$readelf" -h "$lib" | sed -n 's/^ *Machine: *//p')"
"$size" "$lib" | awk 'NR == 2 {printf "text %d, data %d, bss %d bytes\n", $1, $2, $3}'
echo "largest stack frames (bytes, function):"
"$frames" "$objs" | head -n 5 | sed 's/^/  /'
echo "logging entry points (bytes, function), largest first:"
"$frames" "$objs" --entry-points | awk '
    /WLAN_FT_/ {if (!ft) ft = $0; nft++; next}
    {print "  " $0}
    END {if (nft) printf "  %s (largest of %d WLAN_FT_ functions)\n", ft, nft}'
printf 'NEEDED:'
"$readelf" -d "$lib" | awk '/NEEDED/ {gsub(/[][]/, "", $NF); printf " %s", $NF}'
echo
