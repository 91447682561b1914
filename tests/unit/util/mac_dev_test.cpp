// MAC log formats under the full-MAC switch, the separator rewrite, and the
// interface, bridge and file queries against the profile.
#include <cstring>
#include <fstream>
#include <tuple>

#include "util_test.h"

namespace {

using utiltest::Dest;

class MacTest : public qztest::PlatformTest {
  protected:
    void TearDown() override
    {
        utiltest::ShowFullMac(false);  // the switch's cache outlives the platform's reset
        qztest::PlatformTest::TearDown();
    }
};

TEST_F(MacTest, MacLogFormatsUnderTheSwitch)
{
    const uint8_t mac[8] = {0xAA, 0x0B, 0xCC, 0x1D, 0xEE, 0x2F, 0x99, 0x88};
    // Whole or masked, byte count, size, the text (null: refused, nothing written).
    const std::tuple<bool, uint32_t, uint32_t, const char *> hexCases[] = {{false, 6, 18, "AA:0B:CC:1D:XX:XX"},
                                                                           {true, 8, 18, "AA:0B:CC:1D:EE:2F"},
                                                                           {false, 5, 18, nullptr},
                                                                           {false, 6, 17, nullptr}};
    for (const auto &[full, count, size, out] : hexCases) {
        utiltest::ShowFullMac(full);
        qzsim::ClearRecords();
        Dest dst(size);
        WLAN_GetHexMacLogFormat(mac, count, dst.dest(), dst.size());
        EXPECT_EQ(dst.bytes(), out ? std::string(out) + '\0' : std::string(size, '\x5A')) << count;
        EXPECT_EQ(qzsim::LastWords().size(), out ? 0u : 1u);
        EXPECT_TRUE(dst.GuardsIntact());
    }
    // A text that does not fit is traced with the formatter's code
    // (masked) or the copy's (whole); what fits is pinned by the sessions. A
    // failed conversion leaves the text empty, which is formatted as it is.
    for (bool full : {false, true}) {
        utiltest::ShowFullMac(full);
        qzsim::ClearRecords();
        Dest dst(17), hex(18);
        WLAN_GetMacLogFormat("aa:bb:cc:dd:ee:ff", dst.dest(), dst.size());
        EXPECT_EQ(qzsim::LastWords().size(), 1u);
        EXPECT_EQ(qztest::CountLastWords("wlan_mac_api", full ? 34 : 1), 1u) << full;
        EXPECT_TRUE(dst.GuardsIntact());
        qzsim::FailCall("UTIL_MacHexToStr", 9);
        WLAN_GetHexMacLogFormat(mac, 6, hex.dest(), hex.size());
        EXPECT_EQ(hex.str(), full ? "" : ":XX:XX");
    }
}

TEST_F(MacTest, SeparatorChangeAndMinimum)
{
    const std::pair<const char *, const char *> cases[] = {
        // the MAC; the answer and the text after
        {"aa:bb:cc:dd:ee:ff", "0 aa-bb-cc-dd-ee-ff"},
        {"0123456789abcdefg", "0 01-34-67-9a-cd-fg"},  // whatever stands there is overwritten
        {"aabbccddeeff", "1 aabbccddeeff"},
        {"aa:bb:cc:dd:ee:ff:", "1 aa:bb:cc:dd:ee:ff:"},
    };
    for (const auto &[text, out] : cases) {
        std::vector<char> mac(text, text + strlen(text) + 1);
        EXPECT_EQ(std::to_string(WLAN_MacSplitChange(mac.data(), '-')) + " " + mac.data(), out);
    }
    EXPECT_EQ(qztest::CountLastWords("wlan_mac_api", 1), 2u);
    EXPECT_EQ(WLAN_GetMinNum(0xFFFFFFFFu, 1), 1u);  // unsigned comparison
    EXPECT_EQ(WLAN_GetMinNum(1, 0xFFFFFFFFu), 1u);
}

TEST_F(MacTest, InterfaceMacBridgeAddressAndFileAccess)
{
    std::string error;
    ASSERT_TRUE(qzsim::LoadProfileJson({{"interfaces",
                                         {{"br0", {{"ip", "10.1.2.3"}, {"mac", "02:1a:2b:3c:4d:5e"}}},
                                          {"eth0", {{"ip", "192.0.2.9"}, {"mac", "00:e0:4c:01:02:03"}}}}}},
                                       &error))
        << error;
    Dest dst(18);
    EXPECT_EQ(WLAN_GetIfMacStr("eth0", dst.dest(), dst.size()), 0u);
    EXPECT_EQ(dst.str(), "00:E0:4C:01:02:03");
    EXPECT_EQ(WLAN_GetIfMacStr("wlan9", dst.dest(), 18), 1u);  // unknown interface
    EXPECT_EQ(WLAN_GetIfMacStr(nullptr, dst.dest(), 18), 0xFE600001u);
    EXPECT_EQ(WLAN_GetIfMacStr("br0", nullptr, 18), 0xFE600001u);
    EXPECT_EQ(WLAN_GetIfMacStr("br0", dst.dest(), 17), 1u);  // the converter judges the size
    EXPECT_EQ(qzsim::LastWords().size(), 4u);
    qzsim::FailCall("QZ_OS_GetIfIpAndMac", 0x71);
    EXPECT_EQ(WLAN_GetIfMacStr("br0", dst.dest(), dst.size()), 1u);  // the query's code goes into the trace only
    EXPECT_EQ(qztest::CountLastWords("wlan_dev_api", 0x71), 1u);
    EXPECT_TRUE(dst.GuardsIntact());

    Dest ip(16);
    EXPECT_EQ(WLAN_GetBr0IP(ip.dest(), ip.size()), 0u);
    EXPECT_EQ(ip.str(), "10.1.2.3");  // not 3.2.1.10
    // A size of 0 or no destination is refused before any platform call.
    qzsim::FailCall("QZ_OS_GetIfIpAndMac", 0x66);
    EXPECT_EQ(WLAN_GetBr0IP(ip.dest(), 0), 1u);
    EXPECT_EQ(WLAN_GetBr0IP(nullptr, 16), 1u);
    EXPECT_EQ(WLAN_GetBr0IP(ip.dest(), ip.size()), 0x66u);  // the pending fault fires only now
    Dest small(8);
    EXPECT_EQ(WLAN_GetBr0IP(small.dest(), small.size()), 1u);  // the formatter's code
    EXPECT_EQ(utiltest::LastFailure().value1, 8u);
    EXPECT_TRUE(ip.GuardsIntact() && small.GuardsIntact());

    qzsim::ClearRecords();
    std::ofstream(Under("/tmp/present")) << "x";
    EXPECT_EQ(WLAN_IsFileAccess("/tmp/present"), 1u);
    EXPECT_EQ(WLAN_IsFileAccess("/tmp/absent"), 0u);
    qzsim::FailCall("QZ_OS_Open", -1);  // a file that may not be read (the tests may run as root)
    EXPECT_EQ(WLAN_IsFileAccess("/tmp/present"), 0u);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

}  // namespace
