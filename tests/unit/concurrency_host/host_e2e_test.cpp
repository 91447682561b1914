// The built wlan_host and wlancmd programs, end to end: command-line mode,
// refusals and start-up errors, the socket with many clients at once and
// misbehaving ones, and a clean stop.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host.h"
#include "qz_test.h"

extern char **environ;

namespace {

const std::string kBin = std::string(QZ_BINARY_DIR) + "/bin/";

struct Finished {
    int status;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

int ExitStatus(pid_t pid)
{
    int raw = 0;
    if (waitpid(pid, &raw, 0) != pid) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

class HostE2eTest : public qztest::PlatformTest {
  protected:
    void TearDown() override
    {
        if (server_ > 0) {
            kill(server_, SIGKILL);
            (void)ExitStatus(server_);
        }
        if (serverErr_ >= 0) close(serverErr_);
        PlatformTest::TearDown();
    }

    std::string Socket() const { return root() + "/host.sock"; }

    // Runs a program to its end; stdin from the given text.
    Finished Run(const std::string &program, const std::vector<std::string> &args, const std::string &input = "")
    {
        const std::string in = root() + "/stdin", out = root() + "/stdout", err = root() + "/stderr";
        std::ofstream(in) << input;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = Spawn(program, args, &actions);
        posix_spawn_file_actions_destroy(&actions);
        int status = ExitStatus(pid);
        return Finished{status, qztest::ReadFile(out), qztest::ReadFile(err)};
    }

    // wlan_host with this test's root and socket; its timer thread never
    // fires, so that the output is only the commands'.
    Finished RunHost(std::vector<std::string> args, const std::string &input = "")
    {
        args.insert(args.begin(), {"--root", root(), "--socket", Socket(), "--cycle-ms", "3600000"});
        return Run("wlan_host", args, input);
    }

    // Starts "wlan_host --serve" and returns once it accepts clients (it
    // says so on its standard error).
    void Serve()
    {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (root() + "/serve.out").c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        server_ = Spawn("wlan_host", {"--root", root(), "--socket", Socket(), "--serve", "--cycle-ms", "50"}, &actions);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        serverErr_ = pipeFds[0];
        std::string said;
        char c;
        while (said.find('\n') == std::string::npos && read(serverErr_, &c, 1) == 1) said += c;
        ASSERT_NE(said.find("serving on " + Socket()), std::string::npos) << said;
    }

    // Stops the served host with a signal; its exit status.
    int StopServer(int sig)
    {
        kill(server_, sig);
        int status = ExitStatus(server_);
        server_ = -1;
        close(serverErr_);
        serverErr_ = -1;
        return status;
    }

    // One line through the socket, as wlancmd sends it.
    Finished Send(const std::string &line)
    {
        Finished f{0, "", ""};
        std::string error;
        f.status = host::SendLine(
            Socket(), line, [&f](const std::string &t) { f.out += t; }, [&f](const std::string &t) { f.err += t; },
            &error);
        f.err += error;
        return f;
    }

  private:
    pid_t Spawn(const std::string &program, const std::vector<std::string> &args,
                const posix_spawn_file_actions_t *actions)
    {
        std::string path = kBin + program;
        std::vector<char *> argv{path.data()};
        std::vector<std::string> copies(args);
        for (auto &a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, path.c_str(), actions, nullptr, argv.data(), environ), 0) << path;
        return pid;
    }

    pid_t server_ = -1;
    int serverErr_ = -1;
};

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

// Raw client connections that break the protocol.
void Misbehave(const std::string &socketPath, int kind)
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    memcpy(addr.sun_path, socketPath.c_str(), socketPath.size());
    if (connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) {
        close(fd);
        return;
    }
    static const char kGarbage[] = "\x00\xff\x01show\x02log";  // refused before any newline
    const std::string data = kind == 0   ? std::string(kGarbage, sizeof(kGarbage) - 1)
                             : kind == 1 ? std::string(5000, 's')
                                         : std::string("show log\n");
    (void)send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (kind < 2) {
        char buf[256];
        while (recv(fd, buf, sizeof(buf), 0) > 0) {
        }
    }
    close(fd);  // kind 2: gone before the answer
}

TEST_F(HostE2eTest, ManyClientsAtOnceEachGetOnlyTheirOwnOutput)
{
    Serve();
    constexpr int kClients = 20, kCommands = 20;
    std::atomic<int> wrong{0};
    std::vector<std::string> failures(kClients);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; c++) {
        threads.emplace_back([&, c] {
            for (int i = 0; i < kCommands; i++) {
                // Meta output names the client; library output has a known text.
                bool meta = i % 2 == 0;
                std::string name = "FT_C" + std::to_string(c) + "_" + std::to_string(i);
                Finished f = meta ? Send(".feature " + name + " " + std::to_string(i)) : Send("show apledlog");
                std::string expected = meta ? "feature " + name + " = " + std::to_string(i) + ", event 4343 raised\n"
                                            : "\r\nwlancmd show apledlog success!\r\n";
                if (f.status != 0 || f.out != expected || !f.err.empty()) {
                    wrong++;
                    failures[c] = f.out + "|" + f.err;
                }
            }
        });
    }
    for (int k = 0; k < 3 * kClients; k++) threads.emplace_back(Misbehave, Socket(), k % 3);
    for (auto &t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
    for (const auto &failure : failures) EXPECT_EQ(failure, "");

    // Refusals reach the misbehaving client itself, and the host still answers.
    Finished garbage = Send(std::string("show\x01log"));
    EXPECT_EQ(garbage.status, 1);
    EXPECT_NE(garbage.err.find("control byte (0x01 at offset 4)"), std::string::npos) << garbage.err;
    Finished oversize = Send(std::string(host::kMaxClientLine, 'o'));
    EXPECT_EQ(oversize.status, 1);
    EXPECT_NE(oversize.err.find("longer than 1023 bytes"), std::string::npos) << oversize.err;
    Finished longest = Send(std::string(host::kMaxClientLine - 1, ' '));
    EXPECT_EQ(longest.status, 0) << longest.err;
    EXPECT_EQ(Send("show apledlog").out, "\r\nwlancmd show apledlog success!\r\n");
    EXPECT_EQ(StopServer(SIGTERM), 0);
}

}  // namespace
