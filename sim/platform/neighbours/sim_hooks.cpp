// Hook tables of two sibling modules: the smart-home link module (entries 27
// and 30: a satellite AP's neighbour map and own BSSIDs from the profile's
// "aps"; entry 55: the master view from "master") and the report module
// (entry 10: the radar trigger). Tests can take a table or an entry away.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "qz_platform.h"
#include "qz_sim_shell.h"
#include "qz_wlan_log.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {

constexpr uint32_t kZarvoEntries = 64;
constexpr uint32_t kReportEntries = 16;

struct ApNeighbour {
    std::string ssid;
    std::string bssid;
    uint32_t channel = 0;
    int32_t rssi = -70;
    std::string band;
};

struct SatelliteAp {
    std::vector<std::array<uint8_t, 6>> bssids;
    std::vector<ApNeighbour> neighbours;
};

struct Hooks {
    std::mutex mu;
    std::map<uint32_t, SatelliteAp> aps;
    std::map<uint32_t, std::vector<uint8_t>> rawMaps;
    std::string master;
    QZ_HOOK_FUNC zarvo[kZarvoEntries] = {};
    QZ_HOOK_FUNC report[kReportEntries] = {};
    bool zarvoPresent = true;
    bool reportPresent = true;
    size_t radarTriggers = 0;
};

Hooks &H()
{
    static Hooks hooks;
    return hooks;
}

void CopyText(char *dest, size_t size, const std::string &text)
{
    // The link module's texts are NUL-terminated inside their fields.
    size_t n = std::min(text.size(), size - 1);
    memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

uint32_t GetApNeighborMap(uint32_t apNumber, uint32_t *count, void *mapOut)
{
    uint32_t ret;
    if (Faulted("Zarvo.GetApNeighborMap", &ret)) return ret;
    if (count == nullptr || mapOut == nullptr) return 1;
    auto *map = static_cast<WLAN_NEIGH_MAP_S *>(mapOut);
    std::lock_guard<std::mutex> lock(H().mu);
    if (auto raw = H().rawMaps.find(apNumber); raw != H().rawMaps.end()) {
        memset(mapOut, 0, sizeof(WLAN_NEIGH_MAP_S));
        if (!raw->second.empty()) {
            memcpy(mapOut, raw->second.data(), std::min(raw->second.size(), sizeof(WLAN_NEIGH_MAP_S)));
        }
        memcpy(count, &map->uiNum, sizeof(*count));
        return 0;
    }
    auto it = H().aps.find(apNumber);
    uint32_t n = 0;
    if (it != H().aps.end()) {
        for (const ApNeighbour &nb : it->second.neighbours) {
            WLAN_NEIGH_ENTRY_S &e = map->astEntry[n++];
            CopyText(e.acSsid, sizeof(e.acSsid), nb.ssid);
            CopyText(e.acBssid, sizeof(e.acBssid), nb.bssid);
            CopyText(e.acRssi, sizeof(e.acRssi), std::to_string(nb.rssi));
            CopyText(e.acBand, sizeof(e.acBand), nb.band);
            e.uiChannel = nb.channel;
        }
    }
    map->uiNum = n;
    *count = n;
    return 0;
}

uint32_t GetApSelfBssid(uint32_t apNumber, uint8_t *bssids)
{
    uint32_t ret;
    if (Faulted("Zarvo.GetApSelfBssid", &ret)) return ret;
    if (bssids == nullptr) return 1;
    memset(bssids, 0, WLAN_OWN_BSSID_LIST_LEN);
    std::lock_guard<std::mutex> lock(H().mu);
    auto it = H().aps.find(apNumber);
    if (it == H().aps.end()) return 0;
    for (size_t i = 0; i < it->second.bssids.size(); i++) memcpy(bssids + 6 * i, it->second.bssids[i].data(), 6);
    return 0;
}

uint32_t MasterShow(uint32_t, char *[])
{
    uint32_t ret;
    if (Faulted("Zarvo.MasterShow", &ret)) return ret;
    std::string text;
    {
        std::lock_guard<std::mutex> lock(H().mu);
        text = H().master;
    }
    ConsoleWrite(text.data(), text.size());
    return 0;
}

uint32_t RadarTrigger(uint32_t arg)
{
    uint32_t ret;
    if (Faulted("Report.RadarTrigger", &ret)) return ret;
    {
        std::lock_guard<std::mutex> lock(H().mu);
        H().radarTriggers++;
    }
    std::string text = "report: radar detection simulated (" + std::to_string(arg) + ")\r\n";
    ConsoleWrite(text.data(), text.size());
    return 0;
}

template <typename Fn>
QZ_HOOK_FUNC Entry(Fn fn)
{
    return reinterpret_cast<QZ_HOOK_FUNC>(fn);
}

void ResetHooks()
{
    std::lock_guard<std::mutex> lock(H().mu);
    memset(H().zarvo, 0, sizeof(H().zarvo));
    memset(H().report, 0, sizeof(H().report));
    H().zarvo[QZ_ZARVO_HOOK_GET_AP_NEIGH_MAP] = Entry(GetApNeighborMap);
    H().zarvo[QZ_ZARVO_HOOK_GET_AP_SELF_BSSID] = Entry(GetApSelfBssid);
    H().zarvo[QZ_ZARVO_HOOK_MASTER_SHOW] = Entry(MasterShow);
    H().report[QZ_REPORT_HOOK_RADAR_TRIGGER] = Entry(RadarTrigger);
    H().zarvoPresent = true;
    H().reportPresent = true;
    H().radarTriggers = 0;
    H().rawMaps.clear();
}
QZSIM_ON_RESET(ResetHooks);
// The tables are there before the first Reset() too (the host never resets).
const bool g_hooksReady = (ResetHooks(), true);

bool ParseApNeighbour(const json &obj, const std::string &p, ApNeighbour *nb, std::string *error)
{
    long long channel = 0;
    long long rssi = nb->rssi;
    std::array<uint8_t, 6> mac{};
    if (!CheckKeys(obj, {"ssid", "bssid", "channel", "rssi", "band"}, p, error) ||
        !ReadString(obj, "ssid", &nb->ssid, p, error) || !ReadString(obj, "bssid", &nb->bssid, p, error) ||
        !ReadInt(obj, "channel", 0, UINT32_MAX, &channel, p, error) ||
        !ReadInt(obj, "rssi", -128, 0, &rssi, p, error) || !ReadString(obj, "band", &nb->band, p, error)) {
        return false;
    }
    if (!ParseMac(nb->bssid, &mac)) {
        *error = p + ".bssid: required, a MAC address";
        return false;
    }
    nb->channel = static_cast<uint32_t>(channel);
    nb->rssi = static_cast<int32_t>(rssi);
    // As the link module fills it: the band of the channel unless given.
    if (nb->band.empty()) nb->band = channel > 14 ? "5G" : "2G";
    return true;
}

bool ParseAp(const json &obj, size_t i, std::map<uint32_t, SatelliteAp> *aps, std::string *error)
{
    const std::string p = "aps[" + std::to_string(i) + "]";
    long long number = 0;
    if (!CheckKeys(obj, {"ap", "bssids", "neighbours"}, p, error) ||
        !ReadInt(obj, "ap", 1, WLAN_NEIGH_AP_MAX, &number, p, error)) {
        return false;
    }
    if (number == 0 || aps->count(static_cast<uint32_t>(number)) != 0) {
        *error = p + ".ap: required, 1 to 32, each AP once";
        return false;
    }
    SatelliteAp ap;
    const json empty = json::array();
    const json &bssids = obj.contains("bssids") ? obj["bssids"] : empty;
    const json &neighbours = obj.contains("neighbours") ? obj["neighbours"] : empty;
    if (!bssids.is_array() || bssids.size() > WLAN_OWN_BSSID_NUM) {
        *error = p + ".bssids: must be an array of at most 16 MAC addresses";
        return false;
    }
    for (const auto &b : bssids) {
        std::array<uint8_t, 6> mac{};
        if (!b.is_string() || !ParseMac(b.get<std::string>(), &mac)) {
            *error = p + ".bssids: must hold MAC addresses";
            return false;
        }
        ap.bssids.push_back(mac);
    }
    if (!neighbours.is_array() || neighbours.size() > WLAN_NEIGH_MAP_ENTRIES) {
        *error = p + ".neighbours: must be an array of at most 256 neighbours";
        return false;
    }
    for (size_t j = 0; j < neighbours.size(); j++) {
        ApNeighbour nb;
        if (!ParseApNeighbour(neighbours[j], p + ".neighbours[" + std::to_string(j) + "]", &nb, error)) return false;
        ap.neighbours.push_back(nb);
    }
    (*aps)[static_cast<uint32_t>(number)] = ap;
    return true;
}

bool ParseAps(const json *value, ProfileApply *apply, std::string *error)
{
    std::map<uint32_t, SatelliteAp> aps;
    std::map<uint32_t, std::vector<uint8_t>> rawMaps;
    if (value != nullptr) {
        if (!value->is_array()) {
            *error = "aps: must be an array";
            return false;
        }
        for (size_t i = 0; i < value->size(); i++) {
            if (!ParseAp((*value)[i], i, &aps, error)) return false;
        }
    }
    *apply = [aps] {
        std::lock_guard<std::mutex> lock(H().mu);
        H().aps = aps;
    };
    return true;
}
QZSIM_PROFILE_SECTION("aps", ParseAps);

bool ParseMaster(const json *value, ProfileApply *apply, std::string *error)
{
    std::string text = "master: no smart-home link master information\r\n";
    if (value != nullptr) {
        if (!value->is_string()) {
            *error = "master: must be a string";
            return false;
        }
        text = value->get<std::string>();
    }
    *apply = [text] {
        std::lock_guard<std::mutex> lock(H().mu);
        H().master = text;
    };
    return true;
}
QZSIM_PROFILE_SECTION("master", ParseMaster);

}  // namespace

