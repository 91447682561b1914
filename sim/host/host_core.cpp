// Line checks, CLI message packing, the meta-command table, requests and the
// dispatch thread.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "host.h"
#include "qz_wlan_shell.h"
#include "qz_wlan_version.h"

namespace host {
namespace {

struct Meta {
    std::string usage;
    std::string summary;
    MetaHandler handler;
};

std::map<std::string, Meta> &Metas()
{
    static std::map<std::string, Meta> metas;
    return metas;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> Words(const std::string &line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) i++;
        size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) i++;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string HelpText()
{
    std::string out =
        "Host commands (never sent to the library):\n"
        "  .help                    this list\n"
        "  .quit                    stop the host\n";
    for (const auto &[name, meta] : Metas()) {
        std::string synopsis = "." + name + (meta.usage.empty() ? "" : " " + meta.usage);
        out += "  " + synopsis;
        out += synopsis.size() < 23 ? std::string(23 - synopsis.size(), ' ') : std::string("\n" + std::string(27, ' '));
        out += "  " + meta.summary + "\n";
    }
    out += "Every other line is a wlancmd command line for the library (try ?).\n";
    return out;
}

bool RunMeta(const std::vector<std::string> &words, const std::function<void()> &onQuit, Request *request)
{
    std::string name = words[0].substr(1);
    if (name == "help") {
        std::string text = HelpText();
        request->Output(text.data(), text.size());
        return true;
    }
    if (name == "quit") {
        if (onQuit) onQuit();
        return true;
    }
    auto it = Metas().find(name);
    if (it == Metas().end()) {
        request->Error("unknown host command " + words[0] + " (.help lists them)\n");
        return false;
    }
    std::string out;
    bool ok = it->second.handler(std::vector<std::string>(words.begin() + 1, words.end()), &out);
    if (!out.empty() && out.back() != '\n') out += '\n';
    if (ok) {
        request->Output(out.data(), out.size());
        return true;
    }
    const std::string &usage = it->second.usage;
    request->Error(out + "usage: ." + name + (usage.empty() ? "" : " " + usage) + "\n");
    return false;
}

}  // namespace

bool SplitLine(const std::string &line, std::vector<std::string> *words, std::string *error)
{
    std::vector<std::string> all = Words(line);
    if (all.size() > kMaxWords) {
        *error = "refused: " + std::to_string(all.size()) + " words, a command line has at most " +
                 std::to_string(kMaxWords) + " (\"" + all[kMaxWords] + "\" is word " + std::to_string(kMaxWords + 1) +
                 "); not sent";
        return false;
    }
    for (size_t i = 0; i < all.size(); i++) {
        if (all[i].size() > kMaxWordLen) {
            *error = "refused: word " + std::to_string(i + 1) + " \"" + all[i] + "\" has " +
                     std::to_string(all[i].size()) + " characters, a word has at most " + std::to_string(kMaxWordLen) +
                     "; not sent";
            return false;
        }
    }
    *words = std::move(all);
    return true;
}

std::vector<unsigned char> PackCliMsg(const std::vector<std::string> &words)
{
    static_assert(kMaxWords == WLAN_DBG_KEYWORD_SLOTS && kMaxWordLen + 1 == WLAN_DBG_KEYWORD_LEN);
    std::vector<unsigned char> msg(WLAN_CLI_MSG_SIZE, 0);
    const uint32_t type = WLAN_CLI_MSG_TYPE_WLANCMD;
    const uint32_t count = static_cast<uint32_t>(std::min(words.size(), kMaxWords));
    memcpy(&msg[WLAN_CLI_MSG_TYPE_OFFSET], &type, sizeof(type));
    memcpy(&msg[WLAN_CLI_MSG_COUNT_OFFSET], &count, sizeof(count));
    for (uint32_t i = 0; i < count; i++) {
        memcpy(&msg[WLAN_CLI_MSG_WORDS_OFFSET + i * WLAN_DBG_KEYWORD_LEN], words[i].data(),
               std::min(words[i].size(), kMaxWordLen));
    }
    return msg;
}

std::vector<std::string> MetaNames()
{
    std::vector<std::string> names = {".help", ".quit"};
    for (const auto &entry : Metas()) names.push_back("." + entry.first);
    return names;
}

void RegisterMeta(const std::string &name, const std::string &usage, const std::string &summary, MetaHandler handler)
{
    Metas()[name] = Meta{usage, summary, std::move(handler)};
}

void Request::Push(bool isError, const char *text, size_t len)
{
    if (len == 0) return;
    std::lock_guard<std::mutex> lock(mu_);
    if (abandoned_) return;
    pieces_.push_back(Piece{isError, std::string(text, len)});
    cv_.notify_all();
}

void Request::Output(const char *text, size_t len)
{
    Push(false, text, len);
}

void Request::Error(const std::string &text)
{
    Push(true, text.data(), text.size());
}

void Request::Finish(bool delivered)
{
    std::lock_guard<std::mutex> lock(mu_);
    done_ = true;
    delivered_ = delivered;
    cv_.notify_all();
}

bool Request::Drain(const Sink &sink)
{
    std::unique_lock<std::mutex> lock(mu_);
    while (true) {
        cv_.wait(lock, [this] { return done_ || !pieces_.empty(); });
        while (!pieces_.empty()) {
            Piece piece = std::move(pieces_.front());
            pieces_.pop_front();
            lock.unlock();
            sink(piece.isError, piece.text);
            lock.lock();
        }
        if (done_ && pieces_.empty()) return delivered_;
    }
}

void Request::Abandon()
{
    std::lock_guard<std::mutex> lock(mu_);
    abandoned_ = true;
    pieces_.clear();
}

bool ExecuteLine(const std::string &line, CliEntry entry, const std::function<void()> &onQuit, Request *request)
{
    std::vector<std::string> words = Words(line);
    if (words.empty()) return true;
    if (words[0][0] == '.') return RunMeta(words, onQuit, request);
    std::string error;
    if (!SplitLine(line, &words, &error)) {
        request->Error(error + "\n");
        return false;
    }
    std::vector<unsigned char> msg = PackCliMsg(words);
    (void)entry(msg.data(), 0, 0, 0);
    return true;
}

void Dispatcher::Start()
{
    std::lock_guard<std::mutex> lock(mu_);
    stopping_ = false;
    thread_ = std::thread([this] { Loop(); });
}

void Dispatcher::Stop()
{
    std::deque<std::shared_ptr<Request>> dropped;
    {
        std::lock_guard<std::mutex> lock(mu_);
        stopping_ = true;
        dropped.swap(queue_);
    }
    cv_.notify_all();
    for (auto &request : dropped) {
        request->Error("host stopping; not sent\n");
        request->Finish(false);
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool Dispatcher::Submit(const std::shared_ptr<Request> &request)
{
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (!stopping_) {
            queue_.push_back(request);
            cv_.notify_all();
            return true;
        }
    }
    request->Error("host stopping; not sent\n");
    request->Finish(false);
    return false;
}

void Dispatcher::Loop()
{
    // Platform console output of the running request goes to its requester.
    Request *current = nullptr;
    const qzsim::ConsoleSink sink = [&current](const char *text, size_t len) {
        if (current != nullptr) current->Output(text, len);
    };
    qzsim::SetThreadConsole(&sink);
    while (true) {
        std::shared_ptr<Request> request;
        {
            std::unique_lock<std::mutex> lock(mu_);
            cv_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) break;
            request = std::move(queue_.front());
            queue_.pop_front();
        }
        current = request.get();
        bool delivered = ExecuteLine(request->line(), entry_, onQuit_, request.get());
        current = nullptr;
        request->Finish(delivered);
    }
    qzsim::SetThreadConsole(nullptr);
}

std::string ExecutableDir()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool InBuildTree()
{
    std::error_code ec;
    return std::filesystem::equivalent(ExecutableDir(), QZ_BUILD_BIN_DIR, ec);
}

std::string DefaultProfile()
{
    if (InBuildTree()) return QZ_SOURCE_PROFILE_DIR "/default.json";
    return ExecutableDir() + "/" QZ_INSTALLED_PROFILE_DIR "/default.json";
}

std::string DefaultLibrary()
{
    if (InBuildTree()) return ExecutableDir() + "/../lib/" QZ_WLAN_BASE_SONAME;
    return QZ_WLAN_BASE_SONAME;
}

// An installed host never writes under its prefix or the current directory:
// the sandbox is the user's, as XDG places per-user state.
std::string DefaultRoot()
{
    if (InBuildTree()) return ExecutableDir() + "/../sandbox";
    const char *state = getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/qz-wlan-sim/sandbox";
    const char *home = getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/qz-wlan-sim/sandbox";
    return "/tmp/qz-wlan-sim-" + std::to_string(getuid()) + "/sandbox";
}

std::string DefaultSocket(const std::string &root)
{
    return root + "/var/run/wlan_host.sock";
}

}  // namespace host
