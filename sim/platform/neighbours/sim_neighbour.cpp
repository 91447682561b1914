// The gateway's own radios as the neighbour maps see them: radio count,
// current channel and BSSID of an SSID (from the "wlan" model), and the
// neighbours each radio's scan found (profile section "neighbours").
#include <cstring>
#include <mutex>

#include "qz_platform.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {

constexpr uint32_t kRadioSlots = 4;

struct ScannedAp {
    uint32_t radio = 1;
    std::string ssid;
    std::string bssid;
    uint32_t channel = 0;
    int32_t rssi = -70;
};

struct Scan {
    std::mutex mu;
    std::vector<ScannedAp> aps;
};

Scan &Sc()
{
    static Scan scan;
    return scan;
}

bool ParseScanned(const json &obj, const std::string &p, ScannedAp *ap, std::string *error)
{
    long long radio = 1;
    long long channel = 0;
    long long rssi = ap->rssi;
    std::array<uint8_t, 6> mac{};
    if (!CheckKeys(obj, {"radio", "ssid", "bssid", "channel", "rssi"}, p, error) ||
        !ReadInt(obj, "radio", 1, kRadioSlots, &radio, p, error) || !ReadString(obj, "ssid", &ap->ssid, p, error) ||
        !ReadString(obj, "bssid", &ap->bssid, p, error) || !ReadInt(obj, "channel", 0, 255, &channel, p, error) ||
        !ReadInt(obj, "rssi", -128, 127, &rssi, p, error)) {
        return false;
    }
    if (!ParseMac(ap->bssid, &mac)) {
        *error = p + ".bssid: required, a MAC address";
        return false;
    }
    if (ap->ssid.size() > 32) {
        *error = p + ".ssid: at most 32 characters";
        return false;
    }
    ap->radio = static_cast<uint32_t>(radio);
    ap->channel = static_cast<uint32_t>(channel);
    ap->rssi = static_cast<int32_t>(rssi);
    return true;
}

bool ParseNeighbours(const json *value, ProfileApply *apply, std::string *error)
{
    std::vector<ScannedAp> aps;
    if (value != nullptr) {
        if (!value->is_array()) {
            *error = "neighbours: must be an array";
            return false;
        }
        for (size_t i = 0; i < value->size(); i++) {
            ScannedAp ap;
            if (!ParseScanned((*value)[i], "neighbours[" + std::to_string(i) + "]", &ap, error)) return false;
            aps.push_back(ap);
        }
    }
    *apply = [aps] {
        std::lock_guard<std::mutex> lock(Sc().mu);
        Sc().aps = aps;
    };
    return true;
}
QZSIM_PROFILE_SECTION("neighbours", ParseNeighbours);

// The radio (from 1) that owns an SSID index; 0 for none.
uint32_t RadioOfSsid(uint32_t ssidIndex)
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    const SimWlan &w = Model().wlan;
    if (w.ssidPerBand == 0 || ssidIndex >= w.ssids.size()) return 0;
    return ssidIndex / w.ssidPerBand + 1;
}

}  // namespace

extern "C" {

uint32_t QZ_WLAN_GetWlanNum(void)
{
    uint32_t ret;
    if (Faulted("QZ_WLAN_GetWlanNum", &ret)) return ret;
    std::lock_guard<std::mutex> lock(ModelMutex());
    return Model().wlan.radios;
}

uint32_t QZ_WLAN_GetCurrentChannel(uint32_t ssidIndex, uint32_t *channel)
{
    uint32_t ret;
    if (Faulted("QZ_WLAN_GetCurrentChannel", &ret)) return ret;
    if (channel == nullptr) return 1;
    std::lock_guard<std::mutex> lock(ModelMutex());
    if (ssidIndex >= Model().wlan.ssids.size()) return 1;
    *channel = Model().wlan.ssids[ssidIndex].channel;
    return 0;
}

uint32_t WLAN_VAP_GetHexBssid(uint32_t ssidIndex, uint8_t *bssid, uint32_t len)
{
    uint32_t ret;
    if (Faulted("WLAN_VAP_GetHexBssid", &ret)) return ret;
    if (bssid == nullptr || len < 6) return 1;
    std::lock_guard<std::mutex> lock(ModelMutex());
    if (ssidIndex >= Model().wlan.ssids.size()) return 1;
    memcpy(bssid, Model().wlan.ssids[ssidIndex].bssid.data(), 6);
    return 0;
}

uint32_t WLAN_Adpt_GetNeighborhoodAPInfo(uint32_t ssidIndex, uint32_t neighbourNumber, void *record)
{
    uint32_t ret;
    if (Faulted("WLAN_Adpt_GetNeighborhoodAPInfo", &ret)) return ret;
    uint32_t radio = RadioOfSsid(ssidIndex);
    if (record == nullptr || radio == 0 || neighbourNumber == 0) return 1;
    std::lock_guard<std::mutex> lock(Sc().mu);
    uint32_t seen = 0;
    for (const ScannedAp &ap : Sc().aps) {
        if (ap.radio != radio || ++seen != neighbourNumber) continue;
        auto *out = static_cast<uint8_t *>(record);
        memset(out, 0, QZ_NEIGH_RECORD_LEN);
        memcpy(out + QZ_NEIGH_RECORD_BSSID_OFFSET, ap.bssid.c_str(), ap.bssid.size() + 1);
        memcpy(out + QZ_NEIGH_RECORD_SSID_OFFSET, ap.ssid.c_str(), ap.ssid.size() + 1);
        out[QZ_NEIGH_RECORD_CHANNEL_OFFSET] = static_cast<uint8_t>(ap.channel);
        out[QZ_NEIGH_RECORD_RSSI_OFFSET] = static_cast<uint8_t>(static_cast<int8_t>(ap.rssi));
        return 0;
    }
    return 1;
}

// Scanned neighbours per radio (the list's content is the scanner's own).
uint32_t WLAN_GetWifiNeighbor_CliNeighNum(uint32_t *counts, uint32_t countSlots, void *list, uint32_t listSlots)
{
    uint32_t ret;
    if (Faulted("WLAN_GetWifiNeighbor_CliNeighNum", &ret)) return ret;
    if (counts == nullptr || list == nullptr) return 1;
    memset(counts, 0, sizeof(uint32_t) * countSlots);
    memset(list, 0, listSlots);
    std::lock_guard<std::mutex> lock(Sc().mu);
    for (const ScannedAp &ap : Sc().aps) {
        if (ap.radio <= countSlots) counts[ap.radio - 1]++;
    }
    return 0;
}

}  // extern "C"
