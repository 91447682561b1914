// Small device queries: an interface's MAC string, the LAN bridge's address,
// whether a file can be opened.
#define WLAN_UNIT_NAME "wlan_dev_api"
#include "qz_wlan_util.h"

#include <string.h>

#include "wlan_internal.h"

namespace {

constexpr uint32_t kMacBytes = 6;
constexpr uint32_t kBr0MacBufLen = 20;
constexpr char kBridge[] = "br0";

}  // namespace

uint32_t WLAN_GetIfMacStr(const char *ifName, char *dst, uint32_t size)
{
    if (ifName == nullptr || dst == nullptr) {
        WLAN_LAST_WORD(WLAN_ERR_NULL_ARG, size, 0);
        return WLAN_ERR_NULL_ARG;
    }
    uint32_t ip = 0;
    uint8_t mac[kMacBytes];
    memset(mac, 0, sizeof(mac));
    uint32_t ret = QZ_OS_GetIfIpAndMac(ifName, &ip, mac);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return 1;
    }
    ret = UTIL_MacHexToStr(mac, kMacBytes, dst, size);
    if (ret != 0) WLAN_LAST_WORD(ret, size, 0);
    return ret;
}

uint32_t WLAN_GetBr0IP(char *dst, uint32_t size)
{
    if (dst == nullptr || size == 0) {
        WLAN_LAST_WORD(1, size, 0);
        return 1;
    }
    uint32_t ip = 0;
    uint8_t mac[kBr0MacBufLen];
    memset(mac, 0, sizeof(mac));
    uint32_t ret = QZ_OS_GetIfIpAndMac(kBridge, &ip, mac);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    // The interface query answers in network order, the formatter takes host
    // order; the gateway and this build are both little-endian.
    ip = __builtin_bswap32(ip);
    ret = QZ_OS_IpAddrToStr(ip, dst, size);
    if (ret != 0) WLAN_LAST_WORD(ret, size, 0);
    return ret;
}

uint32_t WLAN_IsFileAccess(const char *path)
{
    if (path == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    int32_t fd = QZ_OS_Open(path, 0, 0);
    if (fd == -1) return 0;
    // Closing what it opened: a failed close leaves nothing to undo.
    (void)QZ_OS_Close(fd);
    return 1;
}
