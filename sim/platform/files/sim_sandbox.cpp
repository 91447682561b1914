// The sandbox: the root every absolute path of the platform is taken below,
// the paths a test maps elsewhere, the platform's own log files there, and
// the reset that puts every module back to its start.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "sim_internal.h"

namespace qzsim {
namespace {

struct Sandbox {
    std::mutex mu;
    std::string root;
    std::map<std::string, std::string> overrides;
};

Sandbox &B()
{
    static Sandbox sandbox;
    return sandbox;
}

std::vector<void (*)()> &ResetHooks()
{
    static std::vector<void (*)()> hooks;
    return hooks;
}

}  // namespace

void RegisterResetHook(void (*hook)())
{
    ResetHooks().push_back(hook);
}

void Reset()
{
    ClearFaults();
    ClearRecords();
    for (auto hook : ResetHooks()) {
        hook();
    }
}

bool SetRoot(const std::string &dir, std::string *error)
{
    // The directories a gateway always has; the library writes into them.
    static const char *const kStandardDirs[] = {"/var/log/qzsim", "/var/zarvo", "/proc/wifilog/debug", "/lib", "/tmp"};
    std::error_code ec;
    for (const char *sub : kStandardDirs) {
        std::filesystem::create_directories(dir + sub, ec);
        if (ec) {
            if (error) *error = "cannot use root " + dir + ": " + ec.message();
            return false;
        }
    }
    std::string abs = std::filesystem::absolute(dir, ec).lexically_normal().string();
    while (abs.size() > 1 && abs.back() == '/') abs.pop_back();
    std::lock_guard<std::mutex> lock(B().mu);
    B().root = abs;
    return true;
}

std::string Root()
{
    std::lock_guard<std::mutex> lock(B().mu);
    return B().root;
}

std::string MapPath(const char *path)
{
    if (path == nullptr) return std::string();
    std::lock_guard<std::mutex> lock(B().mu);
    auto it = B().overrides.find(path);
    if (it != B().overrides.end()) return it->second;
    if (path[0] != '/') return path;
    return B().root + path;
}

void MapOverride(const std::string &path, const std::string &target)
{
    std::lock_guard<std::mutex> lock(B().mu);
    if (target.empty()) {
        B().overrides.erase(path);
    } else {
        B().overrides[path] = target;
    }
}

void AppendPlatformLog(const char *name, const std::string &line)
{
    std::string root = Root();
    if (root.empty()) return;
    // A long-running host keeps the newest few MiB of each log: the older half
    // moves to "<name>.1".
    constexpr uintmax_t kMaxLogBytes = 4u << 20;
    const std::string path = root + "/var/log/qzsim/" + name;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && static_cast<uintmax_t>(st.st_size) > kMaxLogBytes) {
        (void)rename(path.c_str(), (path + ".1").c_str());
    }
    // Plain descriptors: timer cycles append several lines per station, and a
    // stream per line costs far more than the write itself.
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string text = line + '\n';
    (void)!write(fd, text.data(), text.size());
    close(fd);
}

}  // namespace qzsim
