/*
 * Formatting a message behind a line's head, as every log writer of the
 * library does. It reports nothing itself: each writer decides what a failed
 * or overlong message means and reports it under its own unit name.
 */
#ifndef WLAN_LINE_FORMAT_H
#define WLAN_LINE_FORMAT_H

#include <stdarg.h>
#include <stdint.h>

#include "qz_platform.h"

/* Formats a message behind the first `used` bytes of a line of `size` bytes.
 * *fits tells whether the whole message and its NUL are in the line; the
 * result is the formatter's (not positive on failure, the full message length
 * otherwise, even when it did not fit). */
inline int WLAN_FormatBehind(char *line, uint32_t size, uint32_t used, bool *fits, const char *fmt, va_list ap)
{
    *fits = false;
    if (used >= size) {
        return -1;
    }
    uint32_t space = size - used;
    int ret = vsnprintf_s(line + used, space, space, fmt, ap);
    // The formatter answers the full length when the message is cut, so only
    // a length below the space means the whole message and its NUL are there.
    *fits = ret >= 0 && static_cast<uint32_t>(ret) < space;
    return ret;
}

#endif /* WLAN_LINE_FORMAT_H */
