// The host's Unix socket: one command line per connection, the answer sent
// back in frames as the command produces it. Client input is checked before
// it reaches the dispatcher; a client that misbehaves or vanishes only loses
// its own connection.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/time.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <system_error>

#include "host.h"

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxConnections = 128;
constexpr int kLineTimeoutMs = 10000;   // a client has this long to send its whole line
constexpr int kLingerTimeoutMs = 1000;  // after refusing, read what it still sends for this long
constexpr size_t kLingerBytes = 65536;  // but no more than this
constexpr int kSendTimeoutS = 60;       // a client that stops reading its answer is dropped
constexpr int kAcceptBackoffMs = 100;   // out of descriptors: let connections end first
constexpr int kStopGraceMs = 2000;      // a stop waits this long for answers still being sent
constexpr int kThreadWaitMs = 5000;     // a client waits this long for a thread to serve it
constexpr int kThreadRetryMs = 10;      // between two attempts to create one

bool MakeAddress(const std::string &path, sockaddr_un *addr, std::string *error)
{
    memset(addr, 0, sizeof(*addr));
    addr->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(addr->sun_path)) {
        *error = "socket path \"" + path + "\" must have 1 to " + std::to_string(sizeof(addr->sun_path) - 1) + " bytes";
        return false;
    }
    memcpy(addr->sun_path, path.data(), path.size());
    return true;
}

