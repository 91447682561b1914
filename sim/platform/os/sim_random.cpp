// Random bytes: the kernel's getrandom, a seeded generator whose bytes are
// the same on every target, or a source the tests install.
#include <sys/random.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <random>

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

void SeedRandom(uint64_t seed)
{
    // mt19937_64's sequence is fixed by the C++ standard, and its words are
    // taken apart low byte first: the same bytes on 32-bit ARM and x86-64.
    auto engine = std::make_shared<std::mt19937_64>(seed);
    SetRandomSource([engine](uint8_t *buf, size_t len) {
        for (size_t i = 0; i < len; i += 8) {
            const uint64_t word = (*engine)();
            for (size_t k = 0; k < 8 && i + k < len; k++) buf[i + k] = static_cast<uint8_t>(word >> (8 * k));
        }
    });
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
