// Topology files: where each line goes (size limit, advance, rotation), what
// a line holds, and the calendar-time comparison.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "qz_guarded.h"
#include "qz_sim_bounded.h"
#include "roam_topo_fixture.h"

namespace {

constexpr char kStamp[] = "[2026-03-07 09:05:03] ";

class TopoLog : public roamtest::RoamTopoTest {
  protected:
    void Write(uint32_t n, const std::string &text) const { std::ofstream(TopoPath(n), std::ios::binary) << text; }
};

TEST_F(TopoLog, SizeLimitMovesToTheNextFile)
{
    // The current file, the bytes already in it, the file the line goes to.
    const std::tuple<uint32_t, size_t, uint32_t> cases[] = {
        {1, WLAN_TOPO_FILE_LIMIT, 1},      // exactly the limit still takes a line
        {1, WLAN_TOPO_FILE_LIMIT + 1, 2},  // one byte more: the next file
        {9, WLAN_TOPO_FILE_LIMIT + 1, 10},
        {4, 0, 4},
    };
    for (const auto &[index, existing, writtenTo] : cases) {
        SCOPED_TRACE(index);
        std::filesystem::remove_all(Under("/var/zarvo"));
        std::filesystem::create_directories(Under("/var/zarvo"));
        g_uiTopoFileIndex = index;
        const std::string before(existing, 'o');
        if (existing != 0) Write(index, before);
        WLAN_TOPO_DebugLog("line\n");
        const std::string line = std::string(kStamp) + "line\n";
        EXPECT_EQ(g_uiTopoFileIndex, writtenTo);
        EXPECT_EQ(TopoFile(writtenTo), writtenTo == index ? before + line : line);
        if (writtenTo != index) {
            EXPECT_EQ(TopoFile(index), before);
        }
    }
}

TEST_F(TopoLog, FullLastFileRotatesTheFamily)
{
    for (uint32_t n = 1; n <= WLAN_TOPO_FILE_COUNT; n++) Write(n, "file " + std::to_string(n) + "\n");
    const std::string full10 = "file 10\n" + std::string(WLAN_TOPO_FILE_LIMIT, 'o');
    Write(10, full10);
    g_uiTopoFileIndex = 10;
    WLAN_TOPO_DebugLog("after rotation\n");
    for (uint32_t n = 1; n <= 8; n++) EXPECT_EQ(TopoFile(n), "file " + std::to_string(n + 1) + "\n") << n;
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

TEST_F(TopoLog, WhatALineHolds)
{
    const size_t room = WLAN_TOPO_LINE_SIZE - 1 - strlen(kStamp);  // message bytes that fit
    const char *emptyFormat = "%s";
    // What, the call that fails once, the message, what file 1 holds afterwards.
    const std::tuple<const char *, const char *, std::string, std::string> cases[] = {
        {"no newline added", nullptr, "a", std::string(kStamp) + "a"},
        {"longest line", nullptr, std::string(room, 'x'), kStamp + std::string(room, 'x')},
        {"one byte too long: not even the stamp", nullptr, std::string(room + 1, 'x'), ""},
        {"empty message", nullptr, "", ""},
        {"time query fails", "QZ_TIMER_GetConfigDSTTime", "m\n", "m\n"},
        {"file does not open", "QZ_OS_Fopen", "m\n", ""},
    };
    for (const auto &[what, faultCall, message, expected] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove(TopoPath(1));
        if (faultCall != nullptr) qzsim::FailCall(faultCall, 1);
        WLAN_TOPO_DebugLog(emptyFormat, message.c_str());
        EXPECT_EQ(TopoFile(1), expected);
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(TopoLog, FileNameAndStampBuffers)
{
    struct Case {
        const char *name;
        bool stamp;  // WLAN_CMD_AppendTimeFormat from the count 5, else WLAN_CMD_GetNewFileName
        uint32_t size;
        const char *expected;  // null: the destination is left as it was
        uint32_t result;       // the count afterwards, or WLAN_CMD_GetNewFileName's result
        size_t lastWords;
        const char *faultCall = nullptr;
    } cases[] = {
        {"name fits exactly", false, 27, "/var/zarvo/topodebug.1.log", 0, 0},
        {"name one byte short", false, 26, "", QZ_SIM_ERANGE, 1},
        {"stamp fits exactly", true, 23, kStamp, 5 + 22, 0},
        {"stamp one byte short", true, 22, "", 5, 1},
        {"time query fails", true, 32, nullptr, 5, 0, "QZ_TIMER_GetConfigDSTTime"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qzsim::ClearRecords();
        if (c.faultCall != nullptr) qzsim::FailCall(c.faultCall, 3);
        qztest::Guarded buf(c.size);
        uint32_t count = 5;
        if (c.stamp) WLAN_CMD_AppendTimeFormat(buf.dest(), c.size, &count);
        EXPECT_EQ(c.stamp ? count : WLAN_CMD_GetNewFileName(buf.dest(), c.size), c.result);
        // A destination left alone still holds its preset bytes.
        EXPECT_EQ(c.expected ? buf.str() : buf.bytes(),
                  c.expected ? c.expected : std::string(c.size, qztest::Guarded::kPreset));
        EXPECT_TRUE(buf.GuardsIntact());
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWords);
    }
}

struct tm Tm(int year, int mon, int mday, int hour, int min, int sec)
{
    struct tm t = {};
    t.tm_year = year - 1900, t.tm_mon = mon - 1, t.tm_mday = mday, t.tm_hour = hour, t.tm_min = min, t.tm_sec = sec;
    return t;
}

TEST_F(TopoLog, TimeCompare)
{
    const struct tm base = Tm(2026, 3, 7, 9, 5, 3), zero = {};
    struct tm otherWeekday = base;
    otherWeekday.tm_wday = 4;
    otherWeekday.tm_yday = 200;
    otherWeekday.tm_isdst = 1;
    // One second before the epoch (UTC+8): mktime's answer is then -1, which
    // is its failure value.
    const struct tm unconvertible = Tm(1970, 1, 1, 7, 59, 59);
    const std::tuple<const char *, struct tm, struct tm, uint32_t> cases[] = {
        {"first all zero", zero, base, WLAN_TIME_FIRST_ZERO},
        {"first all zero, second unconvertible", zero, unconvertible, WLAN_TIME_FIRST_ZERO},
        {"second all zero is an ordinary time", base, zero, WLAN_TIME_LATER},
        {"only day of week, day of year and DST flag differ", base, otherWeekday, WLAN_TIME_SAME},
        {"one second earlier", Tm(2026, 3, 7, 9, 5, 2), base, WLAN_TIME_EARLIER},
        {"one second later", Tm(2026, 3, 7, 9, 5, 4), base, WLAN_TIME_LATER},
        {"out-of-range fields normalise", Tm(2026, 3, 6, 33, 5, 3), base, WLAN_TIME_SAME},
        {"first unconvertible", unconvertible, base, WLAN_TIME_INVALID},
        {"second unconvertible", base, unconvertible, WLAN_TIME_INVALID},
    };
    for (const auto &[what, first, second, expected] : cases) {
        SCOPED_TRACE(what);
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_LogTimeCompare(&first, &second), expected);
        EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), expected == WLAN_TIME_INVALID ? 1u : 0u);
    }
    // Every field zero, the padding bytes of 64-bit hosts not: all zero still.
    struct tm zeroFields;
    memset(&zeroFields, 0xa5, sizeof(zeroFields));
    zeroFields.tm_sec = zeroFields.tm_min = zeroFields.tm_hour = zeroFields.tm_mday = zeroFields.tm_mon = 0;
    zeroFields.tm_year = zeroFields.tm_wday = zeroFields.tm_yday = zeroFields.tm_isdst = 0;
    zeroFields.tm_gmtoff = 0;
    zeroFields.tm_zone = nullptr;
    EXPECT_EQ(WLAN_LogTimeCompare(&zeroFields, &base), WLAN_TIME_FIRST_ZERO);
}

}  // namespace
