// The shell as the host starts it (rings and catalogue), with a profile and
// the relation command's two feature switches chosen per test.
#pragma once

#include <cstdint>
#include <cstdio>
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

// The MAC text of a 48-bit value ("aa:bb:cc:dd:ee:ff").
inline std::string Mac(uint64_t v)
{
    std::string text;
    for (int shift = 40; shift >= 0; shift -= 8) {
        char byte[4];
        snprintf(byte, sizeof(byte), shift == 40 ? "%02x" : ":%02x", static_cast<unsigned>((v >> shift) & 0xFF));
        text += byte;
    }
    return text;
}

// Occurrences of `what` in `text`.
inline size_t Count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size())) n++;
    return n;
}

// Trace lines whose text is `text` (or, with `prefix`, starts with it).
inline size_t Traced(const std::string &text, bool prefix = false)
{
    size_t n = 0;
    for (const auto &t : qzsim::Traces()) n += prefix ? t.text.rfind(text, 0) == 0 : t.text == text;
    return n;
}

}  // namespace cmdtest
