// The record file and its archive: header, line format, line counting,
// packing through the real shell tools, and every failure of the write step.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qz_air_test.h"

namespace airtest {
namespace {

constexpr char kHeader[] = WLAN_AIR_HEADER;
constexpr time_t kCycleTime = 1764900000;  // 2025-12-05 02:00:00 UTC, 10:00:00 in the default zone
constexpr char kTimeText[] = "2025-12-05 10:00:00";
constexpr char kMac[] = "02:00:00:00:00:0a";

class RecordFileTest : public AirTest {
  protected:
    void SetUp() override
    {
        AirTest::SetUp();
        qzsim::FixClock(kCycleTime, 0);
        Init();
    }

    // The lines of a text; every line must end in CR LF.
    static std::vector<std::string> Lines(const std::string &text)
    {
        std::vector<std::string> lines;
        for (size_t pos = 0, end; pos < text.size(); pos = end + 2) {
            end = text.find("\r\n", pos);
            EXPECT_NE(end, std::string::npos) << "unterminated line at " << pos;
            if (end == std::string::npos) break;
            lines.push_back(text.substr(pos, end - pos));
        }
        return lines;
    }

    // A record file of a process that already wrote `lines` lines.
    void PrepareFullFile(uint32_t lines)
    {
        const std::string line = "xx:xx:xx:00:00:01 1      2025-12-05 09:00:00  -40  100M/100M     off\r\n";
        std::string block;
        for (int i = 0; i < 1000; i++) block += line;
        std::ofstream out(RecordFile(), std::ios::binary | std::ios::trunc);
        out << kHeader;
        for (uint32_t i = 0; i < lines / 1000; i++) out << block;
        for (uint32_t i = 0; i < lines % 1000; i++) out << line;
        wlan_air::isExist = 1;
        wlan_air::lineNum = lines;
    }

    // Runs a shell command in the root; its standard output.
    std::string Shell(const std::string &cmd) const
    {
        FILE *p = popen(("cd '" + root() + "' && " + cmd).c_str(), "r");
        EXPECT_NE(p, nullptr);
        std::string out;
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof(buf), p)) > 0;) out.append(buf, n);
        pclose(p);
        return out;
    }

    void AddKnownStation(const std::string &mac, const std::string &staId)
    {
        AddStation(mac, 0, 0);
        if (!staId.empty()) SetKey(mac, "staId", staId);
    }

    // Station kMac known, in two anchor slots: two lines per write step.
    void TwoAnchors()
    {
        AddKnownStation(kMac, "1");
        PutAnchor(0, kMac, -40, 1, 1, 0);
        PutAnchor(1, kMac, -40, 1, 1, 0);
    }

    static void RemoveStation()
    {
        std::string error;
        ASSERT_TRUE(qzsim::RemoveStation(kMac, &error)) << error;
    }
};

TEST_F(RecordFileTest, FirstCycleCreatesTheFileWithTheHeaderOnly)
{
    std::ofstream(RecordFile()) << "old line\r\n";  // what an earlier run of the process left is discarded
    EXPECT_EQ(WLAN_AirInterfaceTimerProc(), 0u);
    EXPECT_EQ(qztest::ReadFile(RecordFile()), kHeader);
    EXPECT_EQ(std::string(kHeader).size(), 76u);
    EXPECT_EQ(wlan_air::isExist, 1u);
    EXPECT_EQ(wlan_air::lineNum, 0u);
    // Later cycles append and never write the header again.
    EXPECT_EQ(WLAN_AirInterfaceTimerProc(), 0u);
    EXPECT_EQ(qztest::ReadFile(RecordFile()), kHeader);
}

