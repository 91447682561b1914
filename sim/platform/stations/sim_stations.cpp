// The driver adapters' view of the associated stations, answered from the
// model's station list: counts per SSID, the 608-byte station record, the
// statistics record with a byte counter that grows by the station's
// bytesPerCycle at every timer cycle, and the driver's station identifier.
// Stations change at run time through the control API.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "qz_adpt_records.h"
#include "qz_platform.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {

// Callers hold the model lock.
SimStation *FindStation(const std::string &mac)
{
    for (auto &s : Model().stations) {
        if (s.mac == mac) return &s;
    }
    return nullptr;
}

// The k-th station (from 1) of an SSID, in model order.
const SimStation *NthOnSsid(uint32_t ssid, uint32_t k)
{
    for (const auto &s : Model().stations) {
        if (s.ssid == ssid && --k == 0) return &s;
    }
    return nullptr;
}

void AdvanceCounters()
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    for (auto &s : Model().stations) s.txBytes += s.bytesPerCycle;
}
QZSIM_ON_CYCLE(AdvanceCounters);

bool NoStation(const std::string &mac, std::string *error)
{
    *error = "no station " + mac;
    return false;
}

// The text of a .station set value as the profile would hold it.
bool ValueToJson(const std::string &key, const std::string &value, nlohmann::json *out, std::string *error)
{
    if (key == "inactive") {
        if (value != "true" && value != "false") {
            *error = "inactive: must be true or false";
            return false;
        }
        *out = value == "true";
        return true;
    }
    long long v = 0;
    size_t used = 0;
    try {
        v = std::stoll(value, &used, 0);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used == 0 || used != value.size()) {
        *error = key + ": must be an integer";
        return false;
    }
    *out = v;
    return true;
}

}  // namespace

namespace qzsim {

bool AddStation(const std::string &mac, uint32_t ssid, uint64_t bytesPerCycle, std::string *error)
{
    SimStation s;
    nlohmann::json j = {{"mac", mac}, {"ssid", ssid}, {"bytesPerCycle", bytesPerCycle}};
    if (!ParseStation(j, "station", &s, error)) return false;
    std::lock_guard<std::mutex> lock(ModelMutex());
    if (FindStation(mac) != nullptr) {
        *error = "station " + mac + " exists";
        return false;
    }
    Model().stations.push_back(s);
    return true;
}

bool RemoveStation(const std::string &mac, std::string *error)
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    auto &list = Model().stations;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->mac == mac) {
            list.erase(it);
            return true;
        }
    }
    return NoStation(mac, error);
}

bool SetStationKey(const std::string &mac, const std::string &key, const std::string &value, std::string *error)
{
    if (key == "mac") {
        *error = "mac: a station's MAC cannot change (del and add it)";
        return false;
    }
    std::lock_guard<std::mutex> lock(ModelMutex());
    SimStation *s = FindStation(mac);
    if (s == nullptr) return NoStation(mac, error);
    nlohmann::json j = StationToJson(*s);
    if (key == "staId" && value == "none") {
        j.erase("staId");
    } else {
        nlohmann::json v;
        if (!j.contains(key) && key != "staId") {
            *error = "unknown key " + key;
            return false;
        }
        if (!ValueToJson(key, value, &v, error)) return false;
        j[key] = v;
    }
    // Parsed into a fresh record so that a refused value changes nothing.
    SimStation changed;
    if (!ParseStation(j, "station", &changed, error)) return false;
    changed.txBytes = s->txBytes;
    *s = changed;
    return true;
}

bool SetStationCounter(const std::string &mac, uint64_t bytes, std::string *error)
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    if (mac.empty()) {
        for (auto &s : Model().stations) s.txBytes = bytes;
        return true;
    }
    SimStation *s = FindStation(mac);
    if (s == nullptr) return NoStation(mac, error);
    s->txBytes = bytes;
    return true;
}

std::string DescribeStations()
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    std::ostringstream out;
    for (const auto &s : Model().stations) {
        out << s.mac << " ssid " << s.ssid << " rssi " << s.rssi << " txRate " << s.txRate << " rxRate " << s.rxRate
            << " powerSave " << s.powerSave << " bytesPerCycle " << s.bytesPerCycle << " staId "
            << (s.hasStaId ? std::to_string(s.staId) : "none") << (s.inactive ? " inactive" : "") << " txBytes "
            << s.txBytes << "\n";
    }
    return out.str();
}

