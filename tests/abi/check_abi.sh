#!/bin/sh
# Checks the shared library's ABI: it exports exactly the listed names, imports
# only platform calls and C library functions, needs only the C library and has
# no global constructors or destructors.
# Usage: check_abi.sh LIBRARY EXPORTS_DIR PLATFORM_HEADER
set -eu
lib=$1 exports_dir=$2 platform_header=$3
NM=${NM:-nm} READELF=${READELF:-readelf}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0

cat "$exports_dir"/*.txt | sed 's/#.*//; /^[[:space:]]*$/d' | sort -u >"$tmp/expected"
"$NM" -D --defined-only "$lib" | awk '{print $3}' | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' | sort -u >"$tmp/actual"
if ! diff -u "$tmp/expected" "$tmp/actual" >"$tmp/diff"; then
    echo "exported names differ from $exports_dir (- missing, + extra):"
    grep -E '^[-+][^-+]' "$tmp/diff" || true
    fail=1
fi

# Imports: platform calls declared in the platform header, or the C library.
# On 32-bit ARM, mktime with 64-bit time is __mktime64, and the compiler
# runtime's division-by-zero handler (__aeabi_idiv0) calls raise.
libc_allowed='^(memset|memcpy|memmove|memchr|memcmp|strlen|strnlen|strchr|strstr|strcmp|strncmp|mktime|__mktime64|raise|abort|__stack_chk_fail|__cxa_finalize|_ITM_deregisterTMCloneTable|_ITM_registerTMCloneTable|__gmon_start__|__aeabi_[a-z0-9_]+|__assert_fail|dlopen|dlsym|dlclose|__errno_location|__tls_get_addr)$'
"$NM" -D --undefined-only "$lib" | awk '{print $2}' | sed 's/@.*//' | sort -u >"$tmp/imports"
while read -r name; do
    if echo "$name" | grep -qE "$libc_allowed"; then continue; fi
    if grep -qE "(^|[^A-Za-z0-9_])$name[[:space:]]*\(" "$platform_header"; then continue; fi
    echo "imports a name that is neither a platform call nor a C library function: $name"
    fail=1
done <"$tmp/imports"

needed=$("$READELF" -d "$lib" | awk '/NEEDED/ {print $NF}' | tr -d '[]' | sort -u | tr '\n' ' ')
case "$needed" in
    "libc.so.6 " | "") ;;
    *) echo "needs more than the C library: $needed"; fail=1 ;;
esac

if "$NM" "$lib" 2>/dev/null | grep -qE '_GLOBAL__sub_[ID]_|__cxa_atexit'; then
    echo "has global constructors or destructors:"
    "$NM" "$lib" | grep -E '_GLOBAL__sub_[ID]_|__cxa_atexit'
    fail=1
fi

[ $fail -eq 0 ] && echo "abi ok: $(wc -l <"$tmp/actual") exported names, imports: $(wc -l <"$tmp/imports")"
exit $fail
