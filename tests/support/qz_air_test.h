// Fixture of the air-interface tests: the log's state as at process start
// over a fresh simulated platform, and helpers to read the user table.
#pragma once

#include <cstdint>
#include <string>

#include "airinterface/wlan_airinterface_internal.h"
#include "qz_test.h"

namespace airtest {

constexpr char kUnit[] = "wlan_airInterfacelog";
// Rates of exactly the threshold and one above it, in counter bytes per cycle.
constexpr uint64_t kAtThreshold = 3000ull * 2048;
constexpr uint64_t kAboveThreshold = 3000ull * 2049;

class AirTest : public qztest::PlatformTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // WLAN_InitAirInterface, expected to succeed.
    void Init();
    void AddStation(const std::string &mac, uint32_t ssid, uint64_t bytesPerCycle);
    // The table slot holding mac, or null.
    const WLAN_AIR_USER_S *Slot(const std::string &mac) const;
    uint32_t SlotsInUse() const;
    // A slot filled by hand as an anchor, for the record-file tests.
    WLAN_AIR_USER_S *PutAnchor(uint32_t i, const std::string &mac, int32_t rssi, uint32_t txRate, uint32_t rxRate,
                               uint8_t powerSave);
    std::string RecordFile() const { return Under("/var/wifi_airInterface"); }

    // Starts the log's state as a fresh process has it (no lists, no timer).
    static void ForgetState();
};

}  // namespace airtest
