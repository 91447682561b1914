// The air-interface log beyond what its golden session shows: start-up
// failures, the 256-station sample, the anchor hysteresis step by step, the
// record line's fields, packing at 50000 lines and the file's failures.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "qz_air_test.h"

namespace airtest {
namespace {

constexpr char kHeader[] = "MAC               STAID  TIME                 RSSI Tx/RxRate     PowerSave\r\n";
constexpr char kMac[] = "02:00:00:00:00:0a";

TEST_F(AirTest, StartUpFailureFreesEverythingAndPassesTheCodeOn)
{
    // The allocation that fails (the table, then the sample), else the timer call; the result.
    const std::tuple<int, const char *, uint32_t> cases[] = {
        {1, "", 1}, {2, "", 1}, {0, "QZ_TIMER_CreateRealTimer", 0xE0001234u}, {0, "QZ_TIMER_StartRealTimerD", 0xE5u}};
    for (const auto &[allocNth, call, expected] : cases) {
        SCOPED_TRACE(expected);
        ForgetState();
        *call ? qzsim::FailCall(call, expected) : qzsim::FailAlloc(allocNth);
        EXPECT_EQ(WLAN_InitAirInterface(), expected);
        EXPECT_TRUE(g_pstAirUserTable == nullptr && g_pstAirUserSample == nullptr && g_airInterfaceTimer == 0);
        EXPECT_EQ(qzsim::LiveBlocks(), 0u);
    }
}

TEST_F(AirTest, OnlyTheFirst256StationsInSsidOrderAreSampled)
{
    // SSID 0's 44 stations come last in model order but first in SSID order,
    // so the last 44 of SSID 5 are left out.
    char mac[18];
    for (int i = 0; i < 300; i++) {
        snprintf(mac, sizeof(mac), "02:00:00:00:%02x:%02x", i / 256, i % 256);
        AddStation(mac, i < 128 ? 2 : (i < 256 ? 5 : 0), 1);
    }
    Init();
    qzsim::RunTimerCycles(2);
    EXPECT_EQ(SlotsInUse(), 256u);
    for (int i = 0; i < 300; i++) {
        snprintf(mac, sizeof(mac), "02:00:00:00:%02x:%02x", i / 256, i % 256);
        EXPECT_EQ(Slot(mac) != nullptr, i < 212 || i >= 256) << mac;
    }
}

TEST_F(AirTest, AnchorHysteresis)
{
    // Each step: bytes per cycle (the rate is a 3000th of them) for that many
    // cycles, then the expected count and anchor state. The first cycle adds
    // the station without a rate.
    const uint64_t at = kAtThreshold, above = kAboveThreshold;
    const struct {
        int cycles;
        uint64_t bytesPerCycle;
        uint32_t checkCount;
        uint8_t isAnchor;
    } steps[] = {
        {1, above, 0, 0},  {19, above, 19, 0}, {1, at, 0, 0}, {20, above + 2999, 20, 1}, {5, 0, 15, 1},
        {1, above, 20, 1}, {19, at, 1, 1},     {1, 0, 0, 0},  {1, above, 1, 0},          {1, at, 0, 0},
    };
    AddStation(kMac, 0, 0);
    Init();
    int n = 0;
    for (const auto &s : steps) {
        SetKey(kMac, "bytesPerCycle", std::to_string(s.bytesPerCycle));
        qzsim::RunTimerCycles(s.cycles);
        SCOPED_TRACE("step " + std::to_string(n++));
        ASSERT_NE(Slot(kMac), nullptr);
        EXPECT_EQ(Slot(kMac)->checkCount, s.checkCount);
        EXPECT_EQ(Slot(kMac)->isAnchor, s.isAnchor);
    }
    // A counter going backwards (the station re-associated) gives a rate of 0
    // for the cycle, and the new counter is the reference.
    std::string error;
    ASSERT_TRUE(qzsim::SetStationCounter(kMac, 6000, &error)) << error;
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(Slot(kMac)->txBytes, 6000u + at);
    EXPECT_EQ(Slot(kMac)->realTimeTxRate, 0u);
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(Slot(kMac)->realTimeTxRate, 2048u);
    ASSERT_TRUE(qzsim::RemoveStation(kMac, &error)) << error;
    qzsim::RunTimerCycles(1);  // an empty sample frees every slot
    EXPECT_EQ(SlotsInUse(), 0u);
}

class RecordFileTest : public AirTest {
  protected:
    void SetUp() override
    {
        AirTest::SetUp();
        qzsim::FixClock(1764900000, 0);  // 2025-12-05 10:00:00 in the default zone
        Init();
    }
    std::string File() const { return qztest::ReadFile(RecordFile()); }
    // A record file of a process that already wrote `lines` lines.
    void PrepareFile(uint32_t lines)
    {
        std::ofstream(RecordFile(), std::ios::binary)
            << kHeader << std::string(lines, '\n');  // the library counts, it does not read
        wlan_air::isExist = 1;
        wlan_air::lineNum = lines;
    }
};

TEST_F(RecordFileTest, RecordLineFields)
{
    // MAC, station identifier known to the driver ("": none, "-": not even the
    // station), RSSI, rates, power save, the line (empty: none written).
    const std::tuple<const char *, const char *, int32_t, uint32_t, uint32_t, uint8_t, const char *> cases[] = {
        {"00:11:22:33:44:55", "7", -45, 866, 300, 1, "xx:xx:xx:33:44:55 7      T  -45  866M/300M     on"},
        {"a0:b1:c2:D3:E4:F5", "123456", -100, 0, 0, 2, "xx:xx:xx:D3:E4:F5 123456 T  -100 0M/0M         off"},
        {"02:00:00:00:00:01", "4294967295", 5, 1, 2, 0, "xx:xx:xx:00:00:01 4294967295 T  5    1M/2M         off"},
        {"02:00:00:00:00:02", "", -1, 99999, 99, 1, "xx:xx:xx:00:00:02 0      T  -1   99999M/99M    on"},
        {"02:00:00:00:00:03", "-", -60, 99999, 9999, 1, "xx:xx:xx:00:00:03 0      T  -60  99999M/9999M  on"},
        // A rate text of 13 characters leaves no room for its terminator.
        {"02:00:00:00:00:04", "4", -60, 99999, 99999, 1, ""},
        {"02:00:00:00:00:05", "5", -60, 4000000000u, 4000000000u, 1, ""},
    };
    std::string expected = kHeader;
    uint32_t i = 0;
    for (const auto &[mac, staId, rssi, txRate, rxRate, powerSave, line] : cases) {
        if (*staId != '-') AddStation(mac, 0, 0);
        if (*staId != '-' && *staId != '\0') SetKey(mac, "staId", staId);
        PutAnchor(i++, mac, rssi, txRate, rxRate, powerSave);
        std::string text = line;
        if (!text.empty()) expected += text.replace(text.find(" T "), 3, " 2025-12-05 10:00:00 ") + "\r\n";
    }
    EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
    EXPECT_EQ(File(), expected);
    EXPECT_EQ(wlan_air::lineNum, 5u);
}

TEST_F(RecordFileTest, PackingInTheMiddleOfACycle)
{
    // One line below 50000 and three anchors: the first line fills the file,
    // the second packs it first.
    PrepareFile(49999);
    for (uint32_t i = 0; i < 3; i++) PutAnchor(i, "02:00:00:00:00:0" + std::to_string(i), -40, 1, 1, 0);
    EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
    EXPECT_EQ(wlan_air::lineNum, 2u);
    const std::string line = " 0      2025-12-05 10:00:00  -40  1M/1M         off\r\n";
    EXPECT_EQ(File(), kHeader + ("xx:xx:xx:00:00:01" + line) + "xx:xx:xx:00:00:02" + line);
    // Packed first: the archive's member (the header and 50000 lines) is pinned by the airinterface session.
    EXPECT_TRUE(std::filesystem::exists(Under("/var/wifi_airInterface.tar.gz")));
}

TEST_F(RecordFileTest, FileFailures)
{
    // The call that fails once, isExist before the cycle, the result, isExist
    // and lineNum after it, the record file (null: absent).
    const std::string one = "xx:xx:xx:00:00:0a 0      2025-12-05 10:00:00  -40  1M/1M         off\r\n";
    const std::tuple<const char *, uint8_t, uint32_t, uint8_t, uint32_t, const char *> cases[] = {
        {"QZ_OS_Creat", 0, 1, 0, 5, nullptr},
        {"QZ_OS_Write", 0, 1, 0, 5, ""},  // the header: the next cycle creates the file again
        {"QZ_OS_Open", 1, 1, 1, 5, kHeader},
        {"QZ_OS_Write", 1, 0, 1, 6, "1"},  // one line lost, the other written
    };
    for (const auto &[call, exist, result, existAfter, linesAfter, content] : cases) {
        SCOPED_TRACE(call + std::to_string(exist));
        std::filesystem::remove(RecordFile());
        if (exist) std::ofstream(RecordFile(), std::ios::binary) << kHeader;
        wlan_air::isExist = exist;
        wlan_air::lineNum = 5;
        PutAnchor(0, kMac, -40, 1, 1, 0);
        PutAnchor(1, kMac, -40, 1, 1, 0);
        qzsim::FailCall(call, -1);
        EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), result);
        EXPECT_EQ(wlan_air::isExist, existAfter);
        EXPECT_EQ(wlan_air::lineNum, linesAfter);
        EXPECT_EQ(std::filesystem::exists(RecordFile()), content != nullptr);
        EXPECT_EQ(File(), content == nullptr ? "" : (*content == '1' ? kHeader + one : content));
    }
}

}  // namespace
}  // namespace airtest
