// URL parts: scheme://[user:password@]host[:port]/path, found with single
// character searches only (no escapes, no scheme rules).
#define WLAN_UNIT_NAME "wlan_base"
#include "qz_wlan_util.h"

#include <string.h>

#include "wlan_internal.h"

namespace {

constexpr uint32_t kHostBufLen = 256;

// Copies [begin, end) into dst; a failure is traced with the copy's code.
uint32_t CopySpan(const char *begin, const char *end, char *dst, uint32_t size)
{
    int ret = strncpy_s(dst, size, begin, static_cast<size_t>(end - begin));
    if (ret != 0) {
        WLAN_LAST_WORD(ret, size, 0);
        return static_cast<uint32_t>(ret);
    }
    return 0;
}

// The character `skip` places after the first `ch`, or null. The skipped
// characters must exist: stepping over the terminator would leave the text.
const char *After(const char *text, char ch, uint32_t skip)
{
    const char *found = QZ_OS_StrChr(text, ch);
    if (found == nullptr || QZ_OS_StrNLen(found + 1, skip - 1) < skip - 1) return nullptr;
    return found + skip;
}

// The head, traced when missing.
const char *Head(const char *url)
{
    const char *head = WLAN_BASE_GetHeadStrChr(url);
    if (head == nullptr) WLAN_LAST_WORD(1, 0, 0);
    return head;
}

}  // namespace

uint32_t WLAN_GetProtocolType(const char *url, char *dst, uint32_t size)
{
    const char *colon = QZ_OS_StrChr(url, ':');
    if (colon == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    return CopySpan(url, colon, dst, size);
}

uint32_t WLAN_IsIncludeUserInfo(const char *url)
{
    return QZ_OS_StrChr(url, '@') != nullptr ? 1u : 0u;
}

char *WLAN_BASE_GetHeadStrChr(const char *url)
{
    const char *head = WLAN_IsIncludeUserInfo(url) ? After(url, '@', 1) : After(url, ':', 3);
    return const_cast<char *>(head);
}

uint32_t WLAN_GetDomain(const char *url, char *dst, uint32_t size)
{
    const char *head = Head(url);
    if (head == nullptr) return 1;
    const char *end = QZ_OS_StrChr(head, ':');
    if (end == nullptr) end = QZ_OS_StrChr(head, '/');
    if (end == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    return CopySpan(head, end, dst, size);
}

uint32_t WLAN_GetPort(const char *url, char *dst, uint32_t size)
{
    const char *head = Head(url);
    if (head == nullptr) return 1;
    const char *colon = QZ_OS_StrChr(head, ':');
    if (colon == nullptr) {
        int ret = strcpy_s(dst, size, "80");
        if (ret != 0) WLAN_LAST_WORD(ret, size, 0);
        return static_cast<uint32_t>(ret);
    }
    const char *slash = QZ_OS_StrChr(colon + 1, '/');
    if (slash == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    return CopySpan(colon + 1, slash, dst, size);
}

uint32_t WLAN_GetRemotePath(const char *url, char *dst, uint32_t size)
{
    const char *head = Head(url);
    if (head == nullptr) return 1;
    const char *slash = QZ_OS_StrChr(head, '/');
    if (slash == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    int ret = strcpy_s(dst, size, slash + 1);
    if (ret != 0) WLAN_LAST_WORD(ret, size, 0);
    return static_cast<uint32_t>(ret);
}

uint32_t WLAN_GetUserInfo(char *url, char *user, uint32_t userSize, char *password, uint32_t passwordSize)
{
    const char *userStart = After(url, ':', 3);
    const char *userEnd = userStart != nullptr ? QZ_OS_StrChr(userStart, ':') : nullptr;
    if (userEnd == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    uint32_t ret = CopySpan(userStart, userEnd, user, userSize);
    if (ret != 0) return ret;
    char *pwStart = const_cast<char *>(userEnd) + 1;
    const char *pwEnd = QZ_OS_StrChr(pwStart, '@');
    if (pwEnd == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    size_t pwLen = static_cast<size_t>(pwEnd - pwStart);
    int copied = strncpy_s(password, passwordSize, pwStart, pwLen);
    // The password leaves the caller's URL whatever the copy gave.
    if (pwLen > 0) (void)memset_s(pwStart, pwLen, 0, pwLen);
    if (copied != 0) {
        WLAN_LAST_WORD(copied, passwordSize, 0);
        return static_cast<uint32_t>(copied);
    }
    return 0;
}

uint32_t WLAN_EndWithZip(const char *name)
{
    uint32_t len = QZ_OS_StrLen(name);
    if (len < 4) return 0;
    const char *tail = name + len - 4;
    return (tail[0] == '.' && tail[1] == 'z' && tail[2] == 'i' && tail[3] == 'p') ? 1u : 0u;
}

uint32_t WLAN_IsIpInvalid(const char *host)
{
    return QZ_OS_GetHostByName4(host, "") == 0 ? 1u : 0u;
}

uint32_t WLAN_IsUrlInvalid(const char *url)
{
    char host[kHostBufLen];
    memset(host, 0, sizeof(host));
    // A URL without a host leaves it empty, which does not resolve.
    (void)WLAN_GetDomain(url, host, sizeof(host));
    return WLAN_IsIpInvalid(host);
}
