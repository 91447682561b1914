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

class SamplerTest : public AirTest {};

// ---- Start-up ----------------------------------------------------------------

struct StartFailure {
    const char *name;
    const char *call;  // platform call made to fail; empty: an allocation
    int allocNth;
    uint32_t expected;
    size_t lastWordsWithCode;  // reports carrying the expected code
};

TEST_F(SamplerTest, StartUpFailureFreesEverythingAndPassesTheCodeOn)
{
    const StartFailure cases[] = {
        {"table allocation", "", 1, 1, 1},
        {"sample allocation", "", 2, 1, 1},
        {"timer creation", "QZ_TIMER_CreateRealTimer", 0, 0xE0001234u, 2},
        {"timer start", "QZ_TIMER_StartRealTimerD", 0, 0xE0005678u, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        qzsim::Reset();
        ForgetState();
        if (c.allocNth != 0) {
            qzsim::FailAlloc(c.allocNth);
        } else {
            qzsim::FailCall(c.call, c.expected);
        }
        EXPECT_EQ(WLAN_InitAirInterface(), c.expected);
        EXPECT_EQ(g_pstAirUserTable, nullptr);
        EXPECT_EQ(g_pstAirUserSample, nullptr);
        EXPECT_EQ(g_airInterfaceTimer, 0u);
        EXPECT_EQ(qzsim::LiveBlocks(), 0u);
        EXPECT_EQ(CountLastWords(kUnit, c.expected), c.lastWordsWithCode);
        std::string debugLine = "WLAN_InitAirInterface fail";
        if (c.allocNth == 0) debugLine += " " + std::to_string(c.expected);
        auto lines = qzsim::WifiLogLines();
        ASSERT_EQ(lines.size(), 1u);
        std::string text = lines[0].text;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        ASSERT_GE(text.size(), debugLine.size());
        EXPECT_EQ(text.substr(text.size() - debugLine.size()), debugLine) << text;
        // No timer runs: a cycle of the platform writes nothing.
        qzsim::RunTimerCycles(1);
        EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    }
}

// ---- Sampling -------------------------------------------------------------------

TEST_F(SamplerTest, SampleReadsTheAdapterRecordsAtTheirOffsets)
{
    AddStation(kMacA, 1, 5000);
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
    EXPECT_EQ(u->txBytes, 0x123456789Aull + 5000);
    EXPECT_EQ(u->realTimeTxRate, 0u);  // a new user has no rate yet
    EXPECT_EQ(u->checkCount, 0u);
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
    }
    for (int i = 0; i < 300; i++) AddStation(macs[i], i < 128 ? 2 : (i < 256 ? 5 : 0), 1);
    Init();
    qzsim::RunTimerCycles(2);
    EXPECT_EQ(SlotsInUse(), 256u);
    for (int i = 0; i < 300; i++) {
        bool expected = i < 212 || i >= 256;  // SSID 0 (44), SSID 2 (128), then 84 of SSID 5
        EXPECT_EQ(Slot(macs[i]) != nullptr, expected) << macs[i];
    }
}

TEST_F(SamplerTest, FailedQueriesSkipTheirSsidOrStation)
{
    struct Case {
        CallFault fault;
        std::vector<bool> sampled;  // A and B on SSID 0, C on SSID 1
        size_t reports;             // where it fails, and by the sampling loop
        uint32_t ssid;              // the SSID index the sampling loop reports
    };
    const std::vector<Case> cases = {
        {{"station count of SSID 0", "QZ_WLAN_GetIfAssociatedNum", 0, 0xE1}, {false, false, true}, 1, 0},
        {{"first station record", "WLAN_ADPT_GetIfAssociatedDevice", 0, 0xE2}, {false, true, true}, 1, 0},
        {{"statistics of C", "WLAN_GetStaStasByMac", 2, 0xE3}, {true, true, false}, 2, 1},
    };
    const char *macs[] = {"00:00:00:00:00:0a", "00:00:00:00:00:0b", "00:00:00:00:00:0c"};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault.name);
        qzsim::Reset();
        ForgetState();
        AddStation(macs[0], 0, 1);
        AddStation(macs[1], 0, 1);
        AddStation(macs[2], 1, 1);
        Init();
        c.fault.Inject();
        qzsim::RunTimerCycles(1);
        for (int i = 0; i < 3; i++) EXPECT_EQ(Slot(macs[i]) != nullptr, c.sampled[i]) << macs[i];
        EXPECT_EQ(CountLastWords(kUnit, static_cast<uint32_t>(c.fault.code)), c.reports);
        auto words = qzsim::LastWords();
        ASSERT_FALSE(words.empty());
        EXPECT_EQ(words.back().code, static_cast<uint32_t>(c.fault.code));
        EXPECT_EQ(words.back().value1, c.ssid);
        // The next cycle starts afresh.
        qzsim::RunTimerCycles(1);
        EXPECT_EQ(SlotsInUse(), 3u);
        ForgetState();
    }
}

// ---- Reconciliation -----------------------------------------------------------

