// Internals of the topology writer, shared with its tests.
#ifndef WLAN_LOG_LINE_H
#define WLAN_LOG_LINE_H

#include <stdint.h>

// The number of the topology file written next (1 to 10). Guarded by the
// topology lock; tests set it while no writer runs.
extern uint32_t g_uiTopoFileIndex;

#endif /* WLAN_LOG_LINE_H */
