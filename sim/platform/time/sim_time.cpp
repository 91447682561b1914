// Time of the configured zone (TZ database rules, daylight saving) and the
// timer service: one real thread for every started timer, or cycles run by
// hand from tests. A timer callback is never re-entered.
#include <sys/time.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

constexpr char kDefaultZone[] = "Asia/Shanghai";

// Every log record reads the clock, from any number of threads: the real
// clock's path takes no lock (the fixed flag is an atomic; only a fixed time
// is read under the mutex).
struct Clock {
    std::mutex mu;
    std::atomic<bool> fixed{false};
    time_t seconds = 0;
    uint32_t micros = 0;
};

Clock &C()
{
    static Clock clock;
    return clock;
}

// Bumped by every zone change, so that no thread keeps a broken-down time of
// the old zone.
std::atomic<uint32_t> g_zoneGeneration{0};

void Now(time_t *seconds, uint32_t *micros)
{
    if (C().fixed.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> lock(C().mu);
        if (C().fixed.load(std::memory_order_relaxed)) {
            *seconds = C().seconds;
            *micros = C().micros;
            return;
        }
    }
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    *seconds = tv.tv_sec;
    *micros = static_cast<uint32_t>(tv.tv_usec);
}

// localtime_r takes the C library's process-wide zone lock: each thread breaks
// a second down once and keeps it.
bool LocalNow(struct tm *out)
{
    struct Cached {
        bool valid = false;
        time_t seconds = 0;
        uint32_t zone = 0;
        struct tm tm {};
    };
    thread_local Cached cached;
    time_t seconds;
    uint32_t micros;
    Now(&seconds, &micros);
    const uint32_t zone = g_zoneGeneration.load(std::memory_order_acquire);
    if (!cached.valid || cached.seconds != seconds || cached.zone != zone) {
        if (localtime_r(&seconds, &cached.tm) == nullptr) {
            cached.valid = false;
            return false;
        }
        cached = {true, seconds, zone, cached.tm};
    }
    *out = cached.tm;
    return true;
}

void ApplyZone(const std::string &zone)
{
    setenv("TZ", zone.c_str(), 1);
    tzset();
    g_zoneGeneration.fetch_add(1, std::memory_order_acq_rel);
}

bool ParseZone(const json *value, ProfileApply *apply, std::string *error)
{
    std::string zone = kDefaultZone;
    if (value != nullptr) {
        if (!value->is_string()) {
            *error = "timezone: must be a string";
            return false;
        }
        zone = value->get<std::string>();
        std::error_code ec;
        if (zone.empty() || zone.find("..") != std::string::npos ||
            !std::filesystem::is_regular_file("/usr/share/zoneinfo/" + zone, ec)) {
            *error = "timezone: unknown zone \"" + zone + "\"";
            return false;
        }
    }
    *apply = [zone] { ApplyZone(zone); };
    return true;
}
QZSIM_PROFILE_SECTION("timezone", ParseZone);

// ---- Timers -------------------------------------------------------------------

struct Timer {
    QZ_TIMER_CALLBACK callback = nullptr;
    bool started = false;
};

struct Timers {
    std::mutex mu;     // guards the table
    std::mutex runMu;  // one cycle at a time: callbacks never re-entered
    std::map<uint32_t, Timer> table;
    uint32_t nextHandle = 1;
    std::thread thread;
    std::condition_variable cv;
    bool stop = false;
};

Timers &T()
{
    static Timers timers;
    return timers;
}

std::vector<void (*)()> &CycleHooks()
{
    static std::vector<void (*)()> hooks;
    return hooks;
}

void RunOneCycle()
{
    std::lock_guard<std::mutex> run(T().runMu);
    for (auto hook : CycleHooks()) hook();
    std::vector<QZ_TIMER_CALLBACK> callbacks;
    {
        std::lock_guard<std::mutex> lock(T().mu);
        for (auto &entry : T().table) {
            if (entry.second.started && entry.second.callback) callbacks.push_back(entry.second.callback);
        }
    }
    for (auto cb : callbacks) cb();
}

void ResetTime()
{
    UnfixClock();
    StopTimerThread();
    std::lock_guard<std::mutex> lock(T().mu);
    T().table.clear();
}
QZSIM_ON_RESET(ResetTime);

}  // namespace

