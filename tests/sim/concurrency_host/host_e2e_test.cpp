// The built wlan_host and wlancmd programs, end to end: command-line mode,
// refusals and start-up errors, serving wlancmd, a clean stop, and the host
// under load: twenty wlancmd processes at once, each with a hundred command
// lines whose answers name them, while other clients break the protocol or
// sit idle. Every client gets exactly its own answer.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>
#include <utility>

#include "host.h"
#include "qz_test.h"

namespace {

struct Finished {
    int status;  // exit status, or 128 + signal
    std::string out;
    std::string err;
    bool operator==(const Finished &) const = default;
};

// Each test has its own root and socket; a served host is stopped at the end.
class HostE2eTest : public qztest::PlatformTest {
  protected:
    void TearDown() override
    {
        if (server_ > 0) {
            kill(server_, SIGKILL);
            (void)qztest::WaitExit(server_);
        }
        PlatformTest::TearDown();
    }

    std::string Socket() const { return root() + "/host.sock"; }

    // Starts a program with its standard streams on these files.
    static pid_t Spawn(const std::string &program, const std::vector<std::string> &args, const std::string &in,
                       const std::string &out, const std::string &err)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = qztest::SpawnProgram(program, args, &actions);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // Runs a program to its end; stdin from the given text. Safe to call
    // from several threads at once.
    Finished Run(const std::string &program, const std::vector<std::string> &args, const std::string &input = "")
    {
        const std::string base = root() + "/run" + std::to_string(runs_++);
        const std::string in = base + ".in", out = base + ".out", err = base + ".err";
        std::ofstream(in) << input;
        Finished f{qztest::WaitExit(Spawn(program, args, in, out, err)), qztest::ReadFile(out), qztest::ReadFile(err)};
        for (const auto &path : {in, out, err}) unlink(path.c_str());
        return f;
    }

    Finished Wlancmd(std::vector<std::string> words)
    {
        words.insert(words.begin(), {"--socket", Socket()});
        return Run("wlancmd", words);
    }

    // What wlancmd does, from this process: its client code over the socket.
    Finished SendLine(const std::vector<std::string> &words)
    {
        std::string line, out, err, error;
        for (const std::string &w : words) line += (line.empty() ? "" : " ") + w;
        int status = host::SendLine(
            Socket(), line, [&out](const std::string &t) { out += t; }, [&err](const std::string &t) { err += t; },
            &error);
        return {status, out, err + error};
    }

    // wlan_host with this test's root and socket; its timer thread never
    // fires, so that the output is only the commands'.
    Finished RunHost(std::vector<std::string> args, const std::string &input = "")
    {
        args.insert(args.begin(), {"--root", root(), "--socket", Socket(), "--cycle-ms", "3600000"});
        return Run("wlan_host", args, input);
    }

    // Starts "wlan_host --serve" and returns once it accepts clients (it
    // says so on its standard error). Its timer thread runs every 50 ms and
    // prints to the host's own output, never to a client's.
    void Serve()
    {
        const std::string err = root() + "/serve.err";
        unlink(err.c_str());  // the last server's words must not pass for this one's
        server_ = Spawn("wlan_host", {"--root", root(), "--socket", Socket(), "--serve", "--cycle-ms", "50"},
                        "/dev/null", root() + "/serve.out", err);
        for (int i = 0; i < 6000 && qztest::ReadFile(err).find('\n') == std::string::npos; i++) usleep(10000);
        ASSERT_NE(qztest::ReadFile(err).find("serving on " + Socket()), std::string::npos) << qztest::ReadFile(err);
    }

    // Stops the served host with a signal (0: waits for it to stop by
    // itself); its exit status.
    int StopServer(int sig)
    {
        kill(server_, sig);
        return qztest::WaitExit(std::exchange(server_, -1));
    }

