// The stand-in WLAN service writes roam and topology lines through the shared
// library as the host loads it (not through the test's own static copy).
#include <string>

#include "roam_topo_fixture.h"

namespace {

using WlanService = roamtest::SharedLibraryTest;

TEST_F(WlanService, StationMovesJoinsAndLeaves)
{
    // SSIDs 0-3 are 2.4 GHz and 4-7 are 5 GHz in the default profile.
    ShowFullMac(1);
    EXPECT_TRUE(qzsim::OnStationJoined("a1:b2:c3:d4:e5:f6", 6));
    EXPECT_TRUE(qzsim::OnStationMoved("a1:b2:c3:d4:e5:f6", 6, 2));
    EXPECT_TRUE(qzsim::OnStationLeft("a1:b2:c3:d4:e5:f6", 2));
    EXPECT_EQ(RoamFile(),
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:e5:f6][Band 5G][AP:0][MOVE START] ssid 6 -> ssid 2\n"
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:e5:f6][Band 2.4G][AP:0][MOVE END] ssid 6 -> ssid 2\n");
    // The library keeps its file number for the life of the process.
    std::string topo;
    for (uint32_t n = 1; n <= WLAN_TOPO_FILE_COUNT; n++) topo += TopoFile(n);
    EXPECT_EQ(topo,
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:e5:f6 joined ssid 6 (5G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:e5:f6 moved from ssid 6 (5G) to ssid 2 (2.4G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:e5:f6 left ssid 2 (2.4G)\n");
}

}  // namespace
