// Bounded memory and text operations. A copy that does not fit fails and
// leaves the destination empty: never a cut string. Distinct codes tell a
// missing argument from a destination too small.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qz_platform.h"
#include "qz_sim_bounded.h"
#include "sim_internal.h"

namespace qzsim {
// True while a test refuses copies of this text (QZSIM_RefuseCopyOf).
bool CopyRefused(const char *src);
}  // namespace qzsim

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

// A failure injected by a test: the call's failure form, the destination
// left empty as a real failure leaves it.
bool Injected(const char *name, void *dest, size_t destMax, int *ret)
{
    if (!qzsim::Faulted(name, ret)) return false;
    if (!BadDest(dest, destMax)) memset(dest, 0, destMax);
    return true;
}

int CopyN(char *dest, size_t destMax, const char *src, size_t count)
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

int FormatV(char *dest, size_t destMax, const char *fmt, va_list ap)
{
    if (BadDest(dest, destMax) || fmt == nullptr) return -1;
    int n = vsnprintf(dest, destMax, fmt, ap);
    if (n < 0 || static_cast<size_t>(n) >= destMax) {
        dest[0] = '\0';
        return -1;
    }
    return n;
}

}  // namespace

extern "C" {

int memcpy_s(void *dest, size_t destMax, const void *src, size_t count)
{
    int ret;
    if (Injected("memcpy_s", dest, destMax, &ret)) return ret;
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
    int ret;
    if (Injected("strncpy_s", dest, destMax, &ret)) return ret;
    return CopyN(dest, destMax, src, count);
}

int strcpy_s(char *dest, size_t destMax, const char *src)
{
    int ret;
    if (Injected("strcpy_s", dest, destMax, &ret)) return ret;
    if (!BadDest(dest, destMax) && qzsim::CopyRefused(src)) return Fail(dest, QZ_SIM_ERANGE);
    // Reads at most destMax bytes of src: a longer source fails either way.
    return CopyN(dest, destMax, src, destMax);
}

int strcat_s(char *dest, size_t destMax, const char *src)
{
    int ret;
    if (Injected("strcat_s", dest, destMax, &ret)) return ret;
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
    int ret;
    if (Injected("vsprintf_s", dest, destMax, &ret)) return ret;
    return FormatV(dest, destMax, fmt, ap);
}

int sprintf_s(char *dest, size_t destMax, const char *fmt, ...)
{
    int ret;
    if (Injected("sprintf_s", dest, destMax, &ret)) return ret;
    va_list ap;
    va_start(ap, fmt);
    int n = FormatV(dest, destMax, fmt, ap);
    va_end(ap);
    return n;
}

// Writes at most min(count, destMax - 1) characters. When the whole output is
// longer, nothing is kept and the whole length is answered, so a caller that
// compares it with its space drops the record instead of keeping a cut one.
int vsnprintf_s(char *dest, size_t destMax, size_t count, const char *fmt, va_list ap)
{
    int ret;
    if (Injected("vsnprintf_s", dest, destMax, &ret)) return ret;
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

// Reads at most eight conversions; text never overflows its destination.
int sscanf_s(const char *buffer, const char *fmt, ...)
{
    int ret;
    if (qzsim::Faulted("sscanf_s", &ret)) return ret;
    if (buffer == nullptr || fmt == nullptr) return -1;
    // Text conversions (%s, %c, %[) take the destination size after the
    // pointer. They scan into a buffer one character larger, so a text that
    // does not fit is seen and fails (nothing assigned from it on) instead
    // of being cut. Every argument is a pointer: the format is replayed.
    constexpr int kMaxArgs = 8;
    struct Arg {
        void *dest = nullptr;
        size_t size = 0;     // text conversions only
        bool exact = false;  // %c: exactly its width, no terminator
        std::vector<char> scratch;
    };
    Arg args[kMaxArgs];
    int nargs = 0;
    std::string rewritten;
    va_list ap;
    va_start(ap, fmt);
    bool bad = false;
    for (const char *p = fmt; *p != '\0' && !bad; p++) {
        rewritten += *p;
        if (*p != '%') continue;
        if (p[1] == '%') {
            rewritten += *++p;
            continue;
        }
        const char *q = p + 1;
        bool suppressed = *q == '*';
        if (suppressed) q++;
        unsigned long width = 0;
        for (; *q >= '0' && *q <= '9'; q++) width = width * 10 + static_cast<unsigned long>(*q - '0');
        const char *mods = q;
        q += strspn(q, "hljztL");
        const char *conv = q;
        if (*q == '[') {
            // The scan set runs to the closing bracket (a leading ] belongs to it).
            q++;
            if (*q == '^') q++;
            if (*q == ']') q++;
            while (*q != '\0' && *q != ']') q++;
        }
        if (*q == '\0' || (!suppressed && nargs == kMaxArgs)) {
            bad = true;
            break;
        }
        bool text = *conv == 's' || *conv == 'c' || *conv == '[';
        std::string conversion(suppressed ? "*" : "");
        if (!suppressed && text) {
            Arg &a = args[nargs];
            a.dest = va_arg(ap, void *);
            a.size = va_arg(ap, unsigned);
            a.exact = *conv == 'c';
            if (a.exact && width == 0) width = 1;
            if (a.size == 0 || (a.exact && width > a.size)) {
                bad = true;
                break;
            }
            if (!a.exact && (width == 0 || width > a.size)) width = a.size;
            a.scratch.assign(width + 1, '\0');
        } else if (!suppressed) {
            args[nargs].dest = va_arg(ap, void *);
        }
        if (!suppressed) nargs++;
        if (width != 0) conversion += std::to_string(width);
        rewritten += conversion + std::string(mods, q + 1);
        p = q;
    }
    va_end(ap);
    if (bad) return -1;
    void *ptrs[kMaxArgs];
    for (int i = 0; i < kMaxArgs; i++) ptrs[i] = args[i].scratch.empty() ? args[i].dest : args[i].scratch.data();
    int n = sscanf(buffer, rewritten.c_str(), ptrs[0], ptrs[1], ptrs[2], ptrs[3], ptrs[4], ptrs[5], ptrs[6], ptrs[7]);
    for (int i = 0; i < n && i < nargs; i++) {
        Arg &a = args[i];
        if (a.scratch.empty()) continue;
        size_t len = a.exact ? a.scratch.size() - 1 : strlen(a.scratch.data());
        if (!a.exact && len >= a.size) {
            static_cast<char *>(a.dest)[0] = '\0';
            return i;  // the fields before the one that did not fit
        }
        memcpy(a.dest, a.scratch.data(), a.exact ? len : len + 1);
    }
    return n;
}

}  // extern "C"
