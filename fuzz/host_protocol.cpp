// The host's socket protocol on arbitrary client bytes: a served host in this
// process (socket server, dispatch thread, the library behind it) gets the
// bytes from a client that then stops writing. Whatever arrives, the answer
// is a run of well-formed frames (kind O, E or S, 4-byte big-endian length,
// payload), at most one status frame and nothing after it, and the host goes
// on serving.
#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <string>
#include <thread>

#include "fuzz_support.h"
#include "host.h"
#include "qz_sim.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"

namespace {

// Names the property a refused answer broke, since a finding may only show
// after millions of inputs and not reproduce alone.
void Check(bool ok, const char *property)
{
    if (ok) return;
    fprintf(stderr, "fuzz_host_protocol: %s\n", property);
    abort();
}

std::string SocketPath()
{
    return qzsim::Root() + "/fuzz.sock";
}

host::SocketServer *g_server = nullptr;

void StartHost()
{
    static host::Dispatcher *dispatcher = nullptr;
    if (g_server != nullptr) return;
    qzfuzz::SetUpPlatform();
    (void)WLAN_CMD_LogInit();
    (void)WLAN_DBG_CmdInit();
    (void)WLAN_FT_Init();
    // Never stopped: the fuzzer's process ends with them.
    dispatcher = new host::Dispatcher(WLAN_CliMsgProc, [] {});
    dispatcher->Start();
    g_server = new host::SocketServer();
    std::string error;
    Check(g_server->Listen(SocketPath(), &error), "the server listens");
    g_server->Start(dispatcher);
}

int Connect()
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = SocketPath();
    memcpy(addr.sun_path, path.c_str(), path.size());
    Check(fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0, "a client connects");
    return fd;
}

// The host's whole answer, read until it closes. libFuzzer's timeout alarm
// interrupts the read now and then (its handler does not restart calls):
// that is not the end of the answer.
std::string ReadAll(int fd)
{
    std::string answer;
    char buf[4096];
    while (true) {
        const ssize_t n = read(fd, buf, sizeof(buf));
        if (n < 0 && errno == EINTR) continue;
        Check(n >= 0, "the answer can be read to its end");
        if (n == 0) return answer;
        answer.append(buf, static_cast<size_t>(n));
    }
}

void CheckFrames(const std::string &answer)
{
    size_t pos = 0;
    bool status = false;
    while (pos < answer.size()) {
        Check(!status, "nothing after the status frame");
        Check(answer.size() - pos >= 5, "a whole frame header");
        const char kind = answer[pos];
        const auto *len = reinterpret_cast<const unsigned char *>(answer.data() + pos + 1);
        const size_t n = (size_t{len[0]} << 24) | (size_t{len[1]} << 16) | (size_t{len[2]} << 8) | len[3];
        Check(kind == host::kFrameOutput || kind == host::kFrameError || kind == host::kFrameStatus,
              "a known frame kind");
        Check(answer.size() - pos - 5 >= n, "a whole frame body");
        if (kind == host::kFrameStatus) {
            Check(n == 1 && (answer[pos + 5] == 0 || answer[pos + 5] == 1), "a one-byte status of 0 or 1");
            status = true;
        }
        pos += 5 + n;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    StartHost();
    if (size > 2 * host::kMaxClientLine) return -1;
    int fd = Connect();
    // The host may close as soon as it refuses: a short or failed write is
    // the protocol working.
    while (write(fd, data, size) < 0 && errno == EINTR) {
    }
    shutdown(fd, SHUT_WR);
    CheckFrames(ReadAll(fd));
    close(fd);
    // The connection's thread may still be unwinding: joined before the
    // fuzzer counts this input's memory.
    while (g_server->JoinFinished() != 0) std::this_thread::yield();
    qzfuzz::DropRecords();
    return 0;
}
