// The air-interface log beyond what its golden sessions show: start-up
// failures, a counter going backwards, a full table and an anchor the driver
// does not know.
#include <string>
#include <tuple>

#include "qz_air_test.h"

namespace airtest {
namespace {

constexpr char kMac[] = "02:00:00:00:00:0a";

TEST_F(AirTest, StartUpFailureFreesEverythingAndPassesTheCodeOn)
{
    // The allocation that fails (the table, then the sample), else the timer call; the result.
    const std::tuple<int, const char *, uint32_t> cases[] = {
        {1, "", 1}, {2, "", 1}, {0, "QZ_TIMER_CreateRealTimer", 0xE0001234u}, {0, "QZ_TIMER_StartRealTimerD", 0xE5u}};
    for (const auto &[allocNth, call, expected] : cases) {
        SCOPED_TRACE(expected);
        ForgetState();
        if (*call)
            ASSERT_TRUE(qzsim::FailCall(call, expected));
        else
            qzsim::FailAlloc(allocNth);
        EXPECT_EQ(WLAN_InitAirInterface(), expected);
        EXPECT_TRUE(g_pstAirUserTable == nullptr && g_pstAirUserSample == nullptr && g_airInterfaceTimer == 0);
        EXPECT_EQ(qzsim::LiveBlocks(), 0u);
    }
}

TEST_F(AirTest, ACounterGoingBackwardsGivesARateOfZero)
{
    // The station re-associated: the new counter, below the 2 x 3000 x 2048
    // bytes the slot holds, is the reference.
    AddStation(kMac, 0, kAtThreshold);
    Init();
    qzsim::RunTimerCycles(2);
    std::string error;
    ASSERT_TRUE(qzsim::SetStationCounter(kMac, 6000, &error)) << error;
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(Slot(kMac)->txBytes, 6000u + 3000 * 2048);
    EXPECT_EQ(Slot(kMac)->realTimeTxRate, 0u);
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(Slot(kMac)->realTimeTxRate, 2048u);
}

TEST_F(AirTest, ANewUserFindsNoSlotInAFullTable)
{
    // Only a sample holding one MAC twice brings a cycle to a full table, so
    // the table is filled by hand: nothing is stored, the trace names index 256.
    Init();
    for (uint32_t i = 0; i < 256; i++) PutAnchor(i, "02:00:00:00:01:00", -50, 1, 1, 0);
    WLAN_AIR_USER_S user{};
    std::string("02:00:00:00:00:0b").copy(user.userMac, sizeof(user.userMac) - 1);
    user.rssi = -40;
    qzsim::ClearRecords();
    WLAN_AirInterfaceAddUser(&user);
    EXPECT_EQ(Slot("02:00:00:00:00:0b"), nullptr);
    EXPECT_EQ(SlotsInUse(), 256u);
    const auto traces = qzsim::Traces();
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].text, "AddUser userMac xx:xx:xx:00:00:0b, rssi -40, txRate 0, rxRate 0, powerSave=0 index 256");
}

TEST_F(AirTest, AnAnchorTheDriverDoesNotKnowIsWrittenWithIdentifierZero)
{
    qzsim::FixClock(1764900000, 0);  // 2025-12-05 10:00:00 in the default zone
    Init();
    PutAnchor(0, "02:00:00:00:00:03", -60, 99999, 9999, 1);
    EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
    EXPECT_EQ(qztest::ReadFile(RecordFile()),
              "MAC               STAID  TIME                 RSSI Tx/RxRate     PowerSave\r\n"
              "xx:xx:xx:00:00:03 0      2025-12-05 10:00:00  -60  99999M/9999M  on\r\n");
    EXPECT_EQ(wlan_air::lineNum, 1u);
    EXPECT_EQ(qztest::CountLastWords("wlan_airInterfacelog", 1), 1u);
}

}  // namespace
}  // namespace airtest
