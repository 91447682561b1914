// Roam lines byte for byte with a fixed clock, the 255-byte line limit, the
// MAC policy, the failures that still write a line, and the stand-in WLAN
// service writing through the shared library.
#include <cstdio>
#include <string>
#include <tuple>

#include "qz_guarded.h"
#include "qz_sim_bounded.h"
#include "roam_topo_fixture.h"

namespace {

constexpr char kMac[] = "a1:b2:c3:d4:e5:f6";

using RoamLog = roamtest::RoamTopoTest;

TEST_F(RoamLog, LineByteForByte)
{
    // Full MAC shown, microseconds, AP number, band, action, the line.
    const std::tuple<int, uint32_t, uint32_t, uint32_t, uint32_t, const char *> cases[] = {
        {0, 7000, 258, 0, 10, "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 2.4G][AP:2][MOVE START] m\n"},
        {1, 999999, 7, 1, 3,
         "2026-03-07 09:05:03.999 [FBT][STA a1:b2:c3:d4:e5:f6][Band 5G][AP:7][NETLINK OFFLINE] m\n"},
        {0, 0, 255, 2, 0, "2026-03-07 09:05:03.000 [FBT][STA a1:b2:c3:d4:XX:XX][Band NA][AP:255][] m\n"},
        {5, 1000, 256, 7, 14, "2026-03-07 09:05:03.001 [FBT][STA a1:b2:c3:d4:e5:f6][Band NA][AP:0][] m\n"},
        {0, 12345, 1, 1, 13,
         "2026-03-07 09:05:03.012 [FBT][STA a1:b2:c3:d4:XX:XX][Band 5G][AP:1][KICK INVALID STA] m\n"},
    };
    std::string expected;
    for (const auto &[fullMac, micros, apInst, band, action, line] : cases) {
        ShowFullMac(fullMac);
        qzsim::FixClock(roamtest::kEpoch, micros);
        WLAN_SetOwnAPInst(apInst);
        WLAN_RecordRoamLog(kMac, band, action, "%c", 'm');
        expected += line;
        EXPECT_EQ(g_ownAPInst, static_cast<uint8_t>(apInst));
    }
    EXPECT_EQ(RoamFile(), expected);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(RoamLog, LineLimitAndFailures)
{
    // A line with band 1 and action 5; 174 message bytes make the longest
    // line, 254 bytes before its newline.
    auto line = [](const std::string &mac, const std::string &message) {
        return "2026-03-07 09:05:03.007 [FBT][STA " + mac + "][Band 5G][AP:0][SCAN START] " + message + "\n";
    };
    const std::string longest(174, 'x');
    // What, the call that fails once (code 0x5A), full MAC shown, MAC, message,
    // the file afterwards, the last word's code (0: none).
    const std::tuple<const char *, const char *, int, const char *, std::string, std::string, uint32_t> cases[] = {
        {"longest line", nullptr, 0, kMac, longest, line("a1:b2:c3:d4:XX:XX", longest), 0},
        {"the newline does not fit: reported", nullptr, 0, kMac, longest + "x", "", QZ_SIM_ERANGE},
        {"the message does not fit: dropped silently", nullptr, 0, kMac, longest + "xx", "", 0},
        {"time query fails", "QZ_TIMER_GetConfigDSTTime", 0, kMac, "m", line("a1:b2:c3:d4:XX:XX", "m").substr(24),
         0x5A},
        // A MAC text longer than its 18-byte buffer: the full copy is refused.
        {"full MAC does not fit", nullptr, 1, "a1:b2:c3:d4:e5:f6:77", "m", line("", "m"), 1},
        {"short MAC masked", nullptr, 0, "a1:b2", "m", line("a1:b2:XX:XX", "m"), 0},
        {"no MAC", nullptr, 0, nullptr, "m", "", 1},
        {"empty message: a formatting failure", nullptr, 0, kMac, "", "", 1},
    };
    for (const auto &[what, faultCall, fullMac, mac, message, expected, lastWordCode] : cases) {
        SCOPED_TRACE(what);
        qzsim::ClearRecords();
        std::remove(Under(WLAN_ROAM_LOG_PATH).c_str());
        ShowFullMac(fullMac);
        if (faultCall != nullptr) qzsim::FailCall(faultCall, 0x5A);
        WLAN_RecordRoamLog(mac, 1, 5, "%s", message.c_str());
        EXPECT_EQ(RoamFile(), expected);
        EXPECT_EQ(qzsim::LastWords().size(), lastWordCode != 0 ? 1u : 0u);
        EXPECT_EQ(qztest::CountLastWords("wlan_log", lastWordCode), lastWordCode != 0 ? 1u : 0u);
    }
}

TEST_F(RoamLog, TimeStampAndActionNameBuffers)
{
    // What, the stamp (else the action name), action, size, the text afterwards
    // (null: left as it was), last words.
    const std::tuple<const char *, bool, uint32_t, uint32_t, const char *, size_t> cases[] = {
        {"stamp fits", true, 0, 25, "2026-03-07 09:05:03.007 ", 0},
        {"stamp one byte short", true, 0, 24, "", 1},
        {"name fits exactly", false, 3, 16, "NETLINK OFFLINE", 0},
        {"name one byte short", false, 3, 15, "", 1},
        {"action 0 leaves the destination", false, 0, 32, nullptr, 0},
        {"action 14 leaves the destination", false, 14, 32, nullptr, 0},
    };
    for (const auto &[what, stamp, action, size, expected, lastWords] : cases) {
        SCOPED_TRACE(what);
        qzsim::ClearRecords();
        qztest::Guarded buf(size);
        stamp ? WLAN_AppendRoamTime(buf.dest(), size) : WLAN_TransRoamAction(action, buf.dest(), size);
        // A destination left alone still holds its preset bytes.
        EXPECT_EQ(expected ? buf.str() : buf.bytes(),
                  expected ? expected : std::string(size, qztest::Guarded::kPreset));
        EXPECT_TRUE(buf.GuardsIntact());
        EXPECT_EQ(qzsim::LastWords().size(), lastWords);
    }
}

// The stand-in WLAN service writes its lines through the shared library as
// the host loads it (not through the test's own static copy).
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
