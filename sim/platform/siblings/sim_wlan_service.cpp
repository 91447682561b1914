// The stand-in WLAN service's reaction to station changes: the roam lines and
// topology debug lines the real service writes through the library. The
// platform does not link the library; its writers are looked up in the
// process, where the host has loaded it.
#include <dlfcn.h>

#include <cstdio>

#include "qz_platform.h"
#include "qz_wlan_version.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {

// The library's writers (qz_wlan_roam_topo.h).
using RecordRoamLogFn = void (*)(const char *mac, uint32_t band, uint32_t action, const char *fmt, ...);
using TopoDebugLogFn = void (*)(const char *fmt, ...);

constexpr uint32_t kMoveStart = 10;
constexpr uint32_t kMoveEnd = 11;
constexpr uint32_t kBandOther = 2;

// Global symbols first; a library the host loaded with local binding is found
// through its soname.
void *Resolve(const char *name)
{
    void *symbol = dlsym(RTLD_DEFAULT, name);
    if (symbol != nullptr) return symbol;
    void *library = dlopen(QZ_WLAN_BASE_SONAME, RTLD_LAZY | RTLD_NOLOAD);
    if (library == nullptr) return nullptr;
    symbol = dlsym(library, name);
    dlclose(library);  // only drops the reference NOLOAD took
    return symbol;
}

// Band index of an SSID as the roam line counts it: 0 2.4 GHz, 1 5 GHz.
uint32_t BandOf(uint32_t ssid)
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    uint32_t perBand = Model().wlan.ssidPerBand;
    uint32_t band = perBand == 0 ? kBandOther : ssid / perBand;
    return band < kBandOther ? band : kBandOther;
}

const char *BandText(uint32_t band)
{
    return band == 0 ? "2.4G" : band == 1 ? "5G" : "other";
}

// Topology lines follow the same MAC policy as the roam lines.
std::string ShownMac(const std::string &mac)
{
    if (WIFI_GetHideMacStatus() != 0) return mac;
    return mac.substr(0, 11) + ":XX:XX";
}

bool Topology(const char *what, const std::string &mac, uint32_t ssid)
{
    auto topo = reinterpret_cast<TopoDebugLogFn>(Resolve("WLAN_TOPO_DebugLog"));
    if (topo == nullptr) return false;
    topo("sta %s %s ssid %u (%s)\n", ShownMac(mac).c_str(), what, ssid, BandText(BandOf(ssid)));
    return true;
}

}  // namespace

namespace qzsim {

bool OnStationMoved(const std::string &mac, uint32_t fromSsid, uint32_t toSsid)
{
    auto roam = reinterpret_cast<RecordRoamLogFn>(Resolve("WLAN_RecordRoamLog"));
    auto topo = reinterpret_cast<TopoDebugLogFn>(Resolve("WLAN_TOPO_DebugLog"));
    if (roam == nullptr || topo == nullptr) return false;
    uint32_t fromBand = BandOf(fromSsid);
    uint32_t toBand = BandOf(toSsid);
    roam(mac.c_str(), fromBand, kMoveStart, "ssid %u -> ssid %u", fromSsid, toSsid);
    roam(mac.c_str(), toBand, kMoveEnd, "ssid %u -> ssid %u", fromSsid, toSsid);
    topo("sta %s moved from ssid %u (%s) to ssid %u (%s)\n", ShownMac(mac).c_str(), fromSsid, BandText(fromBand),
         toSsid, BandText(toBand));
    return true;
}

bool OnStationJoined(const std::string &mac, uint32_t ssid)
{
    return Topology("joined", mac, ssid);
}

bool OnStationLeft(const std::string &mac, uint32_t ssid)
{
    return Topology("left", mac, ssid);
}

bool StationSsid(const std::string &mac, uint32_t *ssid)
{
    std::lock_guard<std::mutex> lock(ModelMutex());
    for (const SimStation &station : Model().stations) {
        if (station.mac == mac) {
            *ssid = station.ssid;
            return true;
        }
    }
    return false;
}

}  // namespace qzsim
