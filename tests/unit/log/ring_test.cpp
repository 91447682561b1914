// Log rings: record format, wrap-around, dropping of overlong records, display
// pieces, clears, the AP-selection text, and the debug and operation logs.
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "qz_platform.h"
#include "qz_sim_bounded.h"
#include "qz_test.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"

namespace {

// 2026-01-02 03:04:05 in Asia/Shanghai (the default profile's zone).
constexpr time_t kFixedTime = 1767294245;
const std::string kPrefix = "\r\n[2026-01-02 03:04:05:000042]";

class RingTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
        qzsim::FixClock(kFixedTime, 42);
    }
    static std::string Text(const WLAN_LOG_TBL_S &ring) { return std::string(ring.acLog, strnlen(ring.acLog, 10240)); }
};

TEST_F(RingTest, RecordIsTimePrefixAndMessage)
{
    WLAN_LOG_SaveWlanLog(&g_stWlanLog, "WLAN fitap init FitApMode %u\r\n", 1u);
    EXPECT_EQ(Text(g_stWlanLog), kPrefix + "WLAN fitap init FitApMode 1\r\n");
    EXPECT_EQ(g_stWlanLog.uiWritePos, Text(g_stWlanLog).size());

    char prefix[64];
    EXPECT_EQ(QZ_WLAN_GetTimeBuf(prefix, sizeof(prefix)), kPrefix.size());
    EXPECT_EQ(prefix, kPrefix);
    EXPECT_EQ(QZ_WLAN_GetTimeBuf(prefix, 10), 0u);  // does not fit: no prefix
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), 1u);

    // Failed time queries leave their parts empty, without a report.
    qzsim::ClearRecords();
    qzsim::FailCall("QZ_TIMER_TimeToDSTStr", 1, 0, -1);
    qzsim::FailCall("QZ_OS_GetLocalTimeVal", 1, 0, -1);
    WLAN_LOG_SaveWlanLog(&g_stApLEDLog, "x");
    EXPECT_EQ(Text(g_stApLEDLog), "\r\n[:000000]x");
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(RingTest, OverlongRecordIsDroppedWhole)
{
    const size_t room = 199 - kPrefix.size();
    WLAN_LOG_SaveWlanLog(&g_stWlanLog, "%s", std::string(room, 'a').c_str());
    EXPECT_EQ(g_stWlanLog.uiWritePos, 199u);
    WLAN_LOG_SaveWlanLog(&g_stWlanLog, "%s", std::string(room + 1, 'b').c_str());
    EXPECT_EQ(g_stWlanLog.uiWritePos, 199u);
    EXPECT_EQ(Text(g_stWlanLog).find('b'), std::string::npos);
    WLAN_LOG_SaveWlanLog(&g_stWlanLog, "%s", "");  // an empty message is a formatter failure
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), 1u);
    EXPECT_EQ(g_stWlanLog.uiWritePos, 199u);
}

TEST_F(RingTest, WrapKeepsOlderTextBehindTheNewRecord)
{
    const std::string filler(10238, 'o');
    QZ_WLAN_CpLog(&g_stApLEDLog, filler.data(), filler.size());
    QZ_WLAN_CpLog(&g_stApLEDLog, "1", 1);  // reaches exactly 10239: appended at the end
    EXPECT_EQ(g_stApLEDLog.uiWritePos, 10239u);
    EXPECT_EQ(Text(g_stApLEDLog), filler + "1");
    QZ_WLAN_CpLog(&g_stApLEDLog, "NEW", 3);  // would reach 10242: written at the start
    EXPECT_EQ(g_stApLEDLog.uiWritePos, 3u);
    EXPECT_EQ(Text(g_stApLEDLog), "NEW" + filler.substr(3) + "1");

    // A record larger than the ring is refused, after the wrap it asked for:
    // the next append starts on a cleared area.
    const std::string huge(10240, 'h');
    QZ_WLAN_CpLog(&g_stWlanLog, "old", 3);
    QZ_WLAN_CpLog(&g_stWlanLog, huge.data(), huge.size());
    EXPECT_EQ(qztest::CountLastWords("wlan_log", QZ_SIM_ERANGE), 1u);
    EXPECT_EQ(g_stWlanLog.uiWritePos, 0u);
    QZ_WLAN_CpLog(&g_stWlanLog, "next", 4);
    EXPECT_EQ(Text(g_stWlanLog), "next");
}

TEST_F(RingTest, ShowPrintsTheTextInPiecesThenTheClosingMessage)
{
    for (size_t length : {0u, 1u, 199u, 200u, 201u, 10239u}) {
        ASSERT_EQ(WLAN_CMD_ClearLogInner(&g_stZarvoErrorLog, "cleared"), 0u);
        const std::string text(length, 'z');
        if (length > 0) QZ_WLAN_CpLog(&g_stZarvoErrorLog, text.data(), text.size());
        (void)qzsim::TakeConsole();
        EXPECT_EQ(WLAN_CMD_ShowZarvoErrlog(0, nullptr), 0u);
        const std::string shown = qzsim::TakeConsole();
        EXPECT_TRUE(shown == text + "\r\nwlancmd show xlikerrlog success!\r\n") << length << ": " << shown.size();
    }
}