  private:
    pid_t server_ = -1;
    std::atomic<int> runs_{0};
};

// Command lines run in order after start-up; without them, and without a
// terminal, the host reads its input to the end.
TEST_F(HostE2eTest, RunsCommandLinesOrItsInputToTheEnd)
{
    Finished f = RunHost({"-c", "show log", "-c", "clear log", "-c", ".cycles 2"});
    EXPECT_EQ(f.status, 0) << f.err;
    EXPECT_EQ(f.err, "");
    const size_t show = f.out.find("wlancmd show log success!"), clear = f.out.find("wlancmd clear log success"),
                 cycles = f.out.find("ran 2 timer cycles");
    EXPECT_TRUE(show < clear && clear < cycles && cycles != std::string::npos) << f.out;
    EXPECT_FALSE(std::filesystem::exists(Socket()));  // removed at exit
    f = RunHost({}, "show apledlog\r\n\n.feature FT_PIPE 1\nnosuch command");
    EXPECT_EQ(f.status, 0) << f.err;
    EXPECT_EQ(f.out,
              "\r\nwlancmd show apledlog success!\r\n"
              "feature FT_PIPE = 1, event 4343 raised\n"
              "Can't find this command.\r\n\r\n");
}

// The refusals' texts are pinned by the host session and a profile's by the
// platform test; here the exit status and the one line on standard error that
// a bad start gives.
TEST_F(HostE2eTest, RefusesBadLinesAndBadStartsWithOneClearLine)
{
    std::ofstream(root() + "/afile") << "x";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-c", "show log 3 4 5 6 7 8 ninth"}, "\"ninth\" is word 9"},
        {{"--profile", root() + "/missing"}, "cannot read profile"},
        {{"--profile", root() + "/afile"}, "not valid JSON"},
        {{"--root", root() + "/afile/sub"}, "cannot use root"},
        {{"--library", root() + "/afile"}, "cannot load the library"},
        {{"--cycle-ms", "0"}, "--cycle-ms"},
        {{"--bogus"}, "unknown option --bogus"},
    };
    for (const auto &[args, err] : cases) {
        Finished f = RunHost(args);
        EXPECT_EQ(f.status, args[0] == "-c" ? 1 : 2) << err;
        EXPECT_NE(f.err.find(err), std::string::npos) << err << " in: " << f.err;
        EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
    }
}

// ---- Serving ------------------------------------------------------------------

// A raw client: connects to the host's socket, or -1.
int Connect(const std::string &socketPath)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    memcpy(addr.sun_path, socketPath.c_str(), std::min(socketPath.size(), sizeof(addr.sun_path) - 1));
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

// Reads the host's answer frames to the end of the connection, as
// "E:text|O:text|S:n|"; a bounded wait (generous for emulated builds) only
// keeps a broken host from hanging the test.
std::string ReadFrames(int fd)
{
    std::string raw;
    char buf[4096];
    pollfd p{fd, POLLIN, 0};
    for (ssize_t n; poll(&p, 1, 300000) == 1 && (n = recv(fd, buf, sizeof(buf), 0)) > 0;) {
        raw.append(buf, static_cast<size_t>(n));
    }
    std::string frames;
    for (size_t at = 0; at + 5 <= raw.size();) {
        size_t len = 0;
        for (int i = 1; i <= 4; i++) len = len << 8 | static_cast<unsigned char>(raw[at + i]);
        std::string payload = raw.substr(at + 5, len);
        if (raw[at] == host::kFrameStatus) payload = std::to_string(payload.empty() ? -1 : payload[0]);
        frames += std::string(1, raw[at]) + ":" + payload + "|";
        at += 5 + len;
    }
    return frames;
}

// Clients that break the protocol: what each sends, and the answer it must
// get ("" when it hangs up at once: the host must simply go on). Which bytes
// a line may hold is the host core test's.
std::vector<std::tuple<const char *, std::string, std::string>> MalformedClients()
{
    auto refused = [](const std::string &why) { return "E:refused: " + why + "; not sent\n|S:1|"; };
    const std::string tooLong = refused("line longer than 1023 bytes");
    const std::string control = "the line holds a control byte (";
    return {
        {"oversize, no newline", std::string(5000, 's'), tooLong},
        {"oversize by one byte", std::string(1024, 'o') + "\n", tooLong},
        {"NUL", std::string("show\0log\n", 9), refused(control + "0x00 at offset 4)")},
        {"control byte, no newline yet", "show\x02", refused(control + "0x02 at offset 4)")},
        {"well-formed UTF-8 reaches the library", "caf\xc3\xa9\n", "O:Can't find this command.\r\n\r\n|S:0|"},
        {"the longest line", std::string(1023, ' ') + "\n", "S:0|"},
        {"half a line, then gone", ".feature FT_HALF", ""},
        {"gone while its command runs", ".cycles 200\n", ""},
    };
}

// Each misbehaving client once; what went otherwise than expected.
std::string Misbehave(const std::string &socketPath)
{
    std::string failures;
    for (const auto &[what, data, answer] : MalformedClients()) {
        int fd = Connect(socketPath);
        (void)send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        std::string got = fd < 0 ? "cannot connect" : answer.empty() ? "" : ReadFrames(fd);
        if (got != answer) failures += std::string(what) + ": " + got + "\n";
        close(fd);
    }
    return failures;
}

