// Topology files: where each line goes (size limit, advance, rotation), what
// a line holds, and the calendar-time comparison.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "qz_sim_bounded.h"
#include "roam_topo_fixture.h"

namespace {

constexpr char kStamp[] = "[2026-03-07 09:05:03] ";

class TopoLog : public roamtest::RoamTopoTest {
  protected:
    std::string File(uint32_t n) const { return TopoFile(n); }
    bool Exists(uint32_t n) const { return std::filesystem::exists(TopoPath(n)); }
    void Write(uint32_t n, const std::string &text) const { std::ofstream(TopoPath(n), std::ios::binary) << text; }
};

TEST_F(TopoLog, FirstLineAppendsToFileOne)
{
    Write(1, "older run\n");
    WLAN_TOPO_DebugLog("sta %s joined\n", "x");
    EXPECT_EQ(File(1), std::string("older run\n") + kStamp + "sta x joined\n");
    EXPECT_FALSE(Exists(2));
}

TEST_F(TopoLog, SizeLimitMovesToTheNextFile)
{
    struct Case {
        uint32_t index;
        size_t existing;  // bytes already in the current file
        uint32_t writtenTo;
    };
    const Case cases[] = {
        {1, WLAN_TOPO_FILE_LIMIT, 1},      // exactly the limit still takes a line
        {1, WLAN_TOPO_FILE_LIMIT + 1, 2},  // one byte more: the next file
        {9, WLAN_TOPO_FILE_LIMIT + 1, 10},
        {4, 0, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index);
        std::filesystem::remove_all(Under("/var/zarvo"));
        std::filesystem::create_directories(Under("/var/zarvo"));
        g_uiTopoFileIndex = c.index;
        const std::string before(c.existing, 'o');
        if (c.existing != 0) Write(c.index, before);
        WLAN_TOPO_DebugLog("line\n");
        const std::string line = std::string(kStamp) + "line\n";
        EXPECT_EQ(g_uiTopoFileIndex, c.writtenTo);
        EXPECT_EQ(File(c.writtenTo), c.writtenTo == c.index ? before + line : line);
        if (c.writtenTo != c.index) {
            EXPECT_EQ(File(c.index), before);
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

    for (uint32_t n = 1; n <= 8; n++) EXPECT_EQ(File(n), "file " + std::to_string(n + 1) + "\n") << n;
    EXPECT_EQ(File(9), full10);
    EXPECT_EQ(File(10), std::string(kStamp) + "after rotation\n");
    EXPECT_EQ(g_uiTopoFileIndex, 10u);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(TopoLog, RotationGoesOnWhenDeletesAndRenamesFail)
{
    Write(10, std::string(WLAN_TOPO_FILE_LIMIT + 1, 'o'));
    g_uiTopoFileIndex = 10;
    qzsim::FailCall("QZ_OS_Remove", -1);
    qzsim::FailCall("QZ_OS_Rename", -1, 0, -1);
    WLAN_TOPO_DebugLog("still written\n");
    EXPECT_EQ(File(10), std::string(WLAN_TOPO_FILE_LIMIT + 1, 'o') + kStamp + "still written\n");
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(TopoLog, WhatALineHolds)
{
    const size_t room = WLAN_TOPO_LINE_SIZE - 1 - strlen(kStamp);  // message bytes that fit
    const char *emptyFormat = "%s";
    struct Case {
        const char *name;
        const char *faultCall;  // fails once
        std::string message;
        std::string expected;  // what file 1 holds afterwards
        size_t lastWords;
    };
    const Case cases[] = {
        {"no newline added", nullptr, "a", std::string(kStamp) + "a", 0},
        {"longest line", nullptr, std::string(room, 'x'), kStamp + std::string(room, 'x'), 0},
        {"one byte too long: not even the stamp", nullptr, std::string(room + 1, 'x'), "", 0},
        {"empty message", nullptr, "", "", 0},
        {"time query fails", "QZ_TIMER_GetConfigDSTTime", "m\n", "m\n", 0},
        {"file does not open", "QZ_OS_Fopen", "m\n", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qzsim::ClearRecords();
        std::filesystem::remove(TopoPath(1));
        if (c.faultCall != nullptr) qzsim::FailCall(c.faultCall, 1);
        WLAN_TOPO_DebugLog(emptyFormat, c.message.c_str());
        EXPECT_EQ(File(1), c.expected);
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWords);
    }
}

TEST_F(TopoLog, MessageWithoutNewlineRunsIntoTheNextLine)
{
    WLAN_TOPO_DebugLog("first");
    WLAN_TOPO_DebugLog("second\n");
    EXPECT_EQ(File(1), std::string(kStamp) + "first" + kStamp + "second\n");
}

TEST_F(TopoLog, FileNameAndStampBuffers)
{
    struct Case {
        const char *name;
        bool stamp;  // WLAN_CMD_AppendTimeFormat, else WLAN_CMD_GetNewFileName
        size_t size;
        const char *expected;
        uint32_t result;   // of WLAN_CMD_GetNewFileName
        uint32_t counter;  // after WLAN_CMD_AppendTimeFormat from 5
        size_t lastWords;
    };
    const Case cases[] = {
        {"name fits exactly", false, 27, "/var/zarvo/topodebug.1.log", 0, 0, 0},
        {"name one byte short", false, 26, "", QZ_SIM_ERANGE, 0, 1},
        {"stamp fits exactly", true, 23, kStamp, 0, 5 + 22, 0},
        {"stamp one byte short", true, 22, "", 0, 5, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qzsim::ClearRecords();
        char buf[48];
        memset(buf, 0x7E, sizeof(buf));
        char *dest = buf + 8;
        uint32_t counter = 5;
        if (c.stamp) {
            WLAN_CMD_AppendTimeFormat(dest, static_cast<uint32_t>(c.size), &counter);
            EXPECT_EQ(counter, c.counter);
        } else {
            EXPECT_EQ(WLAN_CMD_GetNewFileName(dest, static_cast<uint32_t>(c.size)), c.result);
        }
        EXPECT_STREQ(dest, c.expected);
        for (size_t i = 0; i < 8; i++) {
            EXPECT_EQ(buf[i], 0x7E);
            EXPECT_EQ(dest[c.size + i], 0x7E);
        }
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWords);
    }
}

TEST_F(TopoLog, StampFailureLeavesCounter)
{
    char dest[32] = "keep";
    uint32_t counter = 9;
    qzsim::FailCall("QZ_TIMER_GetConfigDSTTime", 3);
    WLAN_CMD_AppendTimeFormat(dest, sizeof(dest), &counter);
    EXPECT_EQ(counter, 9u);
    EXPECT_STREQ(dest, "keep");
    EXPECT_TRUE(qzsim::LastWords().empty());
}

struct tm Tm(int year, int mon, int mday, int hour, int min, int sec)
{
    struct tm t;
    memset(&t, 0, sizeof(t));
    t.tm_year = year - 1900;
    t.tm_mon = mon - 1;
    t.tm_mday = mday;
    t.tm_hour = hour;
    t.tm_min = min;
    t.tm_sec = sec;
    return t;
}

TEST_F(TopoLog, TimeCompare)
{
    const struct tm base = Tm(2026, 3, 7, 9, 5, 3);
    struct tm zero;
    memset(&zero, 0, sizeof(zero));
    struct tm otherWeekday = base;
    otherWeekday.tm_wday = 4;
    otherWeekday.tm_yday = 200;
    otherWeekday.tm_isdst = 1;
    // One second before the epoch (UTC+8): mktime's answer is then -1, which
    // is its failure value.
    const struct tm unconvertible = Tm(1970, 1, 1, 7, 59, 59);
    struct tm normalised = Tm(2026, 3, 6, 33, 5, 3);  // hour 33 of the 6th is 09:00 on the 7th

    struct Case {
        const char *name;
        struct tm first;
        struct tm second;
        uint32_t expected;
        size_t lastWords;
    };
    const Case cases[] = {
        {"first all zero", zero, base, WLAN_TIME_FIRST_ZERO, 0},
        {"first all zero, second unconvertible", zero, unconvertible, WLAN_TIME_FIRST_ZERO, 0},
        {"second all zero is an ordinary time", base, zero, WLAN_TIME_LATER, 0},
        {"only day of week, day of year and DST flag differ", base, otherWeekday, WLAN_TIME_SAME, 0},
        {"one second earlier", Tm(2026, 3, 7, 9, 5, 2), base, WLAN_TIME_EARLIER, 0},
        {"one second later", Tm(2026, 3, 7, 9, 5, 4), base, WLAN_TIME_LATER, 0},
        {"out-of-range fields normalise", normalised, base, WLAN_TIME_SAME, 0},
        {"first unconvertible", unconvertible, base, WLAN_TIME_INVALID, 1},
        {"second unconvertible", base, unconvertible, WLAN_TIME_INVALID, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_LogTimeCompare(&c.first, &c.second), c.expected);
        EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), c.lastWords);
    }
}

}  // namespace
