// The built wlan_host and wlancmd programs, end to end: command-line mode,
// refusals and start-up errors, serving wlancmd, and a clean stop.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "host_e2e.h"

namespace {

TEST_F(HostE2eTest, CommandLinesRunInOrderAfterStartUp)
{
    Finished f = RunHost({"-c", "show log", "-c", "clear log", "-c", ".cycles 2"});
    EXPECT_EQ(f.status, 0) << f.err;
    size_t show = f.out.find("wlancmd show log success!");
    size_t clear = f.out.find("wlancmd clear log success");
    ASSERT_NE(show, std::string::npos) << f.out;
    ASSERT_NE(clear, std::string::npos) << f.out;
    EXPECT_LT(show, clear);
    EXPECT_NE(f.out.find("ran 2 timer cycles"), std::string::npos);
    EXPECT_EQ(f.err, "");
    EXPECT_FALSE(std::filesystem::exists(Socket()));  // removed at exit
}

TEST_F(HostE2eTest, RefusesBadLinesAndBadStartsWithOneClearLine)
{
    const std::string w48(48, 'x');
    std::ofstream(root() + "/unknown.json") << R"({"device": {"region": 2, "colour": "red"}})";
    std::ofstream(root() + "/type.json") << R"({"wlan": {"radios": "two"}})";
    std::ofstream(root() + "/range.json") << R"({"stations": [{"mac": "a0:b1:c2:d3:e4:f5", "rssi": 5}]})";
    std::ofstream(root() + "/fitap.json") << R"({"fitApMode": -1})";
    std::ofstream(root() + "/broken.json") << R"({"wlan": )";
    std::ofstream(root() + "/afile") << "x";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;  // a text of the one stderr line
    } cases[] = {
        {{"-c", "show log 3 4 5 6 7 8 ninth"}, 1, "\"ninth\" is word 9"},
        {{"-c", "show " + w48, "-c", "show apledlog"}, 1, "word 2 \"" + w48 + "\" has 48 characters"},
        {{"--profile", root() + "/unknown.json"}, 2, "device.colour: unknown key"},
        {{"--profile", root() + "/type.json"}, 2, "wlan.radios: must be an integer"},
        {{"--profile", root() + "/range.json"}, 2, "stations[0].rssi: out of range"},
        {{"--profile", root() + "/fitap.json"}, 2, "fitApMode: out of range"},
        {{"--profile", root() + "/broken.json"}, 2, "not valid JSON"},
        {{"--profile", root() + "/missing.json"}, 2, "cannot read profile"},
        {{"--root", root() + "/afile/sub"}, 2, "cannot use root"},
        {{"--library", root() + "/afile"}, 2, "cannot load the library"},
        {{"--cycle-ms", "0"}, 2, "--cycle-ms"},
        {{"--bogus"}, 2, "unknown option --bogus"},
    };
    for (const auto &c : cases) {
        Finished f = RunHost(c.args);
        EXPECT_EQ(f.status, c.status) << c.err;
        EXPECT_NE(f.err.find(c.err), std::string::npos) << c.err << " in: " << f.err;
        if (c.status == 2) {
            EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
        }
    }
}

TEST_F(HostE2eTest, ReadsLinesToEndOfInputWhenNotATerminal)
{
    Finished f = RunHost({}, "show apledlog\n\n.feature FT_PIPE 1\nnosuch command");
    EXPECT_EQ(f.status, 0) << f.err;
    EXPECT_EQ(f.out,
              "\r\nwlancmd show apledlog success!\r\n"
              "feature FT_PIPE = 1, event 4343 raised\n"
              "Can't find this command.\r\n\r\n");
}

TEST_F(HostE2eTest, ServesWlancmdAndStopsCleanlyOnSignals)
{
    for (int sig : {SIGTERM, SIGINT}) {
        Serve();
        Finished f = Run("wlancmd", {"--socket", Socket(), "show", "apledlog"});
        EXPECT_EQ(f.status, 0) << f.err;
        EXPECT_EQ(f.out, "\r\nwlancmd show apledlog success!\r\n");
        Finished refused = Run("wlancmd", {"--socket", Socket(), "a", "b", "c", "d", "e", "f", "g", "h", "i"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("\"i\" is word 9"), std::string::npos) << refused.err;
        // A second host cannot take the socket while this one runs.
        Finished second = RunHost({"-c", "show log"});
        EXPECT_EQ(second.status, 2);
        EXPECT_NE(second.err.find("is in use"), std::string::npos) << second.err;
        EXPECT_EQ(StopServer(sig), 0) << sig;
        EXPECT_FALSE(std::filesystem::exists(Socket()));
        Finished gone = Run("wlancmd", {"--socket", Socket(), "show", "log"});
        EXPECT_EQ(gone.status, 2);
        EXPECT_NE(gone.err.find("is wlan_host running?"), std::string::npos);
    }
}

TEST_F(HostE2eTest, QuitFromAClientStopsTheHost)
{
    Serve();
    EXPECT_EQ(Send(".quit").status, 0);
    EXPECT_EQ(StopServer(0), 0);  // signal 0: only waits
}

}  // namespace
