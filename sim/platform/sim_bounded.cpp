// Bounded memory and text operations. A copy that does not fit fails and
// leaves the destination empty: never a cut string. Distinct codes tell a
// missing argument from a destination too small.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "qz_platform.h"
#include "qz_sim_bounded.h"

namespace {

constexpr size_t kMaxDest = 0x7FFFFFFFu;  // larger sizes are caller bugs

bool BadDest(const void *dest, size_t destMax)
{
    return dest == nullptr || destMax == 0 || destMax > kMaxDest;
}

bool Overlap(const void *a, size_t alen, const void *b, size_t blen)
{
    auto pa = reinterpret_cast<uintptr_t>(a);
    auto pb = reinterpret_cast<uintptr_t>(b);
    return pa < pb + blen && pb < pa + alen;
}

int Fail(char *dest, int code)
{
    dest[0] = '\0';
    return code;
}

}  // namespace

extern "C" {

int memcpy_s(void *dest, size_t destMax, const void *src, size_t count)
{
    if (BadDest(dest, destMax)) return QZ_SIM_EINVAL;
    if (src == nullptr) {
        memset(dest, 0, destMax);
        return QZ_SIM_EINVAL;
    }
    if (count > destMax) {
        memset(dest, 0, destMax);
        return QZ_SIM_ERANGE;
    }
    if (count == 0) return QZ_SIM_EOK;
    if (Overlap(dest, count, src, count)) {
        memset(dest, 0, destMax);
        return QZ_SIM_EOVERLAP;
    }
    memcpy(dest, src, count);
    return QZ_SIM_EOK;
}

int memset_s(void *dest, size_t destMax, int ch, size_t count)
{
    if (BadDest(dest, destMax)) return QZ_SIM_EINVAL;
    if (count > destMax) {
        memset(dest, ch, destMax);
        return QZ_SIM_ERANGE;
    }
    memset(dest, ch, count);
    return QZ_SIM_EOK;
}

int strncpy_s(char *dest, size_t destMax, const char *src, size_t count)
{
    if (BadDest(dest, destMax)) return QZ_SIM_EINVAL;
    if (src == nullptr) return Fail(dest, QZ_SIM_EINVAL);
    size_t len = strnlen(src, count);
    if (len >= destMax) return Fail(dest, QZ_SIM_ERANGE);
    if (Overlap(dest, len + 1, src, len + 1)) return Fail(dest, QZ_SIM_EOVERLAP);
    memcpy(dest, src, len);
    dest[len] = '\0';
    return QZ_SIM_EOK;
}

int strcpy_s(char *dest, size_t destMax, const char *src)
{
    // Reads at most destMax bytes of src: a longer source fails either way.
    return strncpy_s(dest, destMax, src, destMax);
}

int strcat_s(char *dest, size_t destMax, const char *src)
{
    if (BadDest(dest, destMax)) return QZ_SIM_EINVAL;
    if (src == nullptr) return Fail(dest, QZ_SIM_EINVAL);
    size_t used = strnlen(dest, destMax);
    if (used == destMax) return Fail(dest, QZ_SIM_EINVAL);  // destination not terminated
    size_t len = strnlen(src, destMax - used);
    if (used + len >= destMax) return Fail(dest, QZ_SIM_ERANGE);
    memcpy(dest + used, src, len);
    dest[used + len] = '\0';
    return QZ_SIM_EOK;
}

int vsprintf_s(char *dest, size_t destMax, const char *fmt, va_list ap)
{
    if (BadDest(dest, destMax) || fmt == nullptr) return -1;
    int n = vsnprintf(dest, destMax, fmt, ap);
    if (n < 0 || static_cast<size_t>(n) >= destMax) {
        dest[0] = '\0';
        return -1;
    }
    return n;
}

int sprintf_s(char *dest, size_t destMax, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = vsprintf_s(dest, destMax, fmt, ap);
    va_end(ap);
    return n;
}

// Writes at most min(count, destMax - 1) characters. When the whole output is
// longer, nothing is kept and the whole length is answered, so a caller that
// compares it with its space drops the record instead of keeping a cut one.
int vsnprintf_s(char *dest, size_t destMax, size_t count, const char *fmt, va_list ap)
{
    if (BadDest(dest, destMax) || fmt == nullptr) return -1;
    size_t limit = count < destMax - 1 ? count : destMax - 1;
    int n = vsnprintf(dest, destMax, fmt, ap);
    if (n < 0) {
        dest[0] = '\0';
        return -1;
    }
    if (static_cast<size_t>(n) > limit) {
        dest[0] = '\0';
    }
    return n;
}

// Numeric and literal conversions only: the forms that need a size argument
// (%s, %c, %[) are refused rather than read without a bound.
int sscanf_s(const char *buffer, const char *fmt, ...)
{
    if (buffer == nullptr || fmt == nullptr) return -1;
    for (const char *p = strchr(fmt, '%'); p != nullptr; p = strchr(p + 2, '%')) {
        if (p[1] == '\0') break;
        const char *conv = p + 1 + strspn(p + 1, "0123456789hljztL*");
        if (*conv == 's' || *conv == 'c' || *conv == '[') return -1;
        if (p[1] == '%') continue;
    }
    va_list ap;
    va_start(ap, fmt);
    int n = vsscanf(buffer, fmt, ap);
    va_end(ap);
    return n;
}

}  // extern "C"
