// The host's front end: line checks, message packing, line execution and the
// meta-command table, with a recording CLI entry and with the real library.
#include <cstring>
#include <string>
#include <vector>

#include "host.h"
#include "qz_platform.h"
#include "qz_test.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"

namespace {

// What the recording CLI entry received: the whole record.
std::vector<std::vector<unsigned char>> g_messages;

uint32_t RecordingEntry(const void *msg, uint32_t, uint32_t, uint32_t)
{
    const auto *bytes = static_cast<const unsigned char *>(msg);
    g_messages.emplace_back(bytes, bytes + WLAN_CLI_MSG_SIZE);
    QZ_PROC_DBG_TraceS(0, 0, 0, 3, "entry ran\r\n");
    return 0;
}

struct Outcome {
    bool delivered;
    std::string out;  // request output, then the platform console
    std::string err;
    int quits;
};

Outcome Execute(const std::string &line, host::CliEntry entry)
{
    Outcome o{false, "", "", 0};
    host::Request request(line);
    o.delivered = host::ExecuteLine(
        line, entry, [&o] { o.quits++; }, &request);
    request.Finish(o.delivered);
    (void)request.Drain([&o](bool isError, const std::string &text) { (isError ? o.err : o.out) += text; });
    o.out += qzsim::TakeConsole();
    return o;
}

std::string Word(const std::vector<unsigned char> &msg, size_t i)
{
    const char *slot = reinterpret_cast<const char *>(&msg[WLAN_CLI_MSG_WORDS_OFFSET + i * WLAN_DBG_KEYWORD_LEN]);
    return std::string(slot, strnlen(slot, WLAN_DBG_KEYWORD_LEN));
}

uint32_t U32At(const std::vector<unsigned char> &msg, size_t offset)
{
    uint32_t v;
    memcpy(&v, &msg[offset], sizeof(v));
    return v;
}

class HostCoreTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        g_messages.clear();
    }
};

