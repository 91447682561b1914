// The associated-station snapshot: refresh limits, the listing and the RSSI
// query, against the simulated driver adapter.
#include <string>

#include "commands_fixture.h"
#include "qz_wlan_log.h"

namespace {

using cmdtest::CommandsTest;
using qzsim::json;

std::string Mac(size_t i)
{
    return cmdtest::Mac(0x025a00000000, i);
}

// n stations spread over the SSIDs 0 to 3, with an RSSI that names them.
json Stations(size_t n)
{
    json list = json::array();
    for (size_t i = 0; i < n; i++) list.push_back({{"ssid", i % 4}, {"mac", Mac(i)}, {"rssi", -int(i % 90)}});
    return list;
}

std::string List()
{
    (void)qzsim::TakeConsole();
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 0u);
    return qzsim::TakeConsole();
}

TEST_F(CommandsTest, RefreshKeepsAtMost128Stations)
{
    struct Case {
        size_t stations;
        uint32_t result;
        size_t listed;
        size_t totalTraces;  // "STA numbers:%u"
    } cases[] = {{0, 0, 0, 1}, {128, 0, 128, 1}, {129, 1, 128, 0}, {200, 1, 128, 0}};
    for (const auto &c : cases) {
        Load({{"wlan", {{"staNumMax", 64}}}, {"stations", Stations(c.stations)}});
        EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), c.result) << c.stations;
        size_t totals = 0;
        for (const auto &t : qzsim::Traces()) totals += t.text.rfind("STA numbers:", 0) == 0;
        EXPECT_EQ(totals, c.totalTraces) << c.stations;
        EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), c.result) << c.stations;
        std::string out = List();
        EXPECT_EQ(cmdtest::Count(out, "assoclist "), c.listed) << c.stations;
        if (c.listed > 0) {
            EXPECT_EQ(out.rfind("assoclist " + Mac(0) + "\nassoclist " + Mac(4) + "\n", 0), 0u);
        }
    }
}

TEST_F(CommandsTest, RefreshPerVapLimitsAndGaps)
{
    // SSID 1 is not configured; SSID 0 has more stations than the limit.
    json stations = json::array();
    for (size_t i = 0; i < 5; i++) stations.push_back({{"ssid", 0}, {"mac", Mac(i)}});
    stations.push_back({{"ssid", 1}, {"mac", Mac(10)}});
    stations.push_back({{"ssid", 2}, {"mac", Mac(20)}});
    stations.push_back({{"ssid", 2}, {"mac", Mac(21)}});
    Load({{"wlan", {{"staNumMax", 3}, {"ssids", {{{"index", 1}, {"configured", false}}}}}}, {"stations", stations}});

    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    EXPECT_EQ(List(), "assoclist " + Mac(0) + "\nassoclist " + Mac(1) + "\nassoclist " + Mac(2) + "\nassoclist " +
                          Mac(20) + "\nassoclist " + Mac(21) + "\n");

    // A station that cannot be fetched leaves no gap.
    qzsim::ClearRecords();
    qzsim::FailCall("QZ_WLAN_GetIfAssociatedDevice", 0x66, 1, 1);
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 0x66), 1u);
    EXPECT_EQ(List(), "assoclist " + Mac(0) + "\nassoclist " + Mac(2) + "\nassoclist " + Mac(20) + "\nassoclist " +
                          Mac(21) + "\n");

    // VAP numbers from 16 on have no per-VAP count: the refresh stops there.
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(15, 20), 0u);
    EXPECT_EQ(List(), "");
}

TEST_F(CommandsTest, RssiQuery)
{
    Load({{"stations",
           {{{"ssid", 0}, {"mac", "aa:bb:cc:dd:ee:0f"}, {"rssi", -33}},
            {{"ssid", 1}, {"mac", "AA:BB:CC:DD:EE:0F"}, {"rssi", -77}},
            {{"ssid", 2}, {"mac", "aa:bb:cc:dd:ee:10"}, {"rssi", -50}}}}});
    ASSERT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    struct Case {
        const char *mac;
        std::string console;
    } cases[] = {
        {"AA:BB:CC:DD:EE:0F", "-33\n"},  // the first of two records of that MAC
        {"aa:bb:cc:dd:ee:0f", "-33\n"}, {"Aa:bB:cc:DD:ee:10", "-50\n"}, {"aa:bb:cc:dd:ee:1", ""}, {"", ""},
    };
    for (const auto &c : cases) {
        (void)qzsim::TakeConsole();
        EXPECT_EQ(WLAN_CMD_RssiPrintProc(c.mac), 0u) << c.mac;
        EXPECT_EQ(qzsim::TakeConsole(), c.console) << c.mac;
    }
}

TEST_F(CommandsTest, StationAllocationFailures)
{
    Load({{"stations", Stations(3)}});
    ASSERT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    size_t live = qzsim::LiveBlocks();

    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 1u);
    EXPECT_EQ(qzsim::TakeConsole(), "");

    // A refresh without its work record leaves the table empty.
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 1u);
    EXPECT_EQ(List(), "");
    EXPECT_EQ(qzsim::LiveBlocks(), live);
}

}  // namespace
