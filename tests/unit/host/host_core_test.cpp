// The host's front end where a session cannot reach it: the CLI message it
// packs, byte by byte, and the check of raw client lines (control bytes and
// broken UTF-8 never get into a session file). What the host prints for the
// lines it runs or refuses is pinned by the golden host session.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host.h"
#include "qz_test.h"

namespace {

using HostCoreTest = qztest::PlatformTest;

// 476 bytes: type 149 at offset 36, the word count at 88, then eight slots of
// 48 bytes from offset 92, each word NUL-terminated inside its slot.
TEST(PackCliMsgTest, LaysOutTypeCountAndZeroPaddedSlots)
{
    const std::string w47(47, 'z');
    const std::vector<std::string> words = {"show", "log", w47, "x"};
    auto msg = host::PackCliMsg(words);
    std::string expected(476, '\0');  // both targets are little-endian
    memcpy(&expected[36], "\x95", 1);
    memcpy(&expected[88], "\x04", 1);
    for (size_t i = 0; i < words.size(); i++) memcpy(&expected[92 + 48 * i], words[i].data(), words[i].size());
    EXPECT_EQ(std::string(msg.begin(), msg.end()), expected);
}

TEST(CheckClientLineTest, RefusesControlBytesAndBrokenUtf8)
{
    struct Case {
        std::string line;
        bool complete;
        bool ok;
        std::string named;
    } cases[] = {
        {"show\tlog\r", true, true, ""},
        {"set ssid caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xb6 \xf4\x8f\xbf\xbf", true, true, ""},
        {std::string("show\0log", 8), true, false, "control byte (0x00 at offset 4)"},
        {"show\rlog", true, false, "control byte (0x0d at offset 4)"},
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

// Space, tab, CR and LF all separate words; a line of blanks has none.
TEST(SplitLineTest, BlanksSeparateWords)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {" \t\r\n", {}}, {"\tshow   log\r", {"show", "log"}}, {"show\nlog ", {"show", "log"}}};
    for (const auto &[line, want] : cases) {
        std::vector<std::string> words{"stale"};
        std::string error;
        EXPECT_TRUE(host::SplitLine(line, &words, &error)) << error;
        EXPECT_EQ(words, want);
    }
}

// Without the library in the process the stand-in WLAN service has no roam or
// topology writer: stations still join, move and leave, and nothing is written.
TEST_F(HostCoreTest, StationsChangeWithoutTheLibrary)
{
    for (const char *line : {".station add 02:11:22:33:44:55 2", ".station set 02:11:22:33:44:55 ssid 6",
                             ".station del 02:11:22:33:44:55"}) {
        host::Request request(line);
        EXPECT_TRUE(host::ExecuteLine(
            line, nullptr, [] {}, &request))
            << line;
    }
    EXPECT_EQ(qzsim::DescribeStations().find("02:11:22:33:44:55"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(qzsim::MapPath("/var/zarvo/topodebug.1.log")));
    EXPECT_FALSE(std::filesystem::exists(qzsim::MapPath("/proc/wifilog/debug/2G")));
}

// .fail arms only the calls the platform can fail, with a code in decimal
// (leading zeros too) or 0x hexadecimal; anything else is refused with the
// usage line and arms nothing.
TEST_F(HostCoreTest, FailTakesPlatformCallsAndDecimalOrHexCodes)
{
    auto run = [](const std::string &line, std::string *text) {
        host::Request request(line);
        bool ok = host::ExecuteLine(
            line, nullptr, [] {}, &request);
        request.Finish(ok);
        text->clear();
        request.Drain([text](bool, const std::string &piece) { *text += piece; });
        return ok;
    };
    const struct {
        const char *line;
        const char *call;
        long long code;
    } armed[] = {{".fail QZ_OS_Open 010", "QZ_OS_Open", 10},
                 {".fail QZ_OS_Open -007", "QZ_OS_Open", -7},
                 {".fail QZ_OS_Open 0x1F", "QZ_OS_Open", 31},
                 {".fail Zarvo.MasterShow 0XF7603002", "Zarvo.MasterShow", 0xF7603002}};
    std::string text;
    for (const auto &a : armed) {
        EXPECT_TRUE(run(a.line, &text)) << a.line << ": " << text;
        long long code = 0;
        EXPECT_TRUE(qzsim::FaultHit(a.call, &code)) << a.line;
        EXPECT_EQ(code, a.code) << a.line;
    }
    const char *refused[] = {".fail printf 1",
                             ".fail dlsym 1",
                             ".fail QZ_OS_Open 08x",
                             ".fail QZ_OS_Open 0x",
                             ".fail QZ_OS_Open -0x5",
                             ".fail QZ_OS_Open 1e3",
                             ".fail QZ_OS_Open 0x8000000000000000"};
    for (const char *line : refused) {
        EXPECT_FALSE(run(line, &text)) << line;
        EXPECT_NE(text.find("usage: .fail CALL CODE [SKIP [TIMES]] | alloc N | clear"), std::string::npos) << text;
    }
    EXPECT_FALSE(run(".fail printf 1", &text));
    EXPECT_EQ(text.rfind("no platform call printf\n", 0), 0u) << text;
    long long code = 0;
    EXPECT_FALSE(qzsim::FaultHit("QZ_OS_Open", &code));
}

// Tab offers the words that may follow the typed ones: command words entry by
// entry (an empty keyword matching any word), then each command's arguments.
TEST(CompleteTest, OffersTheWordsThatMayFollow)
{
    host::CompletionSources sources;
    sources.commands = {{"show", "log"},   {"show", "topo"}, {"clear", "log"},  {"debug", "scn"},
                        {"debug", "roam"}, {"-i"},           {"prod", "", "go"}};
    sources.metas = {".help", ".station", ".stations", ".feature", ".fail"};
    sources.features = {"FT_WLAN_MULTILINK", "QZ_FEATURE_ZQ"};
    sources.calls = {"QZ_OS_Open", "QZ_OS_Write"};
    sources.interfaces = {"wl0", "wl1", "wl0.1"};
    sources.stations = {"a0:b1:c2:d3:e4:f5", "3c:5a:b4:01:02:03"};
    using Words = std::vector<std::string>;
    const std::pair<std::string, Words> cases[] = {
        {"sh", {"show"}},
        {"show ", {"log", "topo"}},
        {"prod x ", {"go"}},
        {".st", {".station", ".stations"}},
        {".station ", {"add", "del", "set"}},
        {".station del 3c", {"3c:5a:b4:01:02:03"}},
        {".feature FT", {"FT_WLAN_MULTILINK"}},
        {".fail QZ_OS_W", {"QZ_OS_Write"}},
        {".fail ", {"QZ_OS_Open", "QZ_OS_Write", "alloc", "clear"}},
        {"-i wl0", {"wl0", "wl0.1"}},
        {"-i wl1 rssi a", {"a0:b1:c2:d3:e4:f5"}},
        {"debug scn addFriend 2 ", {"3c:5a:b4:01:02:03", "a0:b1:c2:d3:e4:f5"}},
        {"debug roam 11v ", {"clear", "disable"}},
        {"debug ap ", {}},  // not in this table: its words are not offered
        {"nosuch ", {}},
    };
    for (const auto &[line, want] : cases) EXPECT_EQ(host::Complete(line, line.size(), sources), want) << line;
    EXPECT_EQ(host::Complete("show lo xyz", 7, sources), Words{"log"});  // the word at the cursor
}

}  // namespace
