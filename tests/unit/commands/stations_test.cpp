// The associated-station snapshot: refresh limits, the listing and the RSSI
// query, against the simulated driver adapter.
#include <string>

#include "commands_fixture.h"

namespace {

using cmdtest::CommandsTest;
using qzsim::json;

std::string Mac(size_t i)
{
    return cmdtest::Mac(0x025a00000000 + i);
}

// The listing of the stations Mac(i) for the given i.
std::string Listing(std::initializer_list<size_t> stations)
{
    std::string out;
    for (size_t i : stations) out += "assoclist " + Mac(i) + "\n";
    return out;
}

std::string List()
{
    (void)qzsim::TakeConsole();
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 0u);
    return qzsim::TakeConsole();
}

TEST_F(CommandsTest, RefreshKeepsAtMost128Stations)
{
    for (size_t n : {0u, 128u, 129u}) {
        SCOPED_TRACE(n);
        // Spread over the SSIDs 0 to 3, each with an RSSI.
        json stations = json::array();
        for (size_t i = 0; i < n; i++) stations.push_back({{"ssid", i % 4}, {"mac", Mac(i)}, {"rssi", -int(i % 90)}});
        Load({{"wlan", {{"staNumMax", 64}}}, {"stations", stations}});
        const uint32_t result = n > 128 ? 1 : 0;
        EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), result);
        EXPECT_EQ(cmdtest::Traced("STA numbers:", true), 1 - result);  // the total, when it is kept
        EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), result);
        std::string out = List();
        EXPECT_EQ(cmdtest::Count(out, "assoclist "), n == 0 ? 0u : 128u);
        EXPECT_EQ(out.rfind(Listing({0, 4}), 0), n > 0 ? 0u : std::string::npos);
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
    EXPECT_EQ(List(), Listing({0, 1, 2, 20, 21}));

    // A station that cannot be fetched leaves no gap.
    qzsim::ClearRecords();
    qzsim::FailCall("QZ_WLAN_GetIfAssociatedDevice", 0x66, 1, 1);
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 0x66), 1u);
    EXPECT_EQ(List(), Listing({0, 2, 20, 21}));

    // VAP numbers from 16 on have no per-VAP count: the refresh stops there.
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(15, 20), 0u);
    EXPECT_EQ(List(), "");

    // The listing without its copy prints nothing; a refresh without its work
    // record leaves the table empty.
    ASSERT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    size_t live = qzsim::LiveBlocks();
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 1u);
    EXPECT_EQ(qzsim::TakeConsole(), "");
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 1u);
    EXPECT_EQ(List(), "");
    EXPECT_EQ(qzsim::LiveBlocks(), live);
}

}  // namespace
