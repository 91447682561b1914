// The platform calls a run makes, in order: every call's fault check notes its
// name while recording is on, so a test can replay a run and fail each call.
#include <atomic>
#include <mutex>

#include "sim_internal.h"

namespace qzsim {
namespace {

struct CallLog {
    std::mutex mu;
    std::vector<std::string> names;
};

CallLog &L()
{
    static CallLog log;
    return log;
}

// Read by every platform call: one relaxed load while nobody records.
std::atomic<bool> g_recording{false};

void StopRecording()
{
    RecordCalls(false);
}
QZSIM_ON_RESET(StopRecording);

}  // namespace

void RecordCalls(bool on)
{
    std::lock_guard<std::mutex> lock(L().mu);
    if (on) L().names.clear();
    g_recording.store(on, std::memory_order_relaxed);
}

std::vector<std::string> CallsMade()
{
    std::lock_guard<std::mutex> lock(L().mu);
    return L().names;
}

void NoteCall(const char *name)
{
    if (!g_recording.load(std::memory_order_relaxed)) return;
    std::lock_guard<std::mutex> lock(L().mu);
    L().names.emplace_back(name);
}

}  // namespace qzsim
