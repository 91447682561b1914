// The station meta-commands: every line is answered in the host, refusals
// name the problem and change nothing.
#include <string>

#include "host.h"
#include "qz_test.h"

namespace {

class MetaStationTest : public qztest::PlatformTest {};

TEST_F(MetaStationTest, LinesChangeTheStationsOrAreRefused)
{
    struct Step {
        const char *line;
        bool ok;
        const char *answer;    // contained in the output (ok) or the error
        const char *stations;  // .stations afterwards, first line
    };
    const Step steps[] = {
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
        host::Request request(s.line);
        bool ok = host::ExecuteLine(s.line, nullptr, {}, &request);
        request.Finish(ok);
        std::string out, err;
        (void)request.Drain([&](bool isError, const std::string &text) { (isError ? err : out) += text; });
        EXPECT_EQ(ok, s.ok);
        EXPECT_NE((s.ok ? out : err).find(s.answer), std::string::npos) << out << err;
        std::string listed = qzsim::DescribeStations();
        EXPECT_NE(listed.find(s.stations), std::string::npos) << listed;
        if (*s.stations == '\0') {
            EXPECT_EQ(listed, "");
        }
    }
}

}  // namespace
