#include "commands_fixture.h"

#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"

namespace cmdtest {

void CommandsTest::SetUp()
{
    PlatformTest::SetUp();
    ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
    Install(true, true);
}

void CommandsTest::Install(bool zq, bool largeCapacity)
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

void CommandsTest::Load(const qzsim::json &profile)
{
    std::string error;
    ASSERT_TRUE(qzsim::LoadProfileJson(profile, &error)) << error;
    Install(true, true);
}

std::string Mac(uint64_t base, uint64_t i)
{
    uint64_t v = base + i;
    std::string text;
    for (int shift = 40; shift >= 0; shift -= 8) {
        static const char kHex[] = "0123456789abcdef";
        if (!text.empty()) text += ':';
        text += kHex[(v >> (shift + 4)) & 0xF];
        text += kHex[(v >> shift) & 0xF];
    }
    return text;
}

size_t Count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size())) n++;
    return n;
}

}  // namespace cmdtest
