// The sampler: start-up, sampling of the adapters, reconciliation of the user
// table and the anchor classification, driven cycle by cycle.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "qz_air_test.h"

namespace airtest {
namespace {

constexpr char kMacA[] = "00:11:22:33:44:55";
constexpr char kMacB[] = "a0:b1:c2:d3:e4:f5";

class SamplerTest : public AirTest {
  protected:
    static void Remove(const std::string &mac)
    {
        std::string error;
        ASSERT_TRUE(qzsim::RemoveStation(mac, &error)) << error;
    }

    // A fresh process and platform, for the next row of a table.
    static void Restart()
    {
        qzsim::Reset();
        ForgetState();
    }
};

TEST_F(SamplerTest, StartUpFailureFreesEverythingAndPassesTheCodeOn)
{
    const struct {
        const char *call;  // empty: the allocation allocNth fails (the table, then the sample)
        int allocNth;
        uint32_t expected;
        size_t reports;  // last words carrying the expected code
    } cases[] = {{"", 1, 1, 1},
                 {"", 2, 1, 1},
                 {"QZ_TIMER_CreateRealTimer", 0, 0xE0001234u, 2},
                 {"QZ_TIMER_StartRealTimerD", 0, 0xE0005678u, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.call) + std::to_string(c.allocNth));
        Restart();
        *c.call ? qzsim::FailCall(c.call, c.expected) : qzsim::FailAlloc(c.allocNth);
        EXPECT_EQ(WLAN_InitAirInterface(), c.expected);
        EXPECT_EQ(g_pstAirUserTable, nullptr);
        EXPECT_EQ(g_pstAirUserSample, nullptr);
        EXPECT_EQ(g_airInterfaceTimer, 0u);
        EXPECT_EQ(qzsim::LiveBlocks(), 0u);
        EXPECT_EQ(CountLastWords(kUnit, c.expected), c.reports);
        auto lines = qzsim::WifiLogLines();
        ASSERT_EQ(lines.size(), 1u);
        std::string text = lines[0].text.substr(0, lines[0].text.find_last_not_of("\r\n") + 1);
        std::string code = *c.call ? " " + std::to_string(c.expected) : "";
        EXPECT_TRUE(text.ends_with("WLAN_InitAirInterface fail" + code)) << text;
        qzsim::RunTimerCycles(1);  // no timer runs: nothing is written
        EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    }
}

TEST_F(SamplerTest, SampleReadsTheAdapterRecordsAndACounterGoingBackwards)
{
    AddStation(kMacA, 1, 30000);
    SetKey(kMacA, "rssi", "-70");
    SetKey(kMacA, "txRate", "866");
    SetKey(kMacA, "rxRate", "300");
    SetKey(kMacA, "powerSave", "1");
    std::string error;
    ASSERT_TRUE(qzsim::SetStationCounter(kMacA, 0x123456789Aull, &error)) << error;
    Init();
    qzsim::RunTimerCycles(1);
    const WLAN_AIR_USER_S *u = Slot(kMacA);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->rssi, -70);
    EXPECT_EQ(u->txRate, 866u);
    EXPECT_EQ(u->rxRate, 300u);
    EXPECT_EQ(u->powerSave, 1u);  // the adapter's other three bytes are noise
    EXPECT_EQ(u->txBytes, 0x123456789Aull + 30000);
    EXPECT_EQ(u->realTimeTxRate, 0u);  // a new user has no rate yet
    EXPECT_EQ(u->checkCount, 0u);
    qzsim::RunTimerCycles(2);
    // Re-associated: rate 0 for the cycle, and the new counter is the reference.
    ASSERT_TRUE(qzsim::SetStationCounter(kMacA, 6000, &error));
    const uint64_t expected[][2] = {{36000, 0}, {66000, 10}};  // txBytes, rate
    for (const auto &e : expected) {
        qzsim::RunTimerCycles(1);
        EXPECT_EQ(Slot(kMacA)->txBytes, e[0]);
        EXPECT_EQ(Slot(kMacA)->realTimeTxRate, e[1]);
    }
}

TEST_F(SamplerTest, OnlyTheFirst256StationsInSsidOrderAreSampled)
{
    // The 44 stations of SSID 0 come last in model order but first in SSID
    // order, so the last 44 of SSID 5 are the ones left out.
    std::vector<std::string> macs;
    for (int i = 0; i < 300; i++) {
        char mac[18];
        snprintf(mac, sizeof(mac), "02:00:00:00:%02x:%02x", i / 256, i % 256);
        macs.push_back(mac);
        AddStation(mac, i < 128 ? 2 : (i < 256 ? 5 : 0), 1);
    }
    Init();
    qzsim::RunTimerCycles(2);
    EXPECT_EQ(SlotsInUse(), 256u);
    for (int i = 0; i < 300; i++) {
        // SSID 0 (44), SSID 2 (128), then 84 of SSID 5
        EXPECT_EQ(Slot(macs[i]) != nullptr, i < 212 || i >= 256) << macs[i];
    }
}

