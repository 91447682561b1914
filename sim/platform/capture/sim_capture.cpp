// The C programs' view of the simulated platform, over the C++ interface.
#include "qz_sim_capture.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

#include "sim_internal.h"

namespace {

// Asked by every strcpy_s: while nothing is refused the answer is one relaxed load.
std::atomic<bool> g_refusing{false};
std::mutex g_refusedMu;
std::string g_refused;

void ForgetRefusal()
{
    QZSIM_RefuseCopyOf(nullptr);
}
QZSIM_ON_RESET(ForgetRefusal);

}  // namespace

namespace qzsim {

bool CopyRefused(const char *src)
{
    if (!g_refusing.load(std::memory_order_relaxed) || src == nullptr) return false;
    std::lock_guard<std::mutex> lock(g_refusedMu);
    return g_refused == src;
}

}  // namespace qzsim

extern "C" {

int QZSIM_SetRoot(const char *dir)
{
    return dir != nullptr && qzsim::SetRoot(dir, nullptr) ? 0 : -1;
}

void QZSIM_Reset(void)
{
    qzsim::Reset();
}

void QZSIM_CaptureConsole(int on)
{
    qzsim::CaptureConsole(on != 0);
}

size_t QZSIM_TakeConsole(char *buf, size_t size)
{
    std::string text = qzsim::TakeConsole();
    if (buf != nullptr && size > 0) {
        size_t n = text.size() < size - 1 ? text.size() : size - 1;
        memcpy(buf, text.data(), n);
        buf[n] = '\0';
    }
    return text.size();
}

void QZSIM_ChangeFeature(const char *name, int32_t value)
{
    if (name != nullptr) qzsim::ChangeFeature(name, value);
}

size_t QZSIM_LastWordCount(void)
{
    return qzsim::LastWords().size();
}

void QZSIM_RefuseCopyOf(const char *text)
{
    std::lock_guard<std::mutex> lock(g_refusedMu);
    g_refused = text != nullptr ? text : "";
    g_refusing.store(text != nullptr, std::memory_order_relaxed);
}

}  // extern "C"
