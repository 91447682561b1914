// The stand-in WLAN service writes roam and topology lines through the shared
// library as the host loads it (not through the test's own static copy).
#include <string>

#include "roam_topo_fixture.h"

namespace {

using WlanService = roamtest::SharedLibraryTest;

TEST_F(WlanService, StationMovesJoinsAndLeaves)
{
    // SSIDs 0-3 are 2.4 GHz and 4-7 are 5 GHz in the default profile.
    EXPECT_TRUE(qzsim::OnStationJoined("a1:b2:c3:d4:e5:f6", 1));
    EXPECT_TRUE(qzsim::OnStationMoved("a1:b2:c3:d4:e5:f6", 1, 5));
    EXPECT_TRUE(qzsim::OnStationLeft("a1:b2:c3:d4:e5:f6", 5));

    EXPECT_EQ(RoamFile(),
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 2.4G][AP:0][MOVE START] ssid 1 -> ssid 5\n"
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 5G][AP:0][MOVE END] ssid 1 -> ssid 5\n");
    // The library keeps its file number for the life of the process: find the
    // file these lines went to.
    std::string topo;
    for (uint32_t n = 1; n <= 10 && topo.empty(); n++) {
        topo = TopoFile(n);
    }
    EXPECT_EQ(topo,
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX joined ssid 1 (2.4G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX moved from ssid 1 (2.4G) to ssid 5 (5G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX left ssid 5 (5G)\n");
}

TEST_F(WlanService, FullMacWhenThePlatformAllowsIt)
{
    ShowFullMac(1);
    EXPECT_TRUE(qzsim::OnStationMoved("a1:b2:c3:d4:e5:f6", 6, 2));
    EXPECT_EQ(RoamFile(),
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:e5:f6][Band 5G][AP:0][MOVE START] ssid 6 -> ssid 2\n"
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:e5:f6][Band 2.4G][AP:0][MOVE END] ssid 6 -> ssid 2\n");
}

}  // namespace
