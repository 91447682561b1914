// The host's front end: line checks, message packing, line execution and the
// meta-command table, with a recording CLI entry and with the real library;
// the station meta-commands, and the roam and topology lines they make the
// stand-in WLAN service write.
#include <cstring>
#include <string>
#include <vector>

#include "../roam_topo/roam_topo_fixture.h"
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

TEST_F(HostCoreTest, PlatformMetasDriveTheControlApiAndStayInTheHost)
{
    Outcome quit = Execute(".quit", RecordingEntry);
    EXPECT_TRUE(quit.delivered);
    EXPECT_EQ(quit.quits, 1);
    Outcome help = Execute(".help", RecordingEntry);
    for (const char *name : {".help", ".quit", ".feature NAME VALUE", ".cycles N", ".lastword", ".trace"}) {
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
    }
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
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(HostCoreTest, StationMetasChangeTheStationsOrAreRefused)
{
    const struct {
        const char *line;
        bool ok;
        const char *answer;    // contained in the output (ok) or the error
        const char *stations;  // .stations afterwards, first line
    } steps[] = {
        {".stations", true, "no associated station", ""},
        {".station add 02:11:22:33:44:55 4", true, "joined SSID 4 (0 bytes per cycle)",
         "02:11:22:33:44:55 ssid 4 rssi -50 txRate 0 rxRate 0 powerSave 0 bytesPerCycle 0 staId none txBytes 0"},
        {".station add 02:11:22:33:44:55 5", false, "refused: station 02:11:22:33:44:55 exists", "ssid 4 "},
        {".station add 02:11:22:33:44 5", false, "mac: required, a MAC address", "ssid 4 "},
        {".station add 02:11:22:33:44:66 x", false, "SSID \"x\" is not a number", "ssid 4 "},
        {".station set 02:11:22:33:44:55 staId 7", true, "staId = 7", "staId 7 "},
        {".station set 02:11:22:33:44:55 inactive true", true, "inactive = true", " inactive "},
        {".station set 02:11:22:33:44:55 rssi 3", false, "rssi: out of range", "rssi -50 "},
        {".station set 02:11:22:33:44:55 mac 02:11:22:33:44:56", false, "cannot change", "02:11:22:33:44:55 "},
        {".station set 02:11:22:33:44:55 staId none", true, "staId = none", "staId none "},
        {".station set 02:11:22:33:44:55 bytesPerCycle 12x", false, "must be an integer", "bytesPerCycle 0 "},
        {".station del 02:11:22:33:44:56", false, "no station 02:11:22:33:44:56", "02:11:22:33:44:55 "},
        {".station move 02:11:22:33:44:55", false, "usage: .station add MAC SSID", "02:11:22:33:44:55 "},
        {".station del 02:11:22:33:44:55", true, "02:11:22:33:44:55 left", ""},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.line);
        Outcome o = Execute(s.line, nullptr);
        EXPECT_EQ(o.delivered, s.ok);
        EXPECT_NE((s.ok ? o.out : o.err).find(s.answer), std::string::npos) << o.out << o.err;
        std::string listed = qzsim::DescribeStations();
        EXPECT_NE(listed.find(s.stations), std::string::npos) << listed;
        if (*s.stations == '\0') {
            EXPECT_EQ(listed, "");
        }
    }
}

using StationRoamTest = roamtest::SharedLibraryTest;

TEST_F(StationRoamTest, JoinMoveAndLeaveWriteRoamAndTopologyLines)
{
    const std::string mac = "a1:b2:c3:d4:e5:f6";
    for (const std::string &line :
         {" add " + mac + " 2", " set " + mac + " rssi -40" /* not a move */,
          " set " + mac + " ssid 2" /* the same SSID: not a move */, " set " + mac + " ssid 6"}) {
        ASSERT_TRUE(Execute(".station" + line, WLAN_CliMsgProc).delivered) << line;
    }
    EXPECT_FALSE(Execute(".station set " + mac + " ssid six", WLAN_CliMsgProc).delivered);  // refused: nothing written
    ASSERT_TRUE(Execute(".station del " + mac, WLAN_CliMsgProc).delivered);
    EXPECT_FALSE(Execute(".station del " + mac, WLAN_CliMsgProc).delivered);

    EXPECT_EQ(RoamFile(),
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 2.4G][AP:0][MOVE START] ssid 2 -> ssid 6\n"
              "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 5G][AP:0][MOVE END] ssid 2 -> ssid 6\n");
    std::string topology;  // the library keeps its file number for the life of the process
    for (uint32_t n = 1; n <= WLAN_TOPO_FILE_COUNT; n++) topology += TopoFile(n);
    EXPECT_EQ(topology,
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX joined ssid 2 (2.4G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX moved from ssid 2 (2.4G) to ssid 6 (5G)\n"
              "[2026-03-07 09:05:03] sta a1:b2:c3:d4:XX:XX left ssid 6 (5G)\n");
}

}  // namespace
