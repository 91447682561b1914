// Station meta-commands make the stand-in WLAN service write roam and
// topology lines through the shared library, as with a running host.
#include <string>

#include "../roam_topo/roam_topo_fixture.h"
#include "host.h"
#include "qz_wlan_shell.h"

namespace {

class StationRoamTest : public roamtest::SharedLibraryTest {
  protected:
    static bool Line(const std::string &line)
    {
        host::Request request(line);
        bool ok = host::ExecuteLine(
            line, WLAN_CliMsgProc, [] {}, &request);
        request.Finish(ok);
        (void)request.Drain([](bool, const std::string &) {});
        return ok;
    }

    // The library keeps its file number for the life of the process.
    std::string Topology() const
    {
        std::string text;
        for (uint32_t n = 1; n <= WLAN_TOPO_FILE_COUNT; n++) text += TopoFile(n);
        return text;
    }
};

TEST_F(StationRoamTest, JoinMoveAndLeave)
{
    const std::string mac = "a1:b2:c3:d4:e5:f6";
    ASSERT_TRUE(Line(".station add " + mac + " 2"));
    ASSERT_TRUE(Line(".station set " + mac + " rssi -40"));  // not a move
    ASSERT_TRUE(Line(".station set " + mac + " ssid 2"));    // the same SSID: not a move
    ASSERT_TRUE(Line(".station set " + mac + " ssid 6"));
    EXPECT_FALSE(Line(".station set " + mac + " ssid six"));  // refused: nothing written
    ASSERT_TRUE(Line(".station del " + mac));
    EXPECT_FALSE(Line(".station del " + mac));

    EXPECT_EQ(RoamFile(),
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 2.4G][AP:0][MOVE START] ssid 2 -> ssid 6\n"
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 5G][AP:0][MOVE END] ssid 2 -> ssid 6\n");
    EXPECT_EQ(Topology(),
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX joined ssid 2 (2.4G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX moved from ssid 2 (2.4G) to ssid 6 (5G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX left ssid 6 (5G)\n");
}

}  // namespace