TEST(SplitLineTest, AcceptsOrRefusesNamingTheWord)
{
    const std::string w47(47, 'a');
    const std::string w48(48, 'b');
    struct Case {
        std::string line;
        bool ok;
        std::vector<std::string> words;  // when ok
        std::vector<std::string> named;  // texts the refusal must hold
    } cases[] = {
        {"", true, {}, {}},
        {" \t ", true, {}, {}},
        {"show log", true, {"show", "log"}, {}},
        {"\tshow   log\r", true, {"show", "log"}, {}},
        {"1 2 3 4 5 6 7 8", true, {"1", "2", "3", "4", "5", "6", "7", "8"}, {}},
        {"1 2 3 4 5 6 7 8 nine", false, {}, {"9 words", "\"nine\"", "not sent"}},
        {"a b c d e f g h i j k", false, {}, {"11 words", "\"i\""}},
        {"show " + w47, true, {"show", w47}, {}},
        {"show " + w48, false, {}, {"word 2", "\"" + w48 + "\"", "48 characters", "not sent"}},
        {w48 + " " + w47, false, {}, {"word 1"}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> words{"stale"};
        std::string error;
        bool ok = host::SplitLine(c.line, &words, &error);
        EXPECT_EQ(ok, c.ok) << c.line;
        if (c.ok) {
            EXPECT_EQ(words, c.words) << c.line;
        } else {
            for (const auto &text : c.named) EXPECT_NE(error.find(text), std::string::npos) << error;
        }
    }
}

TEST(PackCliMsgTest, LaysOutTypeCountAndZeroPaddedSlots)
{
    const std::string w47(47, 'z');
    const std::vector<std::string> words = {"show", "log", w47, "x"};
    auto msg = host::PackCliMsg(words);
    ASSERT_EQ(msg.size(), WLAN_CLI_MSG_SIZE);
    EXPECT_EQ(U32At(msg, WLAN_CLI_MSG_TYPE_OFFSET), WLAN_CLI_MSG_TYPE_WLANCMD);
    EXPECT_EQ(U32At(msg, WLAN_CLI_MSG_COUNT_OFFSET), 4u);
    for (size_t i = 0; i < WLAN_DBG_KEYWORD_SLOTS; i++) {
        EXPECT_EQ(Word(msg, i), i < words.size() ? words[i] : "") << i;
        // every slot keeps a terminator inside it
        EXPECT_EQ(msg[WLAN_CLI_MSG_WORDS_OFFSET + i * WLAN_DBG_KEYWORD_LEN + WLAN_DBG_KEYWORD_LEN - 1], 0) << i;
    }
    // The header and the bytes between type and count are zero.
    for (size_t i = 0; i < WLAN_CLI_MSG_COUNT_OFFSET; i++) {
        if (i < WLAN_CLI_MSG_TYPE_OFFSET || i >= WLAN_CLI_MSG_TYPE_OFFSET + 4) {
            EXPECT_EQ(msg[i], 0) << i;
        }
    }
}

TEST(CheckClientLineTest, RefusesControlBytesAndBrokenUtf8)
{
    struct Case {
        std::string line;
        bool complete;
        bool ok;
        std::string named;
    } cases[] = {
        {"show log", true, true, ""},
        {"show\tlog\r", true, true, ""},
        {"set ssid caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xb6 \xf4\x8f\xbf\xbf", true, true, ""},
        {"", true, true, ""},
        {std::string("show\0log", 8), true, false, "control byte (0x00 at offset 4)"},
        {"show\rlog", true, false, "control byte (0x0d at offset 4)"},
        {"\x1b[Ashow", true, false, "control byte (0x1b at offset 0)"},
        {"show log\x7f", true, false, "control byte (0x7f at offset 8)"},
        {"show \xff", true, false, "not valid UTF-8 (0xff at offset 5)"},
        {"ab\x80", true, false, "not valid UTF-8 (0x80 at offset 2)"},             // stray continuation
        {"\xc0\xaf", true, false, "not valid UTF-8 (0xc0 at offset 0)"},           // overlong '/'
        {"\xe0\x80\xaf", true, false, "not valid UTF-8 (0xe0 at offset 0)"},       // overlong
        {"\xed\xa0\x80", true, false, "not valid UTF-8 (0xed at offset 0)"},       // surrogate
        {"\xf4\x90\x80\x80", true, false, "not valid UTF-8 (0xf4 at offset 0)"},   // above U+10FFFF
        {"x\xc3\xa9\xe2\x82", true, false, "not valid UTF-8 (0xe2 at offset 3)"},  // cut short at the end
        {"x\xc3\xa9\xe2\x82", false, true, ""},                                    // ... its rest may follow
        {"x\xe2\x28\xa1", false, false, "not valid UTF-8 (0xe2 at offset 1)"},     // broken inside a part line
        {"x\r", false, true, ""},                                                  // may be the line's end
    };
    for (const auto &c : cases) {
        std::string error;
        EXPECT_EQ(host::CheckClientLine(c.line, c.complete, &error), c.ok) << c.named;
        if (!c.ok) {
            EXPECT_NE(error.find(c.named), std::string::npos) << error;
        }
    }
}

TEST_F(HostCoreTest, DeliversCheckedLinesAndNothingElse)
{
    struct Case {
        std::string line;
        bool delivered;
        size_t messages;  // reaching the library
        std::string err;
    } cases[] = {
        {"show log", true, 1, ""},
        {"   ", true, 0, ""},
        {"a b c d e f g h i", false, 0, "\"i\" is word 9"},
        {"show " + std::string(48, 'q'), false, 0, "word 2"},
        {".help", true, 0, ""},
        {".nosuch 1", false, 0, "unknown host command .nosuch"},
        {".cycles", false, 0, "usage: .cycles N"},
        {".cycles 0", false, 0, "usage: .cycles N"},
        {".cycles 2x", false, 0, "usage: .cycles N"},
        {".feature ONLYNAME", false, 0, "usage: .feature NAME VALUE"},
        {".feature F 99999999999", false, 0, "usage: .feature NAME VALUE"},
        {".trace everything", false, 0, "usage: .trace [clear]"},
    };
    for (const auto &c : cases) {
        g_messages.clear();
        Outcome o = Execute(c.line, RecordingEntry);
        EXPECT_EQ(o.delivered, c.delivered) << c.line;
        EXPECT_EQ(g_messages.size(), c.messages) << c.line;
        EXPECT_EQ(o.out.find("entry ran") != std::string::npos, c.messages == 1) << c.line;
        if (c.err.empty()) {
            EXPECT_EQ(o.err, "") << c.line;
        } else {
            EXPECT_NE(o.err.find(c.err), std::string::npos) << c.line << ": " << o.err;
        }
        EXPECT_EQ(o.quits, 0);
    }
}

TEST_F(HostCoreTest, QuitAndHelpStayInTheHost)
{
    Outcome quit = Execute(".quit", RecordingEntry);
    EXPECT_TRUE(quit.delivered);
    EXPECT_EQ(quit.quits, 1);
    Outcome help = Execute(".help", RecordingEntry);
    for (const char *name : {".help", ".quit", ".feature NAME VALUE", ".cycles N", ".lastword", ".trace"}) {
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
    }
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(HostCoreTest, RegisteredMetaGetsItsArgumentsAndUsage)
{
    std::vector<std::string> seen;
    host::RegisterMeta("probe", "A [B]", "test probe", [&seen](const std::vector<std::string> &args, std::string *out) {
        seen = args;
        *out = "probe says " + std::to_string(args.size());
        return args.size() == 2;
    });
    Outcome ok = Execute(".probe  one\ttwo", RecordingEntry);
    EXPECT_TRUE(ok.delivered);
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(ok.out, "probe says 2\n");
    Outcome bad = Execute(".probe", RecordingEntry);
    EXPECT_FALSE(bad.delivered);
    EXPECT_EQ(bad.err, "probe says 0\nusage: .probe A [B]\n");
    EXPECT_NE(Execute(".help", RecordingEntry).out.find(".probe A [B]"), std::string::npos);
}

TEST_F(HostCoreTest, PlatformMetasDriveTheControlApi)
{
    int32_t before = QZ_Feature_IsSupportByFeatureName("FT_HOST_PROBE");
    Outcome feature = Execute(".feature FT_HOST_PROBE -7", RecordingEntry);
    EXPECT_TRUE(feature.delivered);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(QZ_Feature_IsSupportByFeatureName("FT_HOST_PROBE"), -7);
    EXPECT_EQ(feature.out, "feature FT_HOST_PROBE = -7, event 4343 raised\n");

    (void)QZ_PROC_DBG_LastWord("wlan_probe", 12, 0xF7603002u, 3, 4, 0, 0);
    QZ_PROC_DBG_TraceN(141, "wlan_probe", 13, "probe %d", 5);
    EXPECT_EQ(Execute(".lastword", RecordingEntry).out,
              "wlan_probe:12 code=0xF7603002 values=3,4,0,0\n1 last-word record\n");
    EXPECT_EQ(Execute(".trace clear", RecordingEntry).out, "[141] wlan_probe:13 probe 5\n1 trace line\n");
    EXPECT_EQ(Execute(".trace", RecordingEntry).out, "0 trace lines\n");
    EXPECT_EQ(Execute(".cycles 3", RecordingEntry).out, "ran 3 timer cycles\n");
}

TEST_F(HostCoreTest, RealLibraryAnswersAndRefusedLinesNeverReachIt)
{
    ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
    ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);
    EXPECT_NE(Execute("show log", WLAN_CliMsgProc).out.find("wlancmd show log success!"), std::string::npos);
    EXPECT_NE(Execute("clear log", WLAN_CliMsgProc).out.find("wlancmd clear log success"), std::string::npos);
    // Sent unchecked, a 48-character word would make the dispatcher record a failure.
    qzsim::ClearRecords();
    Outcome refused = Execute("show " + std::string(48, 'w'), WLAN_CliMsgProc);
    EXPECT_FALSE(refused.delivered);
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(qzsim::LastWords().empty());
}

}  // namespace