// Serving under load is the load test's (below); here the socket's mode, a second host,
// the stop on a signal or a client's .quit, and wlancmd without a host.
TEST_F(HostE2eTest, ServesWlancmdAndStopsCleanlyOnSignalsOrQuit)
{
    // The socket is the user's alone whatever the umask.
    for (auto [sig, mask] : {std::pair<int, mode_t>{SIGTERM, 022}, std::pair<int, mode_t>{SIGINT, 002}}) {
        const mode_t before = umask(mask);
        Serve();
        umask(before);
        struct stat st {};
        ASSERT_EQ(stat(Socket().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << "umask " << mask;
        Finished second = RunHost({"-c", "show log"});
        EXPECT_EQ(second.status, 2);
        EXPECT_NE(second.err.find("is in use"), std::string::npos) << second.err;
        EXPECT_EQ(StopServer(sig), 0) << sig;
        EXPECT_FALSE(std::filesystem::exists(Socket()));
        Finished gone = Wlancmd({"show", "log"});
        EXPECT_EQ(gone.status, 2);
        EXPECT_NE(gone.err.find("is wlan_host running?"), std::string::npos);
    }
    // wlancmd's output and refusal reach its own streams; clients that break
    // the protocol get their answer; a client's .quit stops the host.
    Serve();
    EXPECT_EQ(Wlancmd({"show", "apledlog"}), (Finished{0, "\r\nwlancmd show apledlog success!\r\n", ""}));
    EXPECT_EQ(Wlancmd({"1", "2", "3", "4", "5", "6", "7", "8", "9"}),
              (Finished{1, "", "refused: 9 words, a command line has at most 8 (\"9\" is word 9); not sent\n"}));
    EXPECT_EQ(Misbehave(Socket()), "");
    EXPECT_EQ(SendLine({".quit"}).status, 0);
    EXPECT_EQ(StopServer(0), 0);  // signal 0: only waits
}

// ---- Under load ---------------------------------------------------------------

// One wlancmd line of client c whose answer names it, and that answer.
std::pair<std::vector<std::string>, Finished> LoadLine(int c, int i)
{
    const std::string id = std::to_string(c * 1000 + i);
    char mac[18];
    snprintf(mac, sizeof(mac), "02:00:00:00:%02x:%02x", static_cast<unsigned char>(c), static_cast<unsigned char>(i));
    switch (i % 4) {
        case 0:  // library command, output from the roaming module
            return {{"debug", "scn", "thresh", id}, {0, "roam rest packet threshold " + id + "\r\n", ""}};
        case 1:  // host command
            return {{".feature", "FT_LOAD_" + id, id},
                    {0, "feature FT_LOAD_" + id + " = " + id + ", event 4343 raised\n", ""}};
        case 2:  // library command, output from the CLI module
            return {{"debug", "ap", "bssid", mac, "staidx", id},
                    {0, "watch bssid " + std::string(mac) + " staidx " + id + "\r\n", ""}};
        default:  // refused by the host, on standard error
            return {{"a", "b", "c", "d", "e", "f", "g", "h", "w" + id},
                    {1, "", "refused: 9 words, a command line has at most 8 (\"w" + id + "\" is word 9); not sent\n"}};
    }
}

TEST_F(HostE2eTest, TwentyWlancmdClientsAtOnceEachGetOnlyTheirOwnOutput)
{
    // qemu-user: a program started from one of twenty emulated threads hangs
    // before its exec (seen with posix_spawn, serialised or not). There the
    // clients are wlancmd's own client code in threads of this process, and
    // fewer lines each: the host is the same served program.
    const bool emulated = qztest::Emulated();
    Serve();
    // Clients that connect and send nothing stay connected through the run.
    std::vector<int> idle;
    for (int k = 0; k < 4; k++) idle.push_back(Connect(Socket()));

    const int kClients = 20, kLines = emulated ? 10 : 100;
    std::vector<std::string> failures(kClients + 1);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; c++) {
        threads.emplace_back([&, c] {
            for (int i = 0; i < kLines; i++) {
                const auto &[words, want] = LoadLine(c, i);
                Finished f = emulated ? SendLine(words) : Wlancmd(words);
                if (!(f == want)) {
                    failures[c] += words[0] + " " + words.back() + ": status " + std::to_string(f.status) + " out \"" +
                                   f.out + "\" err \"" + f.err + "\"\n";
                }
            }
        });
    }
    // Misbehaving clients meanwhile, each checked for its own answer.
    threads.emplace_back([&] {
        for (int round = 0; round < 5; round++) failures[kClients] += Misbehave(Socket());
    });
    for (auto &t : threads) t.join();
    for (const auto &failure : failures) EXPECT_EQ(failure, "");

    // Alive and answering afterwards; the idle clients were dropped with a word.
    Finished after = Wlancmd({"show", "apledlog"});
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(after.out, "\r\nwlancmd show apledlog success!\r\n");
    for (int fd : idle) {
        ASSERT_GE(fd, 0);
        EXPECT_EQ(ReadFrames(fd), "E:refused: no complete line within 10 s; not sent\n|S:1|");
        close(fd);
    }
    EXPECT_EQ(StopServer(SIGTERM), 0);
}

}  // namespace