TEST_F(SamplerTest, FailedQueriesSkipTheirSsidOrStation)
{
    const struct {
        CallFault fault;
        std::vector<bool> sampled;  // A and B on SSID 0, C on SSID 1
        size_t reports;             // where it fails, and by the sampling loop
        uint32_t ssid;              // the SSID index the sampling loop reports
    } cases[] = {
        {{"station count of SSID 0", "QZ_WLAN_GetIfAssociatedNum", 0, 0xE1}, {false, false, true}, 1, 0},
        {{"first station record", "WLAN_ADPT_GetIfAssociatedDevice", 0, 0xE2}, {false, true, true}, 1, 0},
        {{"statistics of C", "WLAN_GetStaStasByMac", 2, 0xE3}, {true, true, false}, 2, 1},
    };
    const char *macs[] = {"00:00:00:00:00:0a", "00:00:00:00:00:0b", "00:00:00:00:00:0c"};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault.name);
        Restart();
        for (int i = 0; i < 3; i++) AddStation(macs[i], i / 2, 1);
        Init();
        c.fault.Inject();
        qzsim::RunTimerCycles(1);
        for (int i = 0; i < 3; i++) EXPECT_EQ(Slot(macs[i]) != nullptr, c.sampled[i]) << macs[i];
        EXPECT_EQ(CountLastWords(kUnit, static_cast<uint32_t>(c.fault.code)), c.reports);
        auto words = qzsim::LastWords();
        ASSERT_FALSE(words.empty());
        EXPECT_EQ(words.back().code, static_cast<uint32_t>(c.fault.code));
        EXPECT_EQ(words.back().value1, c.ssid);
        qzsim::RunTimerCycles(1);  // the next cycle starts afresh
        EXPECT_EQ(SlotsInUse(), 3u);
        ForgetState();
    }
}

TEST_F(SamplerTest, TableFollowsStationsJoiningLeavingAndMoving)
{
    AddStation(kMacA, 0, kAboveThreshold);
    AddStation(kMacB, 4, kAboveThreshold);
    Init();
    qzsim::RunTimerCycles(5);
    ASSERT_EQ(SlotIndex(kMacA), 0);
    ASSERT_EQ(SlotIndex(kMacB), 1);
    EXPECT_EQ(Slot(kMacA)->checkCount, 4u);

    // Matching is by MAC only: another SSID keeps the slot and the count.
    SetKey(kMacA, "ssid", "5");
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(SlotIndex(kMacA), 0);
    EXPECT_EQ(Slot(kMacA)->checkCount, 5u);

    // Leaving for one cycle frees the slot whole; returning starts afresh in
    // the lowest free slot.
    Remove(kMacA);
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(Slot(kMacA), nullptr);
    const WLAN_AIR_USER_S &freed = g_pstAirUserTable->users[0];
    EXPECT_EQ(freed.userMac[0], '\0');
    EXPECT_EQ(freed.txBytes, 0u);
    EXPECT_EQ(freed.checkCount, 0u);
    EXPECT_EQ(SlotIndex(kMacB), 1);
    AddStation(kMacA, 0, kAboveThreshold);
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(SlotIndex(kMacA), 0);
    EXPECT_EQ(Slot(kMacA)->checkCount, 0u);
}

TEST_F(SamplerTest, StationsAreMatchedByExactMacText)
{
    // Letter case makes two users; an inactive station counts as gone.
    AddStation("aa:bb:cc:dd:ee:ff", 0, 1);
    AddStation("AA:BB:CC:DD:EE:FF", 1, 1);
    AddStation(kMacA, 2, 1);
    Init();
    qzsim::RunTimerCycles(2);
    EXPECT_EQ(SlotsInUse(), 3u);
    EXPECT_NE(Slot("aa:bb:cc:dd:ee:ff"), nullptr);
    EXPECT_NE(Slot("AA:BB:CC:DD:EE:FF"), nullptr);
    SetKey(kMacA, "inactive", "true");
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(Slot(kMacA), nullptr);
    EXPECT_EQ(SlotsInUse(), 2u);
    // An empty sample frees every slot.
    Remove("aa:bb:cc:dd:ee:ff");
    Remove("AA:BB:CC:DD:EE:FF");
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(SlotsInUse(), 0u);
}

