/*
 * What every source unit of the library shares. Each unit defines
 * WLAN_UNIT_NAME (its trace source name, e.g. "wlan_debug") before including
 * this header.
 */
#ifndef WLAN_INTERNAL_H
#define WLAN_INTERNAL_H

#include "qz_platform.h"

#ifndef WLAN_UNIT_NAME
#error "define WLAN_UNIT_NAME before including wlan_internal.h"
#endif

/* The one way failures are reported: a last-word record with two values. */
#define WLAN_LAST_WORD(code, v1, v2) \
    ((void)QZ_PROC_DBG_LastWord(WLAN_UNIT_NAME, __LINE__, (uint32_t)(code), (uint32_t)(v1), (uint32_t)(v2), 0u, 0u))

/* The engineer's debug console, where wlancmd output goes. */
#define WLAN_CONSOLE(...) QZ_PROC_DBG_TraceS(0u, 0u, 0u, 3u, __VA_ARGS__)

#define WLAN_MALLOC(size) QZ_OS_MemMallocSet((uint32_t)(size), __LINE__, WLAN_UNIT_NAME)
#define WLAN_FREE(block) QZ_OS_MemFreeD((block), WLAN_UNIT_NAME, __LINE__)

#define WLAN_ARRAY_SIZE(a) (sizeof(a) / sizeof((a)[0]))

#endif /* WLAN_INTERNAL_H */
