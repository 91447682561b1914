// The shell as the host starts it (rings and catalogue), with the relation
// command's two feature switches chosen per test.
#pragma once

#include <string>

#include "qz_sim.h"
#include "qz_test.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"

namespace cmdtest {

class CommandsTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
        Install(true, true);
    }
    // Sets both switches and installs the catalogue again.
    static void Install(bool zq, bool largeCapacity)
    {
        qzsim::SetFeature("QZ_FEATURE_ZQ", zq ? 1 : 0);
        qzsim::SetFeature("FT_WLAN_LARGE_CAPACITY_GATEWAY", largeCapacity ? 1 : 0);
        // The accessors cache for the life of the process: re-ask them.
        (void)WLAN_FT_QZ_FEATURE_ZQ(1);
        (void)WLAN_FT_FT_WLAN_LARGE_CAPACITY_GATEWAY(1);
        qztest::FreeCommandTable();
        ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);
        qzsim::ClearRecords();
    }
    // Loads a profile (sections not given take their defaults), then installs.
    static void Load(const qzsim::json &profile)
    {
        std::string error;
        ASSERT_TRUE(qzsim::LoadProfileJson(profile, &error)) << error;
        Install(true, true);
    }
};

// What the dispatcher prints after a handler failed, from its help text.
inline std::string Usage(const std::string &help)
{
    return "\r\n[Usage]:" + help + "\r\n";
}

}  // namespace cmdtest
