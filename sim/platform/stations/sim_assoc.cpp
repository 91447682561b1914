// The WLAN service's associated-device query behind the station listing: one
// 1698-byte record per station of the model (MAC text at 0, RSSI text at
// 1031), numbered from 1 per SSID, and the per-VAP station limit.
#include <cstring>
#include <mutex>

#include "qz_platform.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

extern "C" {

uint32_t QZ_WLAN_GetIfAssociatedDevice(uint32_t ssidIndex, uint32_t staNumber, void *record)
{
    uint32_t ret;
    if (Faulted("QZ_WLAN_GetIfAssociatedDevice", &ret)) return ret;
    if (record == nullptr || staNumber == 0) return 1;
    std::lock_guard<std::mutex> lock(ModelMutex());
    uint32_t seen = 0;
    for (const SimStation &s : Model().stations) {
        if (s.ssid != ssidIndex || ++seen != staNumber) continue;
        auto *out = static_cast<char *>(record);
        memset(out, 0, QZ_ASSOC_DEV_RECORD_LEN);
        memcpy(out, s.mac.c_str(), s.mac.size() + 1);
        snprintf(out + QZ_ASSOC_DEV_RSSI_OFFSET, QZ_ASSOC_DEV_RECORD_LEN - QZ_ASSOC_DEV_RSSI_OFFSET, "%d", s.rssi);
        return 0;
    }
    return 1;
}

uint32_t WLAN_GetStaNumMax(void)
{
    uint32_t ret;
    if (Faulted("WLAN_GetStaNumMax", &ret)) return ret;
    std::lock_guard<std::mutex> lock(ModelMutex());
    return Model().wlan.staNumMax;
}

}  // extern "C"