std::vector<std::string> StationMacs()
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    std::vector<std::string> macs;
    for (const auto &s : Model().stations) macs.push_back(s.mac);
    return macs;
}

std::vector<std::string> WifiInterfaceNames()
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    const SimWlan &wlan = Model().wlan;
    std::vector<std::string> names;
    for (uint32_t radio = 0; radio < wlan.radios; radio++) names.push_back("wl" + std::to_string(radio));
    for (const auto &ssid : wlan.ssids) {
        const uint32_t radio = wlan.ssidPerBand == 0 ? 0 : ssid.index / wlan.ssidPerBand;
        const uint32_t k = wlan.ssidPerBand == 0 ? 0 : ssid.index % wlan.ssidPerBand;
        if (ssid.configured && k != 0) names.push_back("wl" + std::to_string(radio) + "." + std::to_string(k));
    }
    return names;
}

}  // namespace qzsim

extern "C" {

uint32_t QZ_WLAN_GetSsidNum(void)
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    return static_cast<uint32_t>(Model().wlan.ssids.size());
}

uint32_t WLAN_VAP_IsCfgEmpty(uint32_t ssidIndex)
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    const auto &ssids = Model().wlan.ssids;
    return (ssidIndex < ssids.size() && ssids[ssidIndex].configured) ? 0 : 1;
}

uint32_t QZ_WLAN_GetIfAssociatedNum(uint32_t ssidIndex, uint32_t *count)
{
    uint32_t ret;
    if (Faulted("QZ_WLAN_GetIfAssociatedNum", &ret)) return ret;
    if (count == nullptr) return 1;
    std::lock_guard<std::mutex> lock(ModelMutex());
    uint32_t n = 0;
    for (const auto &s : Model().stations) n += s.ssid == ssidIndex ? 1 : 0;
    *count = n;
    return 0;
}

uint32_t WLAN_ADPT_GetIfAssociatedDevice(uint32_t ssidIndex, uint32_t staNumber, void *record)
{
    uint32_t ret;
    if (Faulted("WLAN_ADPT_GetIfAssociatedDevice", &ret)) return ret;
    if (record == nullptr) return 1;
    std::lock_guard<std::mutex> lock(ModelMutex());
    const SimStation *s = NthOnSsid(ssidIndex, staNumber);
    if (s == nullptr) return 1;
    // The adapter fills the whole record; bytes the library does not read
    // are noise, so a read at a wrong offset shows.
    auto *info = static_cast<WLAN_ADPT_STA_INFO *>(record);
    memset(info, 0x5A, sizeof(*info));
    memset(info->acMac, 0, sizeof(info->acMac));
    memcpy(info->acMac, s->mac.data(), std::min(s->mac.size(), sizeof(info->acMac) - 1));
    info->uiTxRate = s->txRate;
    info->uiRxRate = s->rxRate;
    info->cRssi = static_cast<int8_t>(s->rssi);
    info->uiPowerSave = s->powerSave | 0x5A5A5A00u;  // only the low byte is the state
    info->uiActive = s->inactive ? 0 : 1;
    return 0;
}

uint32_t WLAN_GetStaStasByMac(const char *mac, void *stats)
{
    uint32_t ret;
    if (Faulted("WLAN_GetStaStasByMac", &ret)) return ret;
    if (mac == nullptr || stats == nullptr) return 1;
    std::lock_guard<std::mutex> lock(ModelMutex());
    const SimStation *s = FindStation(mac);
    if (s == nullptr) return 1;
    auto *st = static_cast<WLAN_STA_STATS *>(stats);
    memset(st, 0x5A, sizeof(*st));
    memcpy(st->aucTxBytes, &s->txBytes, sizeof(st->aucTxBytes));
    return 0;
}

uint32_t QZ_WIFI_DRV_GetIfIndexByMac(const char *mac, uint32_t *ifIndex, uint32_t *staId)
{
    uint32_t ret;
    if (Faulted("QZ_WIFI_DRV_GetIfIndexByMac", &ret)) return ret;
    if (mac == nullptr || ifIndex == nullptr || staId == nullptr) return 1;
    std::lock_guard<std::mutex> lock(ModelMutex());
    const SimStation *s = FindStation(mac);
    if (s == nullptr || !s->hasStaId) return 1;
    *ifIndex = s->ssid;
    *staId = s->staId;
    return 0;
}

}  // extern "C"
