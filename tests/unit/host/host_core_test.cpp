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

}  // namespace