TEST_F(RecordFileTest, RecordLinesHaveTheFixedFormat)
{
    const struct {
        const char *mac;
        const char *staId;  // empty: the driver knows none
        int32_t rssi;
        uint32_t txRate, rxRate;
        uint8_t powerSave;
        const char *line;  // without CR LF; empty: no line written
    } cases[] = {
        {"00:11:22:33:44:55", "7", -45, 866, 300, 1, "xx:xx:xx:33:44:55 7      T  -45  866M/300M     on"},
        {"a0:b1:c2:D3:E4:F5", "123456", -100, 0, 0, 2, "xx:xx:xx:D3:E4:F5 123456 T  -100 0M/0M         off"},
        {"02:00:00:00:00:01", "4294967295", 5, 1, 2, 0, "xx:xx:xx:00:00:01 4294967295 T  5    1M/2M         off"},
        {"02:00:00:00:00:02", "", -1, 99999, 99, 1, "xx:xx:xx:00:00:02 0      T  -1   99999M/99M    on"},
        {"02:00:00:00:00:03", "3", -60, 99999, 9999, 1, "xx:xx:xx:00:00:03 3      T  -60  99999M/9999M  on"},
        // Rate text of 13 characters: no room for the terminator, no line.
        {"02:00:00:00:00:04", "4", -60, 99999, 99999, 1, ""},
        {"02:00:00:00:00:05", "5", -60, 4000000000u, 4000000000u, 1, ""},
    };
    std::string expected = kHeader;
    uint32_t i = 0;
    size_t lost = 0;
    for (const auto &c : cases) {
        AddKnownStation(c.mac, c.staId);
        PutAnchor(i++, c.mac, c.rssi, c.txRate, c.rxRate, c.powerSave);
        std::string line = c.line;
        lost += line.empty();
        if (!line.empty()) expected += line.replace(line.find(" T "), 3, std::string(" ") + kTimeText + " ") + "\r\n";
    }
    EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
    EXPECT_EQ(qztest::ReadFile(RecordFile()), expected);
    EXPECT_EQ(wlan_air::lineNum, std::size(cases) - lost);
    // The station without an identifier is reported, and written with 0.
    EXPECT_EQ(CountTraces("staid[0] ret1[1]"), 1u);
    EXPECT_EQ(CountTraces("write fail"), lost);
}

TEST_F(RecordFileTest, PackingInTheMiddleOfACycle)
{
    // One line below the limit and three anchors: the first line fills the
    // file, the second packs it first.
    PrepareFullFile(WLAN_AIR_FILE_LINES - 1);
    const char *macs[] = {"02:00:00:00:00:0a", "02:00:00:00:00:0b", "02:00:00:00:00:0c"};
    for (uint32_t i = 0; i < 3; i++) {
        AddKnownStation(macs[i], std::to_string(10 + i));
        PutAnchor(i, macs[i], -40, 1, 1, 0);
    }
    EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
    EXPECT_EQ(wlan_air::lineNum, 2u);
    auto lines = Lines(qztest::ReadFile(RecordFile()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0] + "\r\n", kHeader);
    EXPECT_EQ(lines[1].substr(0, 17), "xx:xx:xx:00:00:0b");
    EXPECT_EQ(lines[2].substr(0, 17), "xx:xx:xx:00:00:0c");

    // A real gzip tar of the record file: the header and exactly 50000
    // record lines, the last one the cycle's first.
    EXPECT_EQ(Shell("tar -tzf var/wifi_airInterface.tar.gz"), "var/wifi_airInterface\n");
    auto archived = Lines(Shell("tar -xzOf var/wifi_airInterface.tar.gz var/wifi_airInterface"));
    ASSERT_EQ(archived.size(), 1u + WLAN_AIR_FILE_LINES);
    EXPECT_EQ(archived[0] + "\r\n", kHeader);
    EXPECT_EQ(archived.back().substr(0, 17), "xx:xx:xx:00:00:0a");
    EXPECT_EQ(CountTraces("pack success"), 1u);
}