namespace qzsim {

void RemoveHookTable(HookTable table)
{
    std::lock_guard<std::mutex> lock(H().mu);
    (table == HookTable::Zarvo ? H().zarvoPresent : H().reportPresent) = false;
}

void SetApNeighborMapBytes(uint32_t apNumber, const std::vector<uint8_t> &bytes)
{
    std::lock_guard<std::mutex> lock(H().mu);
    H().rawMaps[apNumber] = bytes;
}

void RemoveHookEntry(HookTable table, uint32_t index)
{
    std::lock_guard<std::mutex> lock(H().mu);
    if (table == HookTable::Zarvo && index < kZarvoEntries) H().zarvo[index] = nullptr;
    if (table == HookTable::Report && index < kReportEntries) H().report[index] = nullptr;
}

size_t RadarTriggers()
{
    std::lock_guard<std::mutex> lock(H().mu);
    return H().radarTriggers;
}

}  // namespace qzsim

extern "C" {

QZ_HOOK_FUNC *Hook_GetZarvoFunc(void)
{
    std::lock_guard<std::mutex> lock(H().mu);
    return H().zarvoPresent ? H().zarvo : nullptr;
}

QZ_HOOK_FUNC *FBT_REPORT_Hook_GetReportFunc(void)
{
    std::lock_guard<std::mutex> lock(H().mu);
    return H().reportPresent ? H().report : nullptr;
}

}  // extern "C"
