// Roam lines and topology files with a fixed clock: line limits, the buffers
// of the parts, where a topology line goes (size limit, rotation) and the
// calendar-time comparison. The lines of a station's moves are pinned by the
// roam-topology golden session.
#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "qz_guarded.h"
#include "roam_topo_fixture.h"

namespace {

constexpr char kMac[] = "a1:b2:c3:d4:e5:f6", kStamp[] = "[2026-03-07 09:05:03] ";

class RoamTopo : public roamtest::RoamTopoTest {
  protected:
    void Write(uint32_t n, const std::string &text) const { std::ofstream(TopoPath(n), std::ios::binary) << text; }
};

TEST_F(RoamTopo, RoamLines)
{
    auto line = [](const std::string &mac, const std::string &band, const std::string &action, const std::string &m) {
        return "2026-03-07 09:05:03.007 [FBT][STA " + mac + "][Band " + band + "][AP:2][" + action + "] " + m + "\n";
    };
    const std::string masked = "a1:b2:c3:d4:XX:XX", longest(174, 'x');  // the longest line: 254 bytes and "\n"
    // What, full MAC shown, MAC, band, action, message, the file, the last
    // word (0: none).
    const std::tuple<const char *, int, const char *, uint32_t, uint32_t, std::string, std::string, uint32_t> cases[] =
        {
            {"full MAC", 1, kMac, 1, 3, "m", line(kMac, "5G", "NETLINK OFFLINE", "m"), 0},
            {"band 2 and action 0", 0, kMac, 2, 0, "m",
             "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band NA][AP:2][] m\n", 0},
            {"band 0 and the last action", 0, kMac, 0, 13, "m", line(masked, "2.4G", "KICK INVALID STA", "m"), 0},
            {"longest line", 0, kMac, 1, 5, longest, line(masked, "5G", "SCAN START", longest), 0},
            {"the newline does not fit: reported", 0, kMac, 1, 5, longest + "x", "", 34},
            {"the message does not fit: dropped silently", 0, kMac, 1, 5, longest + "xx", "", 0},
            {"full MAC does not fit its 18 bytes", 1, "a1:b2:c3:d4:e5:f6:77", 1, 5, "m",
             line("", "5G", "SCAN START", "m"), 1},
            {"no MAC", 0, nullptr, 1, 5, "m", "", 1},
            {"empty message: a formatting failure", 0, kMac, 1, 5, "", "", 1},
        };
    WLAN_SetOwnAPInst(258);  // the low byte is kept
    for (const auto &[what, fullMac, mac, band, action, message, expected, lastWordCode] : cases) {
        SCOPED_TRACE(what);
        qzsim::ClearRecords();
        std::filesystem::remove(Under("/proc/wifilog/debug/2G"));
        ShowFullMac(fullMac);
        WLAN_RecordRoamLog(mac, band, action, "%s", message.c_str());
        EXPECT_EQ(RoamFile(), expected);
        EXPECT_EQ(qzsim::LastWords().size(), lastWordCode != 0 ? 1u : 0u);
        EXPECT_EQ(qztest::CountLastWords("wlan_log", lastWordCode), lastWordCode != 0 ? 1u : 0u);
    }
}

TEST_F(RoamTopo, PartBuffers)
{
    // The action table by number: 0 and 14 have no row.
    const char *const names[] = {
        "",           "NETLINK ONLINE", "SMARTLINK_ONLINE", "NETLINK OFFLINE",  "SMARTLINK OFFLINE",
        "SCAN START", "SCAN END",       "SCAN FAILED",      "JUDGE SUCCESS",    "JUDGE FAILED",
        "MOVE START", "MOVE END",       "MOVE TIMEOUT",     "KICK INVALID STA", ""};
    for (uint32_t n = 0; n <= 14; n++) {
        char name[32] = {};
        WLAN_TransRoamAction(n, name, sizeof(name));
        EXPECT_STREQ(name, names[n]) << n;
    }
    enum Writer { kRoamStamp, kAction, kFileName, kTopoStamp };
    // What, the writer, the action, the size, the text afterwards (null: left as it was), last words.
    const std::tuple<const char *, Writer, uint32_t, uint32_t, const char *, size_t> cases[] = {
        {"roam stamp fits", kRoamStamp, 0, 25, "2026-03-07 09:05:03.007 ", 0},
        {"roam stamp one byte short", kRoamStamp, 0, 24, "", 1},
        {"action name fits exactly", kAction, 3, 16, "NETLINK OFFLINE", 0},
        {"action name one byte short", kAction, 3, 15, "", 1},
        {"action 14 leaves the destination", kAction, 14, 32, nullptr, 0},
        {"file name fits exactly", kFileName, 0, 27, "/var/zarvo/topodebug.1.log", 0},
        {"file name one byte short", kFileName, 0, 26, "", 1},
        {"topology stamp fits exactly", kTopoStamp, 0, 23, kStamp, 0},
        {"topology stamp one byte short", kTopoStamp, 0, 22, "", 1},
    };
    for (const auto &[what, writer, action, size, expected, lastWords] : cases) {
        SCOPED_TRACE(what);
        qzsim::ClearRecords();
        qztest::Guarded buf(size);
        uint32_t count = 5;  // the stamp's length is added to it
        if (writer == kRoamStamp) WLAN_AppendRoamTime(buf.dest(), size);
        if (writer == kAction) WLAN_TransRoamAction(action, buf.dest(), size);
        const uint32_t named = writer == kFileName ? WLAN_CMD_GetNewFileName(buf.dest(), size) : 0;
        EXPECT_EQ(named, writer == kFileName && lastWords != 0 ? 34u : 0u);
        if (writer == kTopoStamp) WLAN_CMD_AppendTimeFormat(buf.dest(), size, &count);
        EXPECT_EQ(count, writer == kTopoStamp && lastWords == 0 ? 5u + 22 : 5u);
        EXPECT_EQ(expected ? buf.str() : buf.bytes(),
                  expected ? expected : std::string(size, qztest::Guarded::kPreset));
        EXPECT_EQ(qzsim::LastWords().size(), lastWords);
    }
}

TEST_F(RoamTopo, TopologyFileSizeLimit)
{
    // The bytes already in file 1, the file the line goes to: a file over
    // 131072 bytes is full.
    for (const auto &[existing, writtenTo] : {std::pair<size_t, uint32_t>{131072, 1}, {131073, 2}}) {
        SCOPED_TRACE(existing);
        g_uiTopoFileIndex = 1;
        const std::string before(existing, 'o');
        Write(1, before);
        WLAN_TOPO_DebugLog("line\n");
        EXPECT_EQ(g_uiTopoFileIndex, writtenTo);
        const std::string line = std::string(kStamp) + "line\n";
        EXPECT_EQ(TopoFile(1), writtenTo == 1 ? before + line : before);
        EXPECT_EQ(TopoFile(2), writtenTo == 2 ? line : "");
    }
}

TEST_F(RoamTopo, FullTenthFileRotatesTheFamily)
{
    for (uint32_t n = 1; n <= 10; n++) Write(n, "file " + std::to_string(n) + "\n");
    const std::string full10 = "file 10\n" + std::string(131072, 'o');
    Write(10, full10);
    g_uiTopoFileIndex = 10;
    WLAN_TOPO_DebugLog("after rotation\n");
    for (uint32_t n = 1; n <= 8; n++) EXPECT_EQ(TopoFile(n), "file " + std::to_string(n + 1) + "\n");
    EXPECT_EQ(TopoFile(9), full10);
    EXPECT_EQ(TopoFile(10), std::string(kStamp) + "after rotation\n");
    EXPECT_EQ(g_uiTopoFileIndex, 10u);
    // Failing deletes and renames do not stop the line.
    Write(10, full10);
    qzsim::FailCall("QZ_OS_Remove", -1);
    qzsim::FailCall("QZ_OS_Rename", -1, 0, -1);
    WLAN_TOPO_DebugLog("still written\n");
    EXPECT_EQ(TopoFile(10), full10 + kStamp + "still written\n");
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(RoamTopo, WhatATopologyLineHolds)
{
    const size_t room = 255 - strlen(kStamp);  // message bytes that fit a line of 255
    // What, the message, what file 1 holds afterwards.
    const std::tuple<const char *, std::string, std::string> cases[] = {
        {"longest line", std::string(room, 'x'), kStamp + std::string(room, 'x')},
        {"one byte too long: not even the stamp", std::string(room + 1, 'x'), ""},
        {"empty message", "", ""},
    };
    for (const auto &[what, message, expected] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove(TopoPath(1));
        WLAN_TOPO_DebugLog("%s", message.c_str());
        EXPECT_EQ(TopoFile(1), expected);
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
}

struct tm Tm(int year, int mon, int mday, int hour, int min, int sec)
{
    struct tm t = {};
    t.tm_year = year - 1900, t.tm_mon = mon - 1, t.tm_mday = mday, t.tm_hour = hour, t.tm_min = min, t.tm_sec = sec;
    return t;
}

TEST_F(RoamTopo, TimeCompare)
{
    const struct tm base = Tm(2026, 3, 7, 9, 5, 3), zero = {};
    struct tm otherWeekday = base;
    otherWeekday.tm_wday = 4, otherWeekday.tm_yday = 200, otherWeekday.tm_isdst = 1;
    // One second before the epoch (UTC+8): mktime answers -1, its failure value.
    const struct tm unconvertible = Tm(1970, 1, 1, 7, 59, 59);
    // 0 earlier, 1 later, 2 the same second, 3 first all zero, 4 not convertible.
    const std::tuple<const char *, struct tm, struct tm, uint32_t> cases[] = {
        {"first all zero", zero, base, 3},
        {"first all zero, second unconvertible", zero, unconvertible, 3},
        {"second all zero is an ordinary time", base, zero, 1},
        {"only day of week, day of year and DST flag differ", base, otherWeekday, 2},
        {"one second earlier", Tm(2026, 3, 7, 9, 5, 2), base, 0},
        {"one second later", Tm(2026, 3, 7, 9, 5, 4), base, 1},
        {"first unconvertible", unconvertible, base, 4},
        {"second unconvertible", base, unconvertible, 4},
    };
    for (const auto &[what, first, second, expected] : cases) {
        SCOPED_TRACE(what);
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_LogTimeCompare(&first, &second), expected);
        EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), expected == 4 ? 1u : 0u);
    }
    // Every field zero, the padding bytes of 64-bit hosts not: all zero still.
    struct tm zeroFields;
    memset(&zeroFields, 0xa5, sizeof(zeroFields));
    zeroFields.tm_sec = zeroFields.tm_min = zeroFields.tm_hour = zeroFields.tm_mday = zeroFields.tm_mon = 0;
    zeroFields.tm_year = zeroFields.tm_wday = zeroFields.tm_yday = zeroFields.tm_isdst = 0;
    zeroFields.tm_gmtoff = 0;
    zeroFields.tm_zone = nullptr;
    EXPECT_EQ(WLAN_LogTimeCompare(&zeroFields, &base), 3u);
}

// The stand-in WLAN service writes through the shared library as a host
// loads it (local binding, found by soname), with the MAC policy of the roam
// lines.
TEST_F(RoamTopo, WlanServiceWritesThroughTheSharedLibrary)
{
    ASSERT_NE(dlopen(QZ_BINARY_DIR "/lib/libqz_wlan_base.so", RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
    ShowFullMac(1);
    EXPECT_TRUE(qzsim::OnStationJoined(kMac, 6));
    std::string topo;
    for (uint32_t n = 1; n <= 10; n++) topo += TopoFile(n);
    EXPECT_EQ(topo, "[2026-03-07 09:05:03] sta a1:b2:c3:d4:e5:f6 joined ssid 6 (5G)\n");
}

}  // namespace
