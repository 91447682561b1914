// URL operations on arbitrary text: no read outside the URL, results always
// terminated inside their destination, the password wipe only shortens.
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "qz_wlan_util.h"

namespace {

using Getter = uint32_t (*)(const char *, char *, uint32_t);
constexpr Getter kGetters[] = {WLAN_GetProtocolType, WLAN_GetDomain, WLAN_GetPort, WLAN_GetRemotePath};

void Check(bool ok)
{
    if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    qzfuzz::SetUpPlatform();
    std::vector<char> url = qzfuzz::Text(data, size);
    const size_t len = strlen(url.data());
    for (uint32_t dstSize : {1u, 8u, 300u}) {
        for (Getter get : kGetters) {
            std::vector<char> dst(dstSize, '\x5A');
            if (get(url.data(), dst.data(), dstSize) == 0) Check(memchr(dst.data(), '\0', dstSize) != nullptr);
        }
    }
    char *head = WLAN_BASE_GetHeadStrChr(url.data());
    Check(head == nullptr || (head >= url.data() && head <= url.data() + len));
    (void)WLAN_IsIncludeUserInfo(url.data());
    (void)WLAN_EndWithZip(url.data());
    (void)WLAN_IsUrlInvalid(url.data());

    std::vector<char> user(16, '\x5A');
    std::vector<char> pw(16, '\x5A');
    uint32_t rc = WLAN_GetUserInfo(url.data(), user.data(), 16, pw.data(), 16);
    Check(strlen(url.data()) <= len);
    if (rc == 0) Check(memchr(user.data(), '\0', 16) != nullptr && memchr(pw.data(), '\0', 16) != nullptr);
    qzfuzz::DropRecords();
    return 0;
}
