// Fault injection (a platform call answers a chosen code), console sinks,
// and the records of traces, last words and logs that tests read back.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "sim_internal.h"

namespace qzsim {
namespace {

constexpr size_t kMaxRecords = 4096;  // a long-running host keeps the newest

struct Fault {
    long long code;
    int skip;
    int times;
};

struct State {
    std::mutex mu;
    std::map<std::string, Fault> faults;
    int allocFailIn = 0;
    bool capture = false;
    std::string captured;
    std::deque<LastWord> lastWords;
    std::deque<TraceLine> traces;
    std::deque<LogLine> wifiLog;
    std::deque<LogLine> opLog;
};

State &S()
{
    static State state;
    return state;
}

thread_local const ConsoleSink *t_sink = nullptr;

// Every platform call asks FaultHit; while nothing is armed (the normal case,
// and every benchmark) the answer costs one relaxed load and no lock.
std::atomic<bool> g_faultsArmed{false};

template <typename T>
void PushBounded(std::deque<T> &records, T record)
{
    if (records.size() >= kMaxRecords) {
        records.pop_front();
    }
    records.push_back(std::move(record));
}

template <typename T>
std::vector<T> Copy(const std::deque<T> &records)
{
    return std::vector<T>(records.begin(), records.end());
}

void DropCapturedConsole()
{
    std::lock_guard<std::mutex> lock(S().mu);
    S().captured.clear();
}
QZSIM_ON_RESET(DropCapturedConsole);

}  // namespace

bool FailCall(const std::string &name, long long code, int skip, int times)
{
    if (!IsFailableCall(name)) return false;
    std::lock_guard<std::mutex> lock(S().mu);
    S().faults[name] = Fault{code, skip, times};
    g_faultsArmed.store(true, std::memory_order_relaxed);
    return true;
}

void FailAlloc(int nth)
{
    std::lock_guard<std::mutex> lock(S().mu);
    S().allocFailIn = nth;
    if (nth > 0) g_faultsArmed.store(true, std::memory_order_relaxed);
}

void ClearFaults()
{
    std::lock_guard<std::mutex> lock(S().mu);
    S().faults.clear();
    S().allocFailIn = 0;
    g_faultsArmed.store(false, std::memory_order_relaxed);
}

bool FaultHit(const char *name, long long *code)
{
#ifndef NDEBUG
    RequireFailableCall(name);
#endif
    NoteCall(name);
    if (!g_faultsArmed.load(std::memory_order_relaxed)) return false;
    // Checked once something is armed (or calls are recorded, in NoteCall), so
    // a call site whose name the list lacks is caught by any fault test.
    RequireFailableCall(name);
    std::lock_guard<std::mutex> lock(S().mu);
    if (std::strcmp(name, "QZ_OS_MemMallocSet") == 0 && S().allocFailIn > 0) {
        if (--S().allocFailIn == 0) {
            *code = 0;
            return true;
        }
    }
    auto it = S().faults.find(name);
    if (it == S().faults.end()) return false;
    Fault &f = it->second;
    if (f.skip > 0) {
        f.skip--;
        return false;
    }
    if (f.times == 0) return false;
    if (f.times > 0) f.times--;
    *code = f.code;
    return true;
}

void SetThreadConsole(const ConsoleSink *sink)
{
    t_sink = sink;
}

void CaptureConsole(bool on)
{
    std::lock_guard<std::mutex> lock(S().mu);
    S().capture = on;
}

std::string TakeConsole()
{
    std::lock_guard<std::mutex> lock(S().mu);
    std::string out;
    out.swap(S().captured);
    return out;
}

void ConsoleWrite(const char *text, size_t len)
{
    if (t_sink != nullptr && *t_sink) {
        (*t_sink)(text, len);
        return;
    }
    std::lock_guard<std::mutex> lock(S().mu);
    if (S().capture) {
        S().captured.append(text, len);
    } else {
        fwrite(text, 1, len, stdout);
        fflush(stdout);
    }
}

std::string VFormat(const char *fmt, va_list ap)
{
    va_list copy;
    va_copy(copy, ap);
    int n = vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(out.data(), out.size(), fmt, ap);
    out.resize(static_cast<size_t>(n));
    return out;
}

void RecordLastWord(const LastWord &lw)
{
    std::lock_guard<std::mutex> lock(S().mu);
    PushBounded(S().lastWords, lw);
}

void RecordTrace(const TraceLine &t)
{
    std::lock_guard<std::mutex> lock(S().mu);
    PushBounded(S().traces, t);
}

void RecordWifiLog(const LogLine &l)
{
    std::lock_guard<std::mutex> lock(S().mu);
    PushBounded(S().wifiLog, l);
}

void RecordOpLog(const LogLine &l)
{
    std::lock_guard<std::mutex> lock(S().mu);
    PushBounded(S().opLog, l);
}

std::vector<LastWord> LastWords()
{
    std::lock_guard<std::mutex> lock(S().mu);
    return Copy(S().lastWords);
}

std::vector<TraceLine> Traces()
{
    std::lock_guard<std::mutex> lock(S().mu);
    return Copy(S().traces);
}

std::vector<LogLine> WifiLogLines()
{
    std::lock_guard<std::mutex> lock(S().mu);
    return Copy(S().wifiLog);
}

std::vector<LogLine> OperationLog()
{
    std::lock_guard<std::mutex> lock(S().mu);
    return Copy(S().opLog);
}

void ClearRecords()
{
    std::lock_guard<std::mutex> lock(S().mu);
    S().lastWords.clear();
    S().traces.clear();
    S().wifiLog.clear();
    S().opLog.clear();
}

}  // namespace qzsim
