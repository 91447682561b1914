// Fixture of the roam and topology tests: a fixed clock, AP number 0 and the
// topology family starting at file 1, as after a start of the process.
#pragma once

#include <string>

#include "log/wlan_log_line.h"
#include "qz_test.h"
#include "qz_wlan_roam_topo.h"

namespace roamtest {

constexpr time_t kEpoch = 1772845503;  // 2026-03-07 09:05:03 in the default zone (UTC+8)
constexpr uint32_t kMicros = 7000;

class RoamTopoTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        qztest::PlatformTest::SetUp();
        qzsim::FixClock(kEpoch, kMicros);
        WLAN_SetOwnAPInst(0);
        g_uiTopoFileIndex = 1;
    }

    static void ShowFullMac(int on)
    {
        std::string error;
        ASSERT_TRUE(qzsim::LoadProfileJson({{"wifiLog", {{"showFullMac", on}}}}, &error)) << error;
    }
    std::string RoamFile() const { return qztest::ReadFile(Under("/proc/wifilog/debug/2G")); }
    std::string TopoPath(uint32_t n) const { return Under("/var/zarvo/topodebug." + std::to_string(n) + ".log"); }
    std::string TopoFile(uint32_t n) const { return qztest::ReadFile(TopoPath(n)); }
};

}  // namespace roamtest
