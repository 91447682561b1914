// The host's Unix socket: one command line per connection, the answer sent
// back in frames as the command produces it. Client input is checked before
// it reaches the dispatcher; a client that misbehaves or vanishes only loses
// its own connection.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "host.h"

namespace host {
namespace {

constexpr size_t kMaxConnections = 128;
constexpr int kLineTimeoutMs = 10000;   // a client has this long to send its line
constexpr int kLingerTimeoutMs = 1000;  // after refusing, read what it still sends

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

// Refuses a client: the error, then a status, then a short drain of its input
// so that closing does not reset the connection before it reads the answer.
void Refuse(int fd, int wakeFd, const std::string &message)
{
    if (!SendFrame(fd, kFrameError, message + "\n") || !SendFrame(fd, kFrameStatus, std::string(1, '\1'))) return;
    shutdown(fd, SHUT_WR);
    char sink[4096];
    while (WaitReadable(fd, wakeFd, kLingerTimeoutMs) && recv(fd, sink, sizeof(sink), 0) > 0) {
    }
}

}  // namespace

struct SocketServer::Connection {
    int fd = -1;
    bool done = false;  // guarded by SocketServer::mu_
    std::thread thread;
};

bool CheckClientLine(const std::string &line, std::string *error)
{
    for (size_t i = 0; i < line.size(); i++) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        bool trailingCr = c == '\r' && i + 1 == line.size();
        if ((c < 0x20 && c != '\t' && !trailingCr) || c == 0x7f) {
            char hex[8];
            snprintf(hex, sizeof(hex), "0x%02x", c);
            *error = std::string("refused: the line holds a control byte (") + hex + " at offset " + std::to_string(i) +
                     "); not sent";
            return false;
        }
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
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0 || listen(fd, 64) != 0) {
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

void SocketServer::AcceptLoop()
{
    while (WaitReadable(listenFd_, wakeFds_[0], -1)) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Reap(false);
        auto conn = std::make_shared<Connection>();
        conn->fd = fd;
        std::lock_guard<std::mutex> lock(mu_);
        if (connections_.size() >= kMaxConnections) {
            (void)(SendFrame(fd, kFrameError, "host busy: too many clients at once, try again\n") &&
                   SendFrame(fd, kFrameStatus, std::string(1, '\1')));
            close(fd);
            continue;
        }
        connections_.push_back(conn);
        conn->thread = std::thread([this, conn] { Serve(conn); });
    }
}

void SocketServer::Serve(const std::shared_ptr<Connection> &conn)
{
    const int fd = conn->fd;
    std::string line;
    std::string error;
    bool ended = false;  // a newline, or the end of input after some text
    bool bad = false;    // a control byte: refused without waiting for the rest
    char buf[512];
    while (line.find('\n') == std::string::npos && line.size() <= kMaxClientLine && !bad) {
        if (!WaitReadable(fd, wakeFds_[0], kLineTimeoutMs)) break;
        ssize_t n = recv(fd, buf, sizeof(buf), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ended = n == 0 && !line.empty();
            break;
        }
        line.append(buf, static_cast<size_t>(n));
        bad = !CheckClientLine(line.substr(0, line.find('\n')), &error);
    }
    size_t nl = line.find('\n');
    bool oversize = (nl == std::string::npos ? line.size() : nl + 1) > kMaxClientLine;
    if (nl != std::string::npos) {
        ended = true;
        line.resize(nl);  // anything after the first line is ignored
    }
    if (bad) {
        Refuse(fd, wakeFds_[0], error);
    } else if (oversize) {
        Refuse(fd, wakeFds_[0], "refused: line longer than " + std::to_string(kMaxClientLine - 1) + " bytes; not sent");
    } else if (!ended) {
        // Nothing usable arrived (timeout, disconnect, host stopping): drop the client.
    } else {
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
    std::lock_guard<std::mutex> lock(mu_);
    conn->done = true;
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
