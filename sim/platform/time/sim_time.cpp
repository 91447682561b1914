// Time of the configured zone (TZ database rules, daylight saving) and the
// timer service: one real thread for every started timer, or cycles run by
// hand from tests. A timer callback is never re-entered.
#include <sys/time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
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

// Every log record reads the clock, from any number of threads: neither the
// real nor the fixed clock takes a lock (a fixed time is one 64-bit atomic).
struct Clock {
    std::atomic<bool> fixed{false};
    std::atomic<int64_t> micros{0};  // since the epoch, while fixed
};

Clock &C()
{
    static Clock clock;
    return clock;
}

constexpr int64_t kMicrosPerSecond = 1000000;

// Bumped by every zone change, so that no thread keeps a broken-down time of
// the old zone.
std::atomic<uint32_t> g_zoneGeneration{0};

void Now(time_t *seconds, uint32_t *micros)
{
    if (C().fixed.load(std::memory_order_acquire)) {
        const int64_t t = C().micros.load(std::memory_order_acquire);
        *seconds = static_cast<time_t>(t / kMicrosPerSecond);
        *micros = static_cast<uint32_t>(t % kMicrosPerSecond);
        return;
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
    // The simulated clock's timer: the period, and how far the clock has
    // moved since the last cycle (only moving forward counts, as a timer
    // service's monotonic clock does not follow the wall clock's jumps).
    int64_t periodMicros = 3000 * 1000;
    int64_t sinceCycleMicros = 0;
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
    T().periodMicros = 3000 * 1000;
    T().sinceCycleMicros = 0;
}

// Moves the fixed clock forward by us and counts it towards the next cycle.
void MoveFixedClock(int64_t us)
{
    C().micros.fetch_add(us, std::memory_order_acq_rel);
    std::lock_guard<std::mutex> lock(T().mu);
    T().sinceCycleMicros += us;
}

// 0 when a cycle is already due (the period was shortened since the last one).
int64_t MicrosToNextCycle()
{
    std::lock_guard<std::mutex> lock(T().mu);
    return std::max<int64_t>(0, T().periodMicros - T().sinceCycleMicros);
}

// A cycle of the simulated clock's timer: due now, so the count starts again.
void RunDueCycle()
{
    {
        std::lock_guard<std::mutex> lock(T().mu);
        T().sinceCycleMicros = 0;
    }
    RunOneCycle();
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
    C().micros.store(static_cast<int64_t>(seconds) * kMicrosPerSecond + micros, std::memory_order_release);
    C().fixed.store(true, std::memory_order_release);
}

void UnfixClock()
{
    C().fixed.store(false, std::memory_order_release);
}

bool ClockFixed()
{
    return C().fixed.load(std::memory_order_acquire);
}

void ClockNow(time_t *seconds, uint32_t *micros)
{
    Now(seconds, micros);
}

bool ParseLocalTime(const std::string &text, time_t *seconds, uint32_t *micros, std::string *error)
{
    struct tm tm {};
    int used = 0;
    char dot = 0;
    const bool shaped = text.size() >= 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
                        text[16] == ':' &&
                        sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                               &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &used) == 6 &&
                        used == 19 && text.find_first_not_of("0123456789-: ", 0) >= 19;
    const std::string fraction = shaped && text.size() > 19 ? text.substr(20) : "";
    if (shaped && text.size() > 19) dot = text[19];
    if (!shaped || (text.size() > 19 && (dot != '.' || fraction.empty() || fraction.size() > 6 ||
                                         fraction.find_first_not_of("0123456789") != std::string::npos))) {
        *error = "\"" + text + "\" is not YYYY-MM-DD HH:MM:SS[.uuuuuu]";
        return false;
    }
    const struct tm asked = tm;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    const time_t t = mktime(&tm);
    // mktime normalises what it is given: a field out of range, or a time the
    // zone skips, comes back changed.
    if (t == static_cast<time_t>(-1) || tm.tm_year + 1900 != asked.tm_year || tm.tm_mon + 1 != asked.tm_mon ||
        tm.tm_mday != asked.tm_mday || tm.tm_hour != asked.tm_hour || tm.tm_min != asked.tm_min ||
        tm.tm_sec != asked.tm_sec || t < 0 || static_cast<long long>(t) > UINT32_MAX) {
        *error = "\"" + text + "\" is no local time of the zone (1970 to 2106)";
        return false;
    }
    *seconds = t;
    *micros = static_cast<uint32_t>(std::stoul((fraction + "000000").substr(0, 6)));
    return true;
}

std::string FormatLocalTime(time_t seconds, uint32_t micros)
{
    struct tm tm {};
    char text[80] = "";
    if (localtime_r(&seconds, &tm) == nullptr) return "?";
    const size_t n = strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &tm);
    char zone[16] = "";
    (void)strftime(zone, sizeof(zone), "%Z", &tm);
    snprintf(text + n, sizeof(text) - n, ".%06u %s", micros, zone);
    return text;
}

void SetTimerPeriod(unsigned periodMs)
{
    std::lock_guard<std::mutex> lock(T().mu);
    T().periodMicros = static_cast<int64_t>(std::max(periodMs, 1u)) * 1000;
}

uint64_t CyclesWithin(uint64_t micros)
{
    const int64_t toNext = MicrosToNextCycle();
    if (micros < static_cast<uint64_t>(toNext)) return 0;
    std::lock_guard<std::mutex> lock(T().mu);
    return 1 + (micros - static_cast<uint64_t>(toNext)) / static_cast<uint64_t>(T().periodMicros);
}

bool AdvanceClock(uint64_t micros)
{
    if (!ClockFixed()) return false;
    auto left = static_cast<int64_t>(micros);
    for (int64_t step; left >= (step = MicrosToNextCycle()); left -= step) {
        MoveFixedClock(step);
        RunDueCycle();
    }
    MoveFixedClock(left);
    return true;
}

void StepTimerCycles(int n)
{
    for (int i = 0; i < n; i++) {
        if (ClockFixed()) MoveFixedClock(MicrosToNextCycle());
        RunDueCycle();
    }
}

void RunTimerCycles(int n)
{
    for (int i = 0; i < n; i++) RunOneCycle();
}

void StartTimerThread(unsigned periodMs)
{
    StopTimerThread();
    SetTimerPeriod(periodMs);
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
