// Random bytes: the kernel's getrandom, or a source the tests install.
#include <sys/random.h>

#include <cerrno>
#include <mutex>

#include "qz_platform.h"
#include "qz_sim_util.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

std::mutex &SourceMutex()
{
    static std::mutex mu;
    return mu;
}

RandomSource &Source()
{
    static RandomSource source;
    return source;
}

void ResetRandomSource()
{
    SetRandomSource(RandomSource());
}
QZSIM_ON_RESET(ResetRandomSource);

bool KernelRandom(uint8_t *buf, size_t len)
{
    while (len > 0) {
        ssize_t n = getrandom(buf, len, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        buf += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

namespace qzsim {

void SetRandomSource(RandomSource source)
{
    std::lock_guard<std::mutex> lock(SourceMutex());
    Source() = std::move(source);
}

}  // namespace qzsim

extern "C" uint32_t OS_GetRandomEx(void *buf, uint32_t len)
{
    uint32_t ret;
    if (Faulted("OS_GetRandomEx", &ret)) return ret;
    if (buf == nullptr) return 1;
    auto *bytes = static_cast<uint8_t *>(buf);
    {
        std::lock_guard<std::mutex> lock(SourceMutex());
        if (Source()) {
            Source()(bytes, len);
            return 0;
        }
    }
    return KernelRandom(bytes, len) ? 0 : 1;
}