namespace qzsim {

// Registered at load time only (static registrars), before any cycle runs.
void RegisterCycleHook(void (*hook)())
{
    CycleHooks().push_back(hook);
}

void FixClock(time_t seconds, uint32_t micros)
{
    std::lock_guard<std::mutex> lock(C().mu);
    C().fixed = true;
    C().seconds = seconds;
    C().micros = micros;
}

void UnfixClock()
{
    std::lock_guard<std::mutex> lock(C().mu);
    C().fixed = false;
}

void RunTimerCycles(int n)
{
    for (int i = 0; i < n; i++) RunOneCycle();
}

void StartTimerThread(unsigned periodMs)
{
    StopTimerThread();
    T().stop = false;
    T().thread = std::thread([periodMs] {
        std::unique_lock<std::mutex> lock(T().mu);
        while (!T().stop) {
            if (T().cv.wait_for(lock, std::chrono::milliseconds(periodMs), [] { return T().stop; })) break;
            lock.unlock();
            RunOneCycle();
            lock.lock();
        }
    });
}

void StopTimerThread()
{
    {
        std::lock_guard<std::mutex> lock(T().mu);
        T().stop = true;
    }
    T().cv.notify_all();
    if (T().thread.joinable()) T().thread.join();
}

}  // namespace qzsim

extern "C" {

uint32_t QZ_OS_GetLocalTimeVal(QZ_OS_TIMEVAL_S *tv)
{
    uint32_t ret;
    if (Faulted("QZ_OS_GetLocalTimeVal", &ret)) return ret;
    if (tv == nullptr) return 1;
    time_t seconds;
    uint32_t micros;
    Now(&seconds, &micros);
    tv->uiSec = static_cast<uint32_t>(seconds);
    tv->uiUsec = micros;
    return 0;
}

uint32_t QZ_OS_GetLocalTime(struct tm *tm)
{
    uint32_t ret;
    if (Faulted("QZ_OS_GetLocalTime", &ret)) return ret;
    return (tm != nullptr && LocalNow(tm)) ? 0 : 1;
}

uint32_t QZ_TIMER_GetConfigDSTTime(struct tm *tm)
{
    uint32_t ret;
    if (Faulted("QZ_TIMER_GetConfigDSTTime", &ret)) return ret;
    return (tm != nullptr && LocalNow(tm)) ? 0 : 1;
}

uint32_t QZ_TIMER_TimeToDSTStr(const struct tm *tm, char *text, uint32_t size)
{
    uint32_t ret;
    if (Faulted("QZ_TIMER_TimeToDSTStr", &ret)) return ret;
    if (tm == nullptr || text == nullptr || size == 0) return 1;
    return strftime(text, size, "%Y-%m-%d %H:%M:%S", tm) > 0 ? 0 : 1;
}

uint32_t QZ_TIMER_CreateRealTimer(uint32_t *handle)
{
    uint32_t ret;
    if (Faulted("QZ_TIMER_CreateRealTimer", &ret)) return ret;
    if (handle == nullptr) return 1;
    std::lock_guard<std::mutex> lock(T().mu);
    *handle = T().nextHandle++;
    T().table[*handle] = Timer{};
    return 0;
}

uint32_t QZ_TIMER_StartRealTimerD(uint32_t handle, uint32_t, uint32_t, QZ_TIMER_CALLBACK callback, const char *)
{
    uint32_t ret;
    if (Faulted("QZ_TIMER_StartRealTimerD", &ret)) return ret;
    std::lock_guard<std::mutex> lock(T().mu);
    auto it = T().table.find(handle);
    if (it == T().table.end() || callback == nullptr) return 1;
    it->second.callback = callback;
    it->second.started = true;
    return 0;
}

uint32_t QZ_TIMER_ReleaseRealTimer(uint32_t handle)
{
    uint32_t ret;
    if (Faulted("QZ_TIMER_ReleaseRealTimer", &ret)) return ret;
    std::lock_guard<std::mutex> lock(T().mu);
    return T().table.erase(handle) == 1 ? 0 : 1;
}

}  // extern "C"