TEST_F(RecordFileTest, PackingFailures)
{
    // The shell runs rm, tar, sed in this order.
    const struct {
        CallFault fault;
        uint32_t result;
        size_t lines;  // in the record file afterwards, header included
    } cases[] = {
        {{"rm fails: packing goes on", "SSP_ExecShellCmd", 0, 1}, 0, 3},
        {{"tar fails", "SSP_ExecShellCmd", 1, 2}, 1, 1 + WLAN_AIR_FILE_LINES},
        {{"sed fails", "SSP_ExecShellCmd", 2, 4}, 1, 1 + WLAN_AIR_FILE_LINES},
        {{"command cannot be formatted", "QZ_OS_CmdFormat", 1, -1}, 1, 1 + WLAN_AIR_FILE_LINES},
        // The cycle's first open passes, the one after packing fails.
        {{"file cannot be reopened", "QZ_OS_Open", 1, -1}, 1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault.name);
        std::error_code ec;
        std::filesystem::remove(ArchiveFile(), ec);
        PrepareFullFile(WLAN_AIR_FILE_LINES);
        TwoAnchors();
        c.fault.Inject();
        EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), c.result);
        EXPECT_EQ(wlan_air::lineNum, c.lines - 1);
        auto text = qztest::ReadFile(RecordFile());
        EXPECT_EQ(Lines(text).size(), c.lines);
        if (c.lines == 1) {
            EXPECT_EQ(text, kHeader);
        }
        if (c.lines > 3) {
            // Nothing written; the next cycle with an anchor packs again.
            EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
            EXPECT_EQ(wlan_air::lineNum, 2u);
            EXPECT_EQ(Lines(qztest::ReadFile(RecordFile())).size(), 3u);
        }
        EXPECT_TRUE(std::filesystem::exists(ArchiveFile()));
        RemoveStation();
        qzsim::ClearFaults();
    }
}

TEST_F(RecordFileTest, FileFailures)
{
    const struct {
        CallFault fault;
        uint8_t isExist;  // before the cycle
        uint32_t result;
        uint8_t isExistAfter;
        uint32_t lineNumAfter;
        const char *content;  // record file afterwards: "-" absent, "" as before, "1" one line added
    } cases[] = {
        {{"create fails", "QZ_OS_Creat", 0, -1}, 0, 1, 0, 5, "-"},
        {{"header cannot be written", "QZ_OS_Write", 0, -1}, 0, 1, 0, 5, ""},
        {{"open fails", "QZ_OS_Open", 0, -1}, 1, 1, 1, 5, ""},
        {{"one line cannot be written", "QZ_OS_Write", 0, -1}, 1, 0, 1, 6, "1"},
    };
    const std::string header = kHeader;
    const std::string one = "xx:xx:xx:00:00:0a 1      " + std::string(kTimeText) + "  -40  1M/1M         off\r\n";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault.name);
        std::error_code ec;
        std::filesystem::remove(RecordFile(), ec);
        if (c.isExist) std::ofstream(RecordFile(), std::ios::binary) << header;
        wlan_air::isExist = c.isExist;
        wlan_air::lineNum = 5;
        TwoAnchors();
        c.fault.Inject();
        EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), c.result);
        EXPECT_EQ(wlan_air::isExist, c.isExistAfter);
        EXPECT_EQ(wlan_air::lineNum, c.lineNumAfter);
        const std::string content = c.content;
        if (content == "-") {
            EXPECT_FALSE(std::filesystem::exists(RecordFile()));
        } else {
            EXPECT_EQ(qztest::ReadFile(RecordFile()), content.empty() ? (c.isExist ? header : "") : header + one);
        }
        // The next cycle recovers.
        EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
        EXPECT_EQ(wlan_air::isExist, 1u);
        RemoveStation();
    }
}

TEST_F(RecordFileTest, RemovedRecordFileStopsTheLogUntilRestart)
{
    AddKnownStation(kMac, "1");
    PutAnchor(0, kMac, -40, 1, 1, 0);
    EXPECT_EQ(WLAN_AirInterfaceTimerProc(), 0u);
    ASSERT_TRUE(std::filesystem::remove(RecordFile()));
    qzsim::ClearRecords();
    for (int i = 0; i < 3; i++) EXPECT_EQ(WLAN_AirInterfaceTimerProc(), 1u);
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    EXPECT_EQ(CountLastWords(kUnit, 1), 6u);  // at the open and in the write step, each cycle
}

}  // namespace
}  // namespace airtest
