// Profile sections "device", "wlan" and "stations": the product the simulated
// platform answers for.
#include "sim_model.h"

#include <cstdio>

#include "sim_internal.h"

namespace qzsim {
namespace {

bool ReadU32(const json &obj, const char *key, uint32_t max, uint32_t *out, const std::string &path, std::string *error)
{
    long long v = *out;
    if (!ReadInt(obj, key, 0, max, &v, path, error)) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

bool ParseDevice(const json *value, ProfileApply *apply, std::string *error)
{
    SimDevice d;
    if (value != nullptr) {
        const std::string p = "device";
        if (!CheckKeys(*value,
                       {"binWord", "cfgWord", "region", "productName", "serialNumber", "apSerialNumber", "equipMode",
                        "upPortId", "ssidIndexFor5G"},
                       p, error) ||
            !ReadString(*value, "binWord", &d.binWord, p, error) ||
            !ReadString(*value, "cfgWord", &d.cfgWord, p, error) ||
            !ReadU32(*value, "region", UINT32_MAX, &d.region, p, error) ||
            !ReadString(*value, "productName", &d.productName, p, error) ||
            !ReadString(*value, "serialNumber", &d.serialNumber, p, error) ||
            !ReadString(*value, "apSerialNumber", &d.apSerialNumber, p, error) ||
            !ReadU32(*value, "equipMode", UINT32_MAX, &d.equipMode, p, error) ||
            !ReadU32(*value, "upPortId", UINT32_MAX, &d.upPortId, p, error) ||
            !ReadU32(*value, "ssidIndexFor5G", 255, &d.ssidIndexFor5G, p, error)) {
            return false;
        }
    }
    *apply = [d] {
        std::lock_guard<std::mutex> lock(ModelMutex());
        Model().device = d;
    };
    return true;
}
QZSIM_PROFILE_SECTION("device", ParseDevice);

bool ParseSsid(const json &obj, size_t i, uint32_t ssidCount, std::vector<SimSsid> *ssids, std::string *error)
{
    const std::string p = "wlan.ssids[" + std::to_string(i) + "]";
    SimSsid s;
    std::string bssid;
    long long index = -1;
    if (!CheckKeys(obj, {"index", "configured", "channel", "bssid"}, p, error) ||
        !ReadInt(obj, "index", 0, ssidCount - 1, &index, p, error) ||
        !ReadBool(obj, "configured", &s.configured, p, error) || !ReadU32(obj, "channel", 233, &s.channel, p, error) ||
        !ReadString(obj, "bssid", &bssid, p, error)) {
        return false;
    }
    if (index < 0) {
        *error = p + ".index: required";
        return false;
    }
    if (!bssid.empty() && !ParseMac(bssid, &s.bssid)) {
        *error = p + ".bssid: not a MAC address";
        return false;
    }
    s.index = static_cast<uint32_t>(index);
    (*ssids)[s.index] = s;
    return true;
}

// SSIDs the profile does not list are configured, with a BSSID derived from
// their index and the channel of their band.
std::vector<SimSsid> DefaultSsids(const SimWlan &w)
{
    std::vector<SimSsid> ssids(w.radios * w.ssidPerBand);
    for (uint32_t i = 0; i < ssids.size(); i++) {
        ssids[i].index = i;
        ssids[i].channel = (i / w.ssidPerBand) == 0 ? 6 : 36;
        ssids[i].bssid = {
            0x02, 0x00, 0x00, 0x00, static_cast<uint8_t>(i / w.ssidPerBand), static_cast<uint8_t>(i % w.ssidPerBand)};
    }
    return ssids;
}

bool ParseWlan(const json *value, ProfileApply *apply, std::string *error)
{
    SimWlan w;
    const std::string p = "wlan";
    if (value != nullptr &&
        (!CheckKeys(*value, {"ssidPerBand", "radios", "cfgRadios", "staNumMax", "ssids"}, p, error) ||
         !ReadU32(*value, "ssidPerBand", 16, &w.ssidPerBand, p, error) ||
         !ReadU32(*value, "radios", 3, &w.radios, p, error) ||
         !ReadU32(*value, "cfgRadios", 7, &w.cfgRadios, p, error) ||
         !ReadU32(*value, "staNumMax", 1024, &w.staNumMax, p, error))) {
        return false;
    }
    w.ssids = DefaultSsids(w);
    if (value != nullptr && value->contains("ssids")) {
        const json &list = (*value)["ssids"];
        if (!list.is_array()) {
            *error = p + ".ssids: must be an array";
            return false;
        }
        if (w.ssids.empty() && !list.empty()) {
            *error = p + ".ssids: the product has no SSID";
            return false;
        }
        for (size_t i = 0; i < list.size(); i++) {
            if (!ParseSsid(list[i], i, static_cast<uint32_t>(w.ssids.size()), &w.ssids, error)) return false;
        }
    }
    *apply = [w] {
        std::lock_guard<std::mutex> lock(ModelMutex());
        Model().wlan = w;
    };
    return true;
}
QZSIM_PROFILE_SECTION("wlan", ParseWlan);

bool ParseStations(const json *value, ProfileApply *apply, std::string *error)
{
    std::vector<SimStation> stations;
    if (value != nullptr) {
        if (!value->is_array()) {
            *error = "stations: must be an array";
            return false;
        }
        for (size_t i = 0; i < value->size(); i++) {
            SimStation s;
            if (!ParseStation((*value)[i], "stations[" + std::to_string(i) + "]", &s, error)) return false;
            stations.push_back(s);
        }
    }
    *apply = [stations] {
        std::lock_guard<std::mutex> lock(ModelMutex());
        Model().stations = stations;
    };
    return true;
}
QZSIM_PROFILE_SECTION("stations", ParseStations);

}  // namespace

SimModel &Model()
{
    static SimModel model;
    return model;
}

std::mutex &ModelMutex()
{
    static std::mutex mu;
    return mu;
}

bool ParseStation(const json &obj, const std::string &p, SimStation *s, std::string *error)
{
    long long rssi = s->rssi;
    long long bytes = static_cast<long long>(s->bytesPerCycle);
    long long staId = s->hasStaId ? static_cast<long long>(s->staId) : -1LL;
    std::array<uint8_t, 6> mac{};
    if (!CheckKeys(obj, {"ssid", "mac", "rssi", "txRate", "rxRate", "powerSave", "bytesPerCycle", "staId", "inactive"},
                   p, error) ||
        !ReadU32(obj, "ssid", 255, &s->ssid, p, error) || !ReadString(obj, "mac", &s->mac, p, error) ||
        !ReadInt(obj, "rssi", -128, 0, &rssi, p, error) || !ReadU32(obj, "txRate", 100000, &s->txRate, p, error) ||
        !ReadU32(obj, "rxRate", 100000, &s->rxRate, p, error) ||
        !ReadU32(obj, "powerSave", 255, &s->powerSave, p, error) ||
        !ReadInt(obj, "bytesPerCycle", 0, 1LL << 40, &bytes, p, error) ||
        !ReadInt(obj, "staId", 0, UINT32_MAX, &staId, p, error) || !ReadBool(obj, "inactive", &s->inactive, p, error)) {
        return false;
    }
    if (!ParseMac(s->mac, &mac)) {
        *error = p + ".mac: required, a MAC address";
        return false;
    }
    s->rssi = static_cast<int32_t>(rssi);
    s->bytesPerCycle = static_cast<uint64_t>(bytes);
    s->hasStaId = staId >= 0;
    s->staId = s->hasStaId ? static_cast<uint32_t>(staId) : 0;
    return true;
}

json StationToJson(const SimStation &s)
{
    json j = {{"ssid", s.ssid},
              {"mac", s.mac},
              {"rssi", s.rssi},
              {"txRate", s.txRate},
              {"rxRate", s.rxRate},
              {"powerSave", s.powerSave},
              {"bytesPerCycle", s.bytesPerCycle},
              {"inactive", s.inactive}};
    if (s.hasStaId) j["staId"] = s.staId;
    return j;
}

bool ParseMac(const std::string &text, std::array<uint8_t, 6> *mac)
{
    unsigned v[6];
    char tail;
    if (text.size() != 17 ||
        sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6) {
        return false;
    }
    for (int i = 0; i < 6; i++) (*mac)[i] = static_cast<uint8_t>(v[i]);
    return true;
}

}  // namespace qzsim