TEST_F(SamplerTest, TableFollowsStationsJoiningLeavingAndMoving)
{
    AddStation(kMacA, 0, kAboveThreshold);
    AddStation(kMacB, 4, kAboveThreshold);
    Init();
    qzsim::RunTimerCycles(5);
    const int slotA = SlotIndex(kMacA);
    const int slotB = SlotIndex(kMacB);
    ASSERT_EQ(slotA, 0);
    ASSERT_EQ(slotB, 1);
    EXPECT_EQ(Slot(kMacA)->checkCount, 4u);

    // Matching is by MAC only: another SSID keeps the slot and the count.
    SetKey(kMacA, "ssid", "5");
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(SlotIndex(kMacA), slotA);
    EXPECT_EQ(Slot(kMacA)->checkCount, 5u);

    // Leaving for one cycle frees the slot whole; returning starts afresh in
    // the lowest free slot.
    std::string error;
    ASSERT_TRUE(qzsim::RemoveStation(kMacA, &error)) << error;
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(Slot(kMacA), nullptr);
    const WLAN_AIR_USER_S &freed = g_pstAirUserTable->users[slotA];
    EXPECT_EQ(freed.userMac[0], '\0');
    EXPECT_EQ(freed.txBytes, 0u);
    EXPECT_EQ(freed.checkCount, 0u);
    EXPECT_EQ(SlotIndex(kMacB), slotB);
    AddStation(kMacA, 0, kAboveThreshold);
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(SlotIndex(kMacA), slotA);
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
    std::string error;
    ASSERT_TRUE(qzsim::RemoveStation("aa:bb:cc:dd:ee:ff", &error));
    ASSERT_TRUE(qzsim::RemoveStation("AA:BB:CC:DD:EE:FF", &error));
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
    std::string error;
    ASSERT_TRUE(qzsim::RemoveStation(kMacA, &error));
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
    for (uint32_t i = 0; i < WLAN_AIR_USER_MAX; i++) g_pstAirUserTable->users[i].isOnline = 1;
    WLAN_AIR_USER_S user{};
    snprintf(user.userMac, sizeof(user.userMac), "%s", kMacB);
    EXPECT_EQ(WLAN_AirInterfaceAddUser(&user, 0), WLAN_AIR_USER_MAX);
    EXPECT_EQ(CountTraces("AddUser userMac xx:xx:xx:d3:e4:f5, rssi 0, txRate 0, rxRate 0, powerSave=0 index 256"), 1u);
    for (const auto &u : g_pstAirUserTable->users) EXPECT_EQ(u.userMac[0], '\0');
}

// ---- Rate and anchor classification ------------------------------------------------

TEST_F(SamplerTest, AnchorNeedsTwentyCyclesAboveTheThreshold)
{
    struct Case {
        uint64_t bytesPerCycle;
        int anchorCycle;  // cycle (from the one adding the station) that makes it an anchor; 0 never
    };
    const Case cases[] = {{kAboveThreshold, 21}, {kAtThreshold, 0}, {kAboveThreshold + 2999, 21}, {0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytesPerCycle);
        qzsim::Reset();
        ForgetState();
        AddStation(kMacA, 0, c.bytesPerCycle);
        Init();
        for (int cycle = 1; cycle <= 45; cycle++) {
            qzsim::RunTimerCycles(1);
            const WLAN_AIR_USER_S *u = Slot(kMacA);
            ASSERT_NE(u, nullptr);
            bool anchor = c.anchorCycle != 0 && cycle >= c.anchorCycle;
            ASSERT_EQ(u->isAnchor, anchor ? 1 : 0) << "cycle " << cycle;
            uint32_t count = c.anchorCycle == 0 ? 0 : (anchor ? 20u : static_cast<uint32_t>(cycle - 1));
            ASSERT_EQ(u->checkCount, count) << "cycle " << cycle;
        }
        ForgetState();
    }
}

TEST_F(SamplerTest, AnchorIsLostAfterTwentyQuietCyclesAndAHeavyOneRestoresTheCount)
{
    // Each step: bytes per cycle for that cycle, then the expected state.
    struct Step {
        int cycles;
        uint64_t bytesPerCycle;
        uint32_t checkCount;
        uint8_t isAnchor;
    };
    const Step steps[] = {
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

TEST_F(SamplerTest, CounterGoingBackwardsGivesRateZeroAndBecomesTheReference)
{
    AddStation(kMacA, 0, 30000);
    Init();
    qzsim::RunTimerCycles(3);
    std::string error;
    ASSERT_TRUE(qzsim::SetStationCounter(kMacA, 6000, &error));  // re-associated
    struct Expect {
        uint64_t txBytes;
        uint64_t rate;
    };
    const Expect expect[] = {{36000, 0}, {66000, 10}};
    for (const auto &e : expect) {
        qzsim::RunTimerCycles(1);
        EXPECT_EQ(Slot(kMacA)->txBytes, e.txBytes);
        EXPECT_EQ(Slot(kMacA)->realTimeTxRate, e.rate);
    }
}

}  // namespace
}  // namespace airtest
