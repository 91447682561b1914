// The host's front end where a session cannot reach it: the check of raw
// client lines (control bytes and broken UTF-8 never get into a session file)
// and stations without the library. The CLI message the host packs is pinned
// by every session (the dispatch session sends a word of 47 characters); what
// the host prints for the lines it runs or refuses, and how blanks split
// words, by the host session (a final CR by the end-to-end test's input).
#include <filesystem>
#include <string>

#include "host.h"
#include "qz_test.h"

namespace {

using HostCoreTest = qztest::PlatformTest;

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

// A session that cannot run as written stops before its first line, naming
// the line and, for a misused loop, the usage; the counter is formatted as
// printf does.
TEST(ReadSessionTest, RefusesMalformedLoopsAndFormatsTheCounter)
{
    const struct {
        const char *text;
        const char *error;  // "" when the session is read
    } cases[] = {
        {".repeat 0 show\n", ":1: \"0\" is not a count from 1 to 1000000\nusage: .repeat N [from START] [LINE]"},
        {".repeat 1000001 show\n", ":1: \"1000001\" is not a count"},
        {".repeat 2 from x show\n", ":1: from needs a number"},
        {"# a\n.repeat 2\nshow\n", ":2: .repeat has no .end\nusage:"},
        {".end\n", ":1: .end without a .repeat block"},
        {".repeat 2\n.end\n", ":2: the .repeat block has no lines"},
        {".repeat 2\n.repeat 2 show\n.end\n", ":2: a .repeat block cannot hold another .repeat"},
        {".repeat 2 .repeat 2 show\n", ":1: a .repeat cannot repeat another .repeat"},
        {".expect-fail .repeat 2 show\n", ":1: .expect-fail marks a line inside the .repeat"},
        {".repeat 2 show {i:q}\n", ":1: the counter {i:q} is not"},
        {".repeat 2 from 254 show {i:02X} {i:x} {i} {id}\n.repeat 3\n.expect-fail show\n.end\n", ""},
    };
    const std::string path = std::filesystem::temp_directory_path() / "qz_read_session_test.session";
    for (const auto &c : cases) {
        FILE *f = fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        fputs(c.text, f);
        fclose(f);
        std::vector<host::SessionStep> steps;
        std::string error;
        EXPECT_EQ(host::ReadSession(path, &steps, &error), c.error[0] == '\0') << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << error;
    }
    EXPECT_EQ(host::ExpandCounter("show {i:02X} {i:x} {i} {id}", 255), "show FF ff 255 {id}");
    std::filesystem::remove(path);
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
    const char kUsage[] = "usage: .fail CALL CODE [SKIP [TIMES]] | alloc N | clear\n";
    const struct {
        const char *line;
        long long code;       // what QZ_OS_Open then answers
        const char *refused;  // the text that starts the refusal; null: armed
    } cases[] = {
        {".fail QZ_OS_Open 010", 10, nullptr},  {".fail QZ_OS_Open -007", -7, nullptr},
        {".fail QZ_OS_Open 0X1f", 31, nullptr}, {".fail printf 1", 0, "no platform call printf\nusage"},
        {".fail QZ_OS_Open 08x", 0, kUsage},    {".fail QZ_OS_Open 0x", 0, kUsage},
        {".fail QZ_OS_Open -0x5", 0, kUsage},   {".fail QZ_OS_Open 0x8000000000000000", 0, kUsage},
    };
    for (const auto &c : cases) {
        host::Request request(c.line);
        const bool ok = host::ExecuteLine(
            c.line, nullptr, [] {}, &request);
        request.Finish(ok);
        std::string text;
        request.Drain([&text](bool, const std::string &piece) { text += piece; });
        long long code = 0;
        EXPECT_EQ(ok, c.refused == nullptr) << c.line;
        EXPECT_EQ(qzsim::FaultHit("QZ_OS_Open", &code), c.refused == nullptr) << c.line;
        if (c.refused == nullptr) {
            EXPECT_EQ(code, c.code) << c.line;
        } else {
            EXPECT_EQ(text.rfind(c.refused, 0), 0u) << c.line << ": " << text;
        }
    }
}

// Tab offers the words that may follow the typed ones: command words entry by
// entry (an empty keyword matching any word), then the arguments of a command
// the words reach. The prompt test covers the sources themselves.
TEST(CompleteTest, OffersTheWordsThatMayFollow)
{
    host::CompletionSources sources;
    sources.commands = {{"show", "log"}, {"show", "topo"}, {"debug", "scn"}, {"prod", "", "go"}};
    sources.metas = {".station", ".stations", ".fail"};
    sources.calls = {"QZ_OS_Open"};
    sources.stations = {"a0:b1:c2:d3:e4:f5", "3c:5a:b4:01:02:03"};
    using Words = std::vector<std::string>;
    const std::pair<std::string, Words> cases[] = {
        {"show ", {"log", "topo"}},
        {"prod x ", {"go"}},
        {".st", {".station", ".stations"}},
        {".fail ", {"QZ_OS_Open", "alloc", "clear"}},
        {"debug scn addFriend 2 ", {"3c:5a:b4:01:02:03", "a0:b1:c2:d3:e4:f5"}},
        {"debug roam ", {}},  // not registered here: its words are not offered
    };
    for (const auto &[line, want] : cases) EXPECT_EQ(host::Complete(line, line.size(), sources), want) << line;
    EXPECT_EQ(host::Complete("show lo xyz", 7, sources), Words{"log"});  // the word at the cursor
}

}  // namespace
