// MAC text converters: six bytes <-> "AA:BB:CC:DD:EE:FF" (upper-case hex,
// colon separators, as the gateway's utility library writes them).
#include <cstdio>

#include "qz_platform.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {
constexpr uint32_t kMacBytes = 6;
constexpr uint32_t kMacText = 18;  // 17 characters and the NUL
}  // namespace

extern "C" {

uint32_t UTIL_MacHexToStr(const uint8_t *mac, uint32_t count, char *text, uint32_t size)
{
    uint32_t ret;
    if (Faulted("UTIL_MacHexToStr", &ret)) return ret;
    if (mac == nullptr || text == nullptr || count < kMacBytes || size < kMacText) return 1;
    snprintf(text, size, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return 0;
}

uint32_t UTIL_MacStrToHex(const char *text, uint8_t *mac, uint32_t count)
{
    uint32_t ret;
    if (Faulted("UTIL_MacStrToHex", &ret)) return ret;
    std::array<uint8_t, 6> bytes{};
    if (text == nullptr || mac == nullptr || count < kMacBytes || !ParseMac(text, &bytes)) return 1;
    for (uint32_t i = 0; i < kMacBytes; i++) mac[i] = bytes[i];
    return 0;
}

}  // extern "C"