TEST_F(RingTest, ShowAndClearCommands)
{
    // The ring, its getter, the word that names it, and the closing messages.
    const std::tuple<WLAN_LOG_TBL_S *, WLAN_LOG_TBL_S *, const char *, const char *, const char *> cases[] = {
        {&g_stWlanLog, WLAN_CMD_LOG_TblGet(), "log", "log success!", "log success"},
        {&g_stApLEDLog, WLAN_CMD_APLEDLOG_TblGet(), "apledlog", "apledlog success!", "apledlog success"},
        {&g_stZarvoErrorLog, WLAN_CMD_ZarvoErrLOG_TblGet(), "xlinkerrlog", "xlikerrlog success!",
         "xlinkerrlog success"},
    };
    ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);
    for (const auto &[ring, got, name, shown, cleared] : cases) {
        EXPECT_EQ(got, ring) << name;
        QZ_WLAN_CpLog(ring, "entry", 5);
        EXPECT_EQ(qztest::RunLine(std::string("show ") + name), std::string("entry\r\nwlancmd show ") + shown + "\r\n");
        EXPECT_EQ(qztest::RunLine(std::string("clear ") + name), std::string("\r\nwlancmd clear ") + cleared + "\r\n");
        EXPECT_EQ(ring->uiWritePos, 0u) << name;
        EXPECT_EQ(ring->acLog[0], '\0') << name;
    }
    // The video-transmission ring can be shown but only start-up empties it.
    EXPECT_EQ(WLAN_CMD_VitransLog_TblGet(), &g_vitransLog);
    QZ_WLAN_CpLog(&g_vitransLog, "vt", 2);
    EXPECT_EQ(qztest::RunLine("show vitranslog"), "vt\r\nwlancmd show vitranslog success!\r\n");
    EXPECT_EQ(qztest::RunLine("clear vitranslog"), "Can't find this command.\r\n\r\n");
    EXPECT_EQ(WLAN_CMD_LogInit(), 0u);
    EXPECT_EQ(g_vitransLog.uiWritePos, 0u);
}

TEST_F(RingTest, ApSelectionTextIsReplacedWhole)
{
    EXPECT_EQ(WLAN_Select_LOG_TblGet(), g_ApSelectLog);
    EXPECT_EQ(QZ_WLAN_SaveApLog("first report, long"), 0u);
    EXPECT_EQ(QZ_WLAN_SaveApLog("second"), 0u);
    EXPECT_STREQ(g_ApSelectLog, "second");
    EXPECT_EQ(g_ApSelectLog[7], '\0');  // no tail of the older text
    EXPECT_EQ(QZ_WLAN_SaveApLog(nullptr), 0u);
    EXPECT_STREQ(g_ApSelectLog, "second");
    EXPECT_EQ(WLAN_CMD_LogInit(), 0u);
    EXPECT_STREQ(g_ApSelectLog, "second");  // survives start-up clears

    EXPECT_EQ(QZ_WLAN_SaveApLog(std::string(1024, 'x').c_str()), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_log", QZ_SIM_ERANGE), 1u);
    EXPECT_STREQ(g_ApSelectLog, "");
}

TEST_F(RingTest, DebugLogTagsLinesBySubmoduleAndDropsWhatDoesNotFit)
{
    const std::pair<uint32_t, const char *> cases[] = {{0, "[FBT]"}, {1, "[FBT]"},  {2, "[XLINK]"},
                                                       {3, "[BSD]"}, {4, "[WLAN]"}, {7, "[WLAN]"}};
    for (const auto &[subModule, tag] : cases) {
        WLAN_DebugLog(5, subModule, "msg %d", 1);
        auto lines = qzsim::WifiLogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().text, std::string(tag) + "msg 1\n");
        EXPECT_EQ(lines.back().logClass, 5u);
        EXPECT_EQ(lines.back().module, 9u);
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
    qzsim::ClearRecords();
    const size_t room = 255 - strlen("[WLAN]");
    WLAN_DebugLog(1, 4, "%s", std::string(room, 'm').c_str());
    WLAN_DebugLog(1, 4, "%s", std::string(room + 1, 'n').c_str());
    auto lines = qzsim::WifiLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text.size(), 256u);  // 255 bytes and the newline
    EXPECT_TRUE(qzsim::LastWords().empty());

    char tag[6];
    WLAN_Get_Submod_Des(2, tag, sizeof(tag));  // "[XLINK]" needs 8 bytes
    EXPECT_STREQ(tag, "");
    EXPECT_EQ(qztest::CountLastWords("wlan_log", QZ_SIM_ERANGE), 1u);
}

TEST_F(RingTest, OperationLogRecord)
{
    WLAN_QueryLog(3, "wlancmd", "check", "node");
    auto records = qzsim::OperationLog();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, "Source:3,Terminal:wlancmd,check:node");
    EXPECT_EQ(records[0].logClass, 6u);
    EXPECT_EQ(records[0].module, 4u);

    WLAN_QueryLog(3, std::string(200, 't').c_str(), "k", "v");  // longer than the 128-byte record
    EXPECT_EQ(qzsim::OperationLog().size(), 1u);
    EXPECT_EQ(qzsim::LastWords().size(), 1u);
}

}  // namespace
