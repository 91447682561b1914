// The simulated product as the profile describes it: device attributes, radios
// and SSIDs, associated stations. Modules that answer platform calls read it
// under its lock; the control API and the host change it at run time.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qzsim {

struct SimDevice {
    std::string binWord = "E8C";
    std::string cfgWord = "CMCC_RMS";
    uint32_t region = 2;
    std::string productName = "QZ-GW-5200";
    std::string serialNumber = "QZSN000000000001";
    std::string apSerialNumber = "QZAP000000000001";
    uint32_t equipMode = 0;
    uint32_t upPortId = 1;
    uint32_t ssidIndexFor5G = 4;
};

struct SimSsid {
    uint32_t index = 0;
    bool configured = true;
    uint32_t channel = 0;
    std::array<uint8_t, 6> bssid{};
};

struct SimWlan {
    uint32_t ssidPerBand = 4;
    uint32_t radios = 2;
    uint32_t cfgRadios = 2;
    uint32_t staNumMax = 32;
    std::vector<SimSsid> ssids;  // every SSID index below radios * ssidPerBand
};

struct SimStation {
    uint32_t ssid = 0;
    std::string mac;  // "aa:bb:cc:dd:ee:ff" as the profile gives it
    int32_t rssi = -50;
    uint32_t txRate = 0;
    uint32_t rxRate = 0;
    uint32_t powerSave = 0;
    uint64_t bytesPerCycle = 0;
    bool hasStaId = false;  // the driver knows no station identifier without one
    uint32_t staId = 0;
    bool inactive = false;  // associated, but the adapter marks it not to be sampled
    uint64_t txBytes = 0;   // byte counter: grows by bytesPerCycle every timer cycle
};

struct SimModel {
    SimDevice device;
    SimWlan wlan;
    std::vector<SimStation> stations;
};

// The model and the lock that guards it.
SimModel &Model();
std::mutex &ModelMutex();

bool ParseMac(const std::string &text, std::array<uint8_t, 6> *mac);

// One station of the profile's "stations" list (path names it in errors), and
// back: the control API changes stations by re-parsing their profile form.
bool ParseStation(const nlohmann::json &obj, const std::string &path, SimStation *s, std::string *error);
nlohmann::json StationToJson(const SimStation &s);

}  // namespace qzsim
