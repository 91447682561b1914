// Ring bounds and what a session cannot make happen: the write position at the
// wrap, overlong records and failed formats or copies. Record texts and the
// show and clear commands are pinned by the rings and dispatch sessions.
#include <cstring>
#include <string>
#include <tuple>

#include "qz_platform.h"
#include "qz_test.h"
#include "qz_wlan_log.h"

namespace {

class RingTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
        qzsim::FixClock(1767294245, 42);  // 2026-01-02 03:04:05.000042 in Asia/Shanghai
    }
    static std::string Text(const WLAN_LOG_TBL_S &ring) { return std::string(ring.acLog, strnlen(ring.acLog, 10240)); }
};

TEST_F(RingTest, WrapAtTheLastByteAndARecordLargerThanTheRing)
{
    const std::string filler(10238, 'o');
    QZ_WLAN_CpLog(&g_stApLEDLog, filler.data(), filler.size());
    QZ_WLAN_CpLog(&g_stApLEDLog, "1", 1);  // reaches exactly 10239: appended at the end
    EXPECT_EQ(g_stApLEDLog.uiWritePos, 10239u);
    EXPECT_EQ(Text(g_stApLEDLog), filler + "1");
    QZ_WLAN_CpLog(&g_stApLEDLog, "N", 1);  // would reach 10240: written at the start, the rest stays
    EXPECT_EQ(g_stApLEDLog.uiWritePos, 1u);
    EXPECT_EQ(Text(g_stApLEDLog), "N" + filler.substr(1) + "1");

    // Refused after the wrap it asked for: the next append starts on a cleared area.
    QZ_WLAN_CpLog(&g_stWlanLog, "old", 3);
    QZ_WLAN_CpLog(&g_stWlanLog, std::string(10240, 'h').data(), 10240);
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 34), 1u);  // the bounded copy's ERANGE
    EXPECT_EQ(g_stWlanLog.uiWritePos, 0u);
    QZ_WLAN_CpLog(&g_stWlanLog, "next", 4);
    EXPECT_EQ(Text(g_stWlanLog), "next");
}

TEST_F(RingTest, RecordsThatDoNotFitOrFailToFormat)
{
    const std::string prefix = "\r\n[2026-01-02 03:04:05:000042]";
    const size_t room = 199 - prefix.size();
    WLAN_LOG_SaveWlanLog(&g_stWlanLog, "%s", std::string(room, 'a').c_str());
    EXPECT_EQ(g_stWlanLog.uiWritePos, 199u);
    WLAN_LOG_SaveWlanLog(&g_stWlanLog, "%s", std::string(room + 1, 'b').c_str());  // dropped whole
    WLAN_LOG_SaveWlanLog(&g_stWlanLog, "%s", "");  // an empty message is a formatter failure
    EXPECT_EQ(Text(g_stWlanLog), prefix + std::string(room, 'a'));
    char small[10];
    EXPECT_EQ(QZ_WLAN_GetTimeBuf(small, sizeof(small)), 0u);  // does not fit: no prefix
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), 2u);

    qzsim::ClearRecords();
    const size_t line = 255 - strlen("[WLAN]");
    WLAN_DebugLog(1, 4, "%s", std::string(line, 'm').c_str());
    WLAN_DebugLog(1, 4, "%s", std::string(line + 1, 'n').c_str());  // dropped whole
    WLAN_DebugLog(1, 4, "%s", "");
    ASSERT_EQ(qzsim::WifiLogLines().size(), 1u);
    EXPECT_EQ(qzsim::WifiLogLines()[0].text, "[WLAN]" + std::string(line, 'm') + "\n");
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), 1u);
}

TEST_F(RingTest, ApSelectionTextIsReplacedWhole)
{
    EXPECT_EQ(WLAN_Select_LOG_TblGet(), g_ApSelectLog);
    EXPECT_EQ(QZ_WLAN_SaveApLog("first report, long") + QZ_WLAN_SaveApLog("second"), 0u);
    EXPECT_EQ(QZ_WLAN_SaveApLog(nullptr), 0u);
    EXPECT_EQ(WLAN_CMD_LogInit(), 0u);                                       // survives start-up clears
    EXPECT_EQ(std::string(g_ApSelectLog, 8), std::string("second\0\0", 8));  // no tail of the older text
    EXPECT_EQ(QZ_WLAN_SaveApLog(std::string(1024, 'x').c_str()), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 34), 1u);
    EXPECT_STREQ(g_ApSelectLog, "");
}

// One record in the platform's operation log, class 6 and module 4; a text
// longer than the 128-byte record is traced and not recorded.
TEST_F(RingTest, OperationLogRecord)
{
    WLAN_QueryLog(3, "wlancmd", "check", "node");
    WLAN_QueryLog(3, std::string(200, 't').c_str(), "k", "v");
    auto records = qzsim::OperationLog();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(std::tuple(records[0].text, records[0].logClass, records[0].module),
              std::tuple("Source:3,Terminal:wlancmd,check:node", 6u, 4u));
    EXPECT_EQ(qzsim::LastWords().size(), 1u);
}

}  // namespace
