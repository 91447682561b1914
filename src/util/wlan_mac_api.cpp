// MAC strings in the masked form of the logs, separator rewrite, minimum.
#define WLAN_UNIT_NAME "wlan_mac_api"
#include "qz_wlan_util.h"

#include <string.h>

#include "qz_wlan_feature.h"
#include "wlan_internal.h"

namespace {

constexpr uint32_t kMacBytes = 6;
constexpr uint32_t kMacTextLen = 17;
constexpr uint32_t kSeparatorAt[] = {2, 5, 8, 11, 14};

}  // namespace

void WLAN_GetMacLogFormat(const char *mac, char *dst, uint32_t size)
{
    if (mac == nullptr || dst == nullptr) {
        WLAN_LAST_WORD(1, size, 0);
        return;
    }
    if (WLAN_FT_FT_WLAN_SHOW_FULL_MAC(0) != 0) {
        int ret = strcpy_s(dst, size, mac);
        if (ret != 0) WLAN_LAST_WORD(ret, size, 0);
        return;
    }
    int n = sprintf_s(dst, size, "%.11s:XX:XX", mac);
    if (n <= 0) WLAN_LAST_WORD(1, n, size);
}

void WLAN_GetHexMacLogFormat(const uint8_t *mac, uint32_t count, char *dst, uint32_t size)
{
    if (mac == nullptr || count < kMacBytes || dst == nullptr || size < WLAN_MAC_STR_LEN) {
        WLAN_LAST_WORD(1, count, size);
        return;
    }
    char text[WLAN_MAC_STR_LEN];
    memset(text, 0, sizeof(text));
    // A failed conversion leaves the text empty, which is then masked as is.
    (void)UTIL_MacHexToStr(mac, count, text, sizeof(text));
    WLAN_GetMacLogFormat(text, dst, size);
}

uint32_t WLAN_MacSplitChange(char *mac, char separator)
{
    uint32_t len = QZ_OS_StrLen(mac);
    if (len != kMacTextLen) {
        WLAN_LAST_WORD(1, len, 0);
        return 1;
    }
    for (uint32_t at : kSeparatorAt) mac[at] = separator;
    return 0;
}

uint32_t WLAN_GetMinNum(uint32_t a, uint32_t b)
{
    return a < b ? a : b;
}
