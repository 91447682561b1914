// Internal interface of the platform queries (not exported).
#ifndef WLAN_QUERY_INTERNAL_H
#define WLAN_QUERY_INTERNAL_H

#include <stdint.h>

// Put the cached product answers back to their load-time values, so that a
// test program can start each case from a freshly loaded library.
void WLAN_SPEC_ResetCache(void);
void WLAN_DM_ResetCaches(void);

#endif  // WLAN_QUERY_INTERNAL_H