TEST_F(SamplerTest, MarkerArrayFailureKeepsTheTableAndStillWrites)
{
    AddStation(kMacA, 0, 3000);
    Init();
    qzsim::RunTimerCycles(2);
    const WLAN_AIR_USER_S before = *Slot(kMacA);
    ASSERT_EQ(before.realTimeTxRate, 1u);
    Remove(kMacA);
    AddStation(kMacB, 0, 1);
    qzsim::FailAlloc(1);
    qzsim::ClearRecords();
    EXPECT_EQ(WLAN_AirInterfaceTimerProc(), 0u);
    EXPECT_EQ(CountLastWords(kUnit, 1), 1u);
    ASSERT_NE(Slot(kMacA), nullptr);
    EXPECT_EQ(memcmp(Slot(kMacA), &before, sizeof(before)), 0);
    EXPECT_EQ(Slot(kMacB), nullptr);
    EXPECT_EQ(CountTraces("isExist[1] lineNum[0]"), 1u);  // the write step ran
}

TEST_F(SamplerTest, FullTableStoresNothingAndTracesIndex256)
{
    Init();
    for (auto &u : g_pstAirUserTable->users) u.isOnline = 1;
    WLAN_AIR_USER_S user{};
    snprintf(user.userMac, sizeof(user.userMac), "%s", kMacB);
    EXPECT_EQ(WLAN_AirInterfaceAddUser(&user, 0), WLAN_AIR_USER_MAX);
    EXPECT_EQ(CountTraces("AddUser userMac xx:xx:xx:d3:e4:f5, rssi 0, txRate 0, rxRate 0, powerSave=0 index 256"), 1u);
    for (const auto &u : g_pstAirUserTable->users) EXPECT_EQ(u.userMac[0], '\0');
}

TEST_F(SamplerTest, AnchorNeedsTwentyCyclesAboveTheThreshold)
{
    // One station each: bytes per cycle, and the cycle (from the one adding
    // the station) that makes it an anchor; 0: never.
    const std::pair<uint64_t, int> cases[] = {
        {kAboveThreshold, 21}, {kAtThreshold, 0}, {kAboveThreshold + 2999, 21}, {0, 0}};
    const char *macs[] = {"02:00:00:00:00:01", "02:00:00:00:00:02", "02:00:00:00:00:03", "02:00:00:00:00:04"};
    for (int k = 0; k < 4; k++) AddStation(macs[k], 0, cases[k].first);
    Init();
    for (int cycle = 1; cycle <= 45; cycle++) {
        qzsim::RunTimerCycles(1);
        for (int k = 0; k < 4; k++) {
            const int anchorCycle = cases[k].second;
            const WLAN_AIR_USER_S *u = Slot(macs[k]);
            ASSERT_NE(u, nullptr);
            bool anchor = anchorCycle != 0 && cycle >= anchorCycle;
            ASSERT_EQ(u->isAnchor, anchor ? 1 : 0) << macs[k] << " cycle " << cycle;
            uint32_t count = anchorCycle == 0 ? 0 : (anchor ? 20u : static_cast<uint32_t>(cycle - 1));
            ASSERT_EQ(u->checkCount, count) << macs[k] << " cycle " << cycle;
        }
    }
}

TEST_F(SamplerTest, AnchorIsLostAfterTwentyQuietCyclesAndAHeavyOneRestoresTheCount)
{
    // Each step: bytes per cycle for that many cycles, then the expected state.
    const struct {
        int cycles;
        uint64_t bytesPerCycle;
        uint32_t checkCount;
        uint8_t isAnchor;
    } steps[] = {
        {21, kAboveThreshold, 20, 1}, {5, 0, 15, 1},           {1, kAboveThreshold, 20, 1}, {19, 0, 1, 1}, {1, 0, 0, 0},
        {1, kAboveThreshold, 1, 0},   {1, kAtThreshold, 0, 0},
    };
    AddStation(kMacA, 0, 0);
    Init();
    int n = 0;
    for (const auto &s : steps) {
        SetKey(kMacA, "bytesPerCycle", std::to_string(s.bytesPerCycle));
        qzsim::RunTimerCycles(s.cycles);
        SCOPED_TRACE("step " + std::to_string(n++));
        const WLAN_AIR_USER_S *u = Slot(kMacA);
        ASSERT_NE(u, nullptr);
        EXPECT_EQ(u->checkCount, s.checkCount);
        EXPECT_EQ(u->isAnchor, s.isAnchor);
    }
}

}  // namespace
}  // namespace airtest
