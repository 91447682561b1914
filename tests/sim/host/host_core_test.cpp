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
