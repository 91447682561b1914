// Internals of the roam and topology writers, shared with their tests.
#ifndef WLAN_LOG_LINE_H
#define WLAN_LOG_LINE_H

#include <stdarg.h>
#include <stdint.h>

// The number of the topology file written next (1 to 10). Guarded by the
// topology lock; tests set it while no writer runs.
extern uint32_t g_uiTopoFileIndex;

// Formats a message behind the first `used` bytes of a line of `size` bytes.
// *fits tells whether the whole message and its NUL are in the line; the
// result is the formatter's (not positive on failure, the full message length
// otherwise, even when it did not fit).
int WLAN_LOG_FormatBehind(char *line, uint32_t size, uint32_t used, bool *fits, const char *fmt, va_list ap);

#endif /* WLAN_LOG_LINE_H */