bool SendAll(int fd, const char *data, size_t len)
{
    while (len > 0) {
        ssize_t n = send(fd, data, len, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

bool SendFrame(int fd, char kind, const std::string &payload)
{
    unsigned char header[5] = {static_cast<unsigned char>(kind), static_cast<unsigned char>(payload.size() >> 24),
                               static_cast<unsigned char>(payload.size() >> 16),
                               static_cast<unsigned char>(payload.size() >> 8),
                               static_cast<unsigned char>(payload.size())};
    return SendAll(fd, reinterpret_cast<const char *>(header), sizeof(header)) &&
           SendAll(fd, payload.data(), payload.size());
}

bool RecvAll(int fd, char *data, size_t len)
{
    while (len > 0) {
        ssize_t n = recv(fd, data, len, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

// Milliseconds left until deadline, at least 0.
int MsUntil(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for fd to become readable; false on timeout or a wake-up of the stop pipe.
bool WaitReadable(int fd, int wakeFd, int timeoutMs)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    while (true) {
        int n = poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        return n > 0 && fds[1].revents == 0 && fds[0].revents != 0;
    }
}

// Waits timeoutMs on the stop pipe alone; true when the host is stopping.
bool WaitWoken(int wakeFd, int timeoutMs)
{
    pollfd p{wakeFd, POLLIN, 0};
    while (true) {
        int n = poll(&p, 1, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        return n > 0;
    }
}

// Refuses a client: the error, then a status, then a short, bounded drain of
// its input so that closing does not reset the connection before it reads
// the answer. A client that keeps sending is cut off all the same.
void Refuse(int fd, int wakeFd, const std::string &message)
{
    if (!SendFrame(fd, kFrameError, message + "\n") || !SendFrame(fd, kFrameStatus, std::string(1, '\1'))) return;
    shutdown(fd, SHUT_WR);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kLingerTimeoutMs);
    char sink[4096];
    ssize_t n = 0;
    for (size_t drained = 0; drained < kLingerBytes; drained += static_cast<size_t>(n)) {
        if (!WaitReadable(fd, wakeFd, MsUntil(deadline)) || (n = recv(fd, sink, sizeof(sink), 0)) <= 0) break;
    }
}

}  // namespace

struct SocketServer::Connection {
    int fd = -1;
    // Set without the lock, so that a finished connection stops counting as
    // served at once even while others hold it.
    std::atomic<bool> done{false};
    std::thread thread;
};

namespace {

// Length of the well-formed UTF-8 sequence at s[i] (no overlong forms, no
// surrogates, nothing above U+10FFFF); 0 when it is ill-formed, and -1 when
// it is cut short by the end of the text.
int Utf8SequenceAt(const std::string &s, size_t i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
    if (len <= 1) return len;
    // The second byte's range depends on the first; the others are 80..bf.
    unsigned char lo = c == 0xe0 ? 0xa0 : c == 0xf0 ? 0x90 : 0x80;
    unsigned char hi = c == 0xed ? 0x9f : c == 0xf4 ? 0x8f : 0xbf;
    for (int k = 1; k < len; k++) {
        if (i + k >= s.size()) return -1;
        unsigned char b = static_cast<unsigned char>(s[i + k]);
        if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xbf)) return 0;
    }
    return len;
}

}  // namespace

bool CheckClientLine(const std::string &line, bool complete, std::string *error)
{
    auto refuse = [&](const char *what, size_t i) {
        char hex[8];
        snprintf(hex, sizeof(hex), "0x%02x", static_cast<unsigned char>(line[i]));
        *error =
            std::string("refused: the line ") + what + " (" + hex + " at offset " + std::to_string(i) + "); not sent";
        return false;
    };
    for (size_t i = 0; i < line.size();) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        bool trailingCr = c == '\r' && i + 1 == line.size();
        if ((c < 0x20 && c != '\t' && !trailingCr) || c == 0x7f) return refuse("holds a control byte", i);
        int len = Utf8SequenceAt(line, i);
        if (len < 0 && !complete) return true;  // the rest of the character is still to come
        if (len <= 0) return refuse("is not valid UTF-8", i);
        i += static_cast<size_t>(len);
    }
    return true;
}

bool SocketServer::Listen(const std::string &path, std::string *error)
{
    sockaddr_un addr;
    if (!MakeAddress(path, &addr, error)) return false;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            *error = "socket path " + path + " exists and is not a socket";
            return false;
        }
        int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool live = probe >= 0 && connect(probe, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0;
        if (probe >= 0) close(probe);
        if (live) {
            *error = "socket " + path + " is in use (another wlan_host is running)";
            return false;
        }
        unlink(path.c_str());  // left behind by a host that did not stop cleanly
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // Whoever can write the socket drives the shell: it is the user's alone
    // (0600) whatever the umask, from the moment it exists. The host binds
    // before it starts any thread, so the umask is changed for no one else.
    const mode_t umaskBefore = umask(0177);
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0;
    umask(umaskBefore);
    if (!bound || listen(fd, 64) != 0) {
        *error = "cannot listen on " + path + ": " + strerror(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    if (pipe2(wakeFds_, O_CLOEXEC) != 0) {
        *error = std::string("cannot create a pipe: ") + strerror(errno);
        close(fd);
        unlink(path.c_str());
        return false;
    }
    listenFd_ = fd;
    path_ = path;
    return true;
}

void SocketServer::Start(Dispatcher *dispatcher)
{
    dispatcher_ = dispatcher;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

void SocketServer::Stop()
{
    if (listenFd_ < 0) return;
    {
        std::lock_guard<std::mutex> lock(mu_);
        stopping_ = true;
    }
    char byte = 0;
    (void)!write(wakeFds_[1], &byte, 1);
    if (acceptThread_.joinable()) acceptThread_.join();
    {
        // Connections waiting for input see the stop pipe, and those with an
        // answer send its end; one blocked sending to a client that does not
        // read is cut off after a grace period.
        std::unique_lock<std::mutex> lock(mu_);
        auto allDone = [this] {
            return std::all_of(connections_.begin(), connections_.end(), [](const auto &c) { return c->done.load(); });
        };
        if (!doneCv_.wait_for(lock, std::chrono::milliseconds(kStopGraceMs), allDone)) {
            for (auto &conn : connections_) {
                if (!conn->done) shutdown(conn->fd, SHUT_RDWR);
            }
        }
    }
    Reap(true);
    close(listenFd_);
    close(wakeFds_[0]);
    close(wakeFds_[1]);
    listenFd_ = wakeFds_[0] = wakeFds_[1] = -1;
    unlink(path_.c_str());
}

// Joins finished connections (all of them when stopping).
void SocketServer::Reap(bool all)
{
    std::vector<std::shared_ptr<Connection>> finished;
    {
        std::lock_guard<std::mutex> lock(mu_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (all || (*it)->done) {
                finished.push_back(*it);
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto &conn : finished) {
        if (conn->thread.joinable()) conn->thread.join();
        close(conn->fd);
    }
}

size_t SocketServer::JoinFinished()
{
    Reap(false);
    std::lock_guard<std::mutex> lock(mu_);
    return connections_.size();
}

void SocketServer::AcceptLoop()
{
    while (WaitReadable(listenFd_, wakeFds_[0], -1)) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            // Out of descriptors or memory the listening socket stays readable:
            // wait for connections to end instead of spinning.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                Reap(false);
                (void)WaitWoken(wakeFds_[0], kAcceptBackoffMs);
            }
            continue;
        }
        Reap(false);
        timeval sendTimeout{kSendTimeoutS, 0};
        (void)setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof(sendTimeout));
        auto conn = std::make_shared<Connection>();
        conn->fd = fd;
        std::string why = StartServing(conn);
        if (!why.empty()) {
            (void)(SendFrame(fd, kFrameError, "host busy: " + why + ", try again\n") &&
                   SendFrame(fd, kFrameStatus, std::string(1, '\1')));
            close(fd);
        }
    }
}

// Gives the connection its own thread; "" when it has one, else why not.
// Thread creation fails for a moment when the system is short of tasks (a
// process or cgroup limit), so it is retried while other connections end.
std::string SocketServer::StartServing(const std::shared_ptr<Connection> &conn)
{
    {
        std::lock_guard<std::mutex> lock(mu_);
        // Finished connections not yet joined do not count: only clients still served.
        size_t active = static_cast<size_t>(
            std::count_if(connections_.begin(), connections_.end(), [](const auto &c) { return !c->done; }));
        if (active >= kMaxConnections) return "too many clients at once";
    }
    // Created outside the lock: creation can be slow (much slower under a
    // thread checker), and finishing connections take the lock to notify.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kThreadWaitMs);
    while (true) {
        try {
            conn->thread = std::thread([this, conn] { Serve(conn); });
            break;
        } catch (const std::system_error &) {
            Reap(false);  // no thread to be had right now: let others end first
            if (MsUntil(deadline) == 0 || WaitWoken(wakeFds_[0], kThreadRetryMs)) return "no thread for the client";
        }
    }
    std::lock_guard<std::mutex> lock(mu_);
    connections_.push_back(conn);  // only this thread adds, and Stop joins it first
    return "";
}

void SocketServer::Serve(const std::shared_ptr<Connection> &conn)
{
    const int fd = conn->fd;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kLineTimeoutMs);
    std::string line;
    std::string error;
    size_t nl = std::string::npos;
    bool bad = false;       // a control byte or broken UTF-8: refused without waiting for the rest
    bool timedOut = false;  // the whole line did not arrive in time
    char buf[512];
    // A line of kMaxClientLine bytes without its newline is already too long.
    while (nl == std::string::npos && line.size() < kMaxClientLine && !bad) {
        if (!WaitReadable(fd, wakeFds_[0], MsUntil(deadline))) {
            timedOut = MsUntil(deadline) == 0;
            break;
        }
        ssize_t n = recv(fd, buf, sizeof(buf), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // gone before its line ended
        line.append(buf, static_cast<size_t>(n));
        nl = line.find('\n');
        bad = !CheckClientLine(line.substr(0, std::min(nl, kMaxClientLine)), nl != std::string::npos, &error);
    }
    bool oversize = nl == std::string::npos ? line.size() >= kMaxClientLine : nl + 1 > kMaxClientLine;
    if (bad) {
        Refuse(fd, wakeFds_[0], error);
    } else if (oversize) {
        Refuse(fd, wakeFds_[0], "refused: line longer than " + std::to_string(kMaxClientLine - 1) + " bytes; not sent");
    } else if (timedOut) {
        Refuse(fd, wakeFds_[0],
               "refused: no complete line within " + std::to_string(kLineTimeoutMs / 1000) + " s; not sent");
    } else if (nl == std::string::npos) {
        // Disconnected before the newline, or the host is stopping: nothing is run.
    } else {
        line.resize(nl);  // anything after the first line is ignored
        auto request = std::make_shared<Request>(line);
        dispatcher_->Submit(request);
        bool alive = true;
        bool delivered = request->Drain([&](bool isError, const std::string &text) {
            alive = alive && SendFrame(fd, isError ? kFrameError : kFrameOutput, text);
            if (!alive) request->Abandon();  // client gone: the command still runs
        });
        if (alive) (void)SendFrame(fd, kFrameStatus, std::string(1, delivered ? '\0' : '\1'));
    }
    shutdown(fd, SHUT_RDWR);  // the client sees the end now; Reap closes the descriptor
    conn->done = true;
    std::lock_guard<std::mutex> lock(mu_);  // a stop waiting for it then sees the flag
    doneCv_.notify_all();
}

int SendLine(const std::string &socketPath, const std::string &line,
             const std::function<void(const std::string &)> &out, const std::function<void(const std::string &)> &err,
             std::string *error)
{
    sockaddr_un addr;
    if (!MakeAddress(socketPath, &addr, error)) return 2;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) {
        *error = "cannot connect to " + socketPath + ": " + strerror(errno) + " (is wlan_host running?)";
        if (fd >= 0) close(fd);
        return 2;
    }
    int result = 2;
    if (!SendAll(fd, line.data(), line.size()) || !SendAll(fd, "\n", 1)) {
        *error = std::string("cannot send the line: ") + strerror(errno);
    } else {
        *error = "the host closed the connection before the command finished";
        unsigned char header[5];
        while (RecvAll(fd, reinterpret_cast<char *>(header), sizeof(header))) {
            size_t len = (size_t{header[1]} << 24) | (size_t{header[2]} << 16) | (size_t{header[3]} << 8) | header[4];
            std::string payload(len, '\0');
            if (!RecvAll(fd, payload.data(), len)) break;
            if (header[0] == kFrameStatus) {
                result = (len == 1 && payload[0] == '\0') ? 0 : 1;
                error->clear();
                break;
            }
            (header[0] == kFrameError ? err : out)(payload);
        }
    }
    close(fd);
    return result;
}

}  // namespace host
