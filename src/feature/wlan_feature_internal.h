// Internal interface of the feature cache (not exported).
#ifndef WLAN_FEATURE_INTERNAL_H
#define WLAN_FEATURE_INTERNAL_H

#include <stdint.h>

// Puts every accessor's cache back to "not asked", as at load time, so that a
// test program can start each case from a freshly loaded library.
void WLAN_FT_ResetCaches(void);

#endif  // WLAN_FEATURE_INTERNAL_H
