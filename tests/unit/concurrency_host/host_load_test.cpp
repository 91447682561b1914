// The host under load: twenty wlancmd processes at once, each with a hundred
// command lines whose answers name them, while other clients break the
// protocol or sit idle. Every client gets exactly its own answer.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <thread>

#include "host_e2e.h"

namespace {

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
    while (poll(&p, 1, 300000) == 1) {
        ssize_t n = recv(fd, buf, sizeof(buf), 0);
        if (n <= 0) break;
        raw.append(buf, static_cast<size_t>(n));
    }
    std::string frames;
    for (size_t at = 0; at + 5 <= raw.size();) {
        size_t len = (size_t{static_cast<unsigned char>(raw[at + 1])} << 24) |
                     (size_t{static_cast<unsigned char>(raw[at + 2])} << 16) |
                     (size_t{static_cast<unsigned char>(raw[at + 3])} << 8) | static_cast<unsigned char>(raw[at + 4]);
        std::string payload = raw.substr(at + 5, len);
        if (raw[at] == host::kFrameStatus) payload = std::to_string(payload.empty() ? -1 : payload[0]);
        frames += std::string(1, raw[at]) + ":" + payload + "|";
        at += 5 + len;
    }
    return frames;
}

// Clients that break the protocol, each with the answer it must get ("" when
// it hangs up at once: the host must simply go on).
struct Malformed {
    const char *what;
    std::string data;
    bool hangUp;
    std::string answer;
};

std::vector<Malformed> MalformedClients()
{
    const std::string tooLong = "E:refused: line longer than 1023 bytes; not sent\n|S:1|";
    return {
        {"oversize, no newline", std::string(5000, 's'), false, tooLong},
        {"oversize by one byte", std::string(host::kMaxClientLine, 'o') + "\n", false, tooLong},
        {"NUL", std::string("show\0log\n", 9), false,
         "E:refused: the line holds a control byte (0x00 at offset 4); not sent\n|S:1|"},
        {"escape sequence", "\x1b[Ashow log\n", false,
         "E:refused: the line holds a control byte (0x1b at offset 0); not sent\n|S:1|"},
        {"control byte, no newline yet", "show\x02", false,
         "E:refused: the line holds a control byte (0x02 at offset 4); not sent\n|S:1|"},
        {"invalid UTF-8", "show \xff\xfe log\n", false,
         "E:refused: the line is not valid UTF-8 (0xff at offset 5); not sent\n|S:1|"},
        {"UTF-8 cut short", "show \xe2\x82\n", false,
         "E:refused: the line is not valid UTF-8 (0xe2 at offset 5); not sent\n|S:1|"},
        {"well-formed UTF-8 reaches the library", "caf\xc3\xa9\n", false, "O:Can't find this command.\r\n\r\n|S:0|"},
        {"the longest line", std::string(host::kMaxClientLine - 1, ' ') + "\n", false, "S:0|"},
        {"half a line, then gone", ".feature FT_HALF", true, ""},
        {"gone while its command runs", ".cycles 200\n", true, ""},
    };
}

std::string RunMalformed(const std::string &socketPath, const Malformed &m)
{
    int fd = Connect(socketPath);
    if (fd < 0) return "cannot connect";
    (void)send(fd, m.data.data(), m.data.size(), MSG_NOSIGNAL);
    std::string answer = m.hangUp ? "" : ReadFrames(fd);
    close(fd);
    return answer;
}

// One wlancmd line of client c whose answer names it: the words, the exact
// standard output or error, and the exit status.
struct LoadLine {
    std::vector<std::string> words;
    std::string out;
    std::string err;
    int status;
};

LoadLine MakeLoadLine(int c, int i)
{
    const std::string id = std::to_string(c * 1000 + i);
    char mac[18];
    snprintf(mac, sizeof(mac), "02:00:00:00:%02x:%02x", c, i);
    switch (i % 4) {
        case 0:  // library command, output from the roaming module
            return {{"debug", "scn", "thresh", id}, "roam rest packet threshold " + id + "\r\n", "", 0};
        case 1:  // host command
            return {{".feature", "FT_LOAD_" + id, id},
                    "feature FT_LOAD_" + id + " = " + id + ", event 4343 raised\n",
                    "",
                    0};
        case 2:  // library command, output from the CLI module
            return {{"debug", "ap", "bssid", mac, "staidx", id},
                    "watch bssid " + std::string(mac) + " staidx " + id + "\r\n",
                    "",
                    0};
        default:  // refused by the host, on standard error
            return {{"a", "b", "c", "d", "e", "f", "g", "h", "w" + id},
                    "",
                    "refused: 9 words, a command line has at most 8 (\"w" + id + "\" is word 9); not sent\n",
                    1};
    }
}

TEST_F(HostE2eTest, TwentyWlancmdClientsAtOnceEachGetOnlyTheirOwnOutput)
{
    // qemu-user: a program started from one of twenty emulated threads hangs
    // before its exec (seen with posix_spawn, serialised or not). The host's
    // side is the same code on every target and is loaded natively here,
    // under ASan and under TSan.
    if (qztest::Emulated()) GTEST_SKIP() << "twenty spawning threads hang under qemu-user";
    Serve();
    // Clients that connect and send nothing stay connected through the run.
    std::vector<int> idle;
    for (int k = 0; k < 4; k++) idle.push_back(Connect(Socket()));

    constexpr int kClients = 20, kLines = 100;
    std::vector<std::string> failures(kClients + 1);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; c++) {
        threads.emplace_back([&, c] {
            for (int i = 0; i < kLines; i++) {
                LoadLine line = MakeLoadLine(c, i);
                std::vector<std::string> args{"--socket", Socket()};
                args.insert(args.end(), line.words.begin(), line.words.end());
                Finished f = Run("wlancmd", args);
                if (f.status != line.status || f.out != line.out || f.err != line.err) {
                    failures[c] += line.words[0] + " " + line.words.back() + ": status " + std::to_string(f.status) +
                                   " out \"" + f.out + "\" err \"" + f.err + "\"\n";
                }
            }
        });
    }
    // Misbehaving clients meanwhile, each checked for its own answer.
    threads.emplace_back([&] {
        const auto cases = MalformedClients();
        for (int round = 0; round < 5; round++) {
            for (const auto &m : cases) {
                std::string answer = RunMalformed(Socket(), m);
                if (answer != m.answer) failures[kClients] += std::string(m.what) + ": " + answer + "\n";
            }
        }
    });
    for (auto &t : threads) t.join();
    for (const auto &failure : failures) EXPECT_EQ(failure, "");

    // Alive and answering afterwards; the idle clients were dropped with a word.
    Finished after = Run("wlancmd", {"--socket", Socket(), "show", "apledlog"});
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
