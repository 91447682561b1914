// Profile section "wifiLog": the Wi-Fi log module's MAC policy.
//   "wifiLog": { "showFullMac": 0 }   0 masks addresses in logs (the default)
#include <atomic>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

std::atomic<uint32_t> g_showFullMac{0};

bool ParseWifiLog(const json *value, ProfileApply *apply, std::string *error)
{
    long long showFullMac = 0;
    if (value != nullptr) {
        if (!CheckKeys(*value, {"showFullMac"}, "wifiLog", error) ||
            !ReadInt(*value, "showFullMac", 0, UINT32_MAX, &showFullMac, "wifiLog", error)) {
            return false;
        }
    }
    *apply = [showFullMac] { g_showFullMac.store(static_cast<uint32_t>(showFullMac)); };
    return true;
}
QZSIM_PROFILE_SECTION("wifiLog", ParseWifiLog);

}  // namespace

extern "C" {

uint32_t WIFI_GetHideMacStatus(void)
{
    uint32_t ret;
    if (Faulted("WIFI_GetHideMacStatus", &ret)) return ret;
    return g_showFullMac.load();
}

}  // extern "C"
