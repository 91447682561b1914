// Profile keys "fitApMode" and "ownApInst": how the WLAN service is set up,
// read by the host when it starts the library.
#include <atomic>

#include "qz_sim_service.h"
#include "sim_internal.h"

namespace qzsim {
namespace {

std::atomic<uint32_t> g_fitApMode{0};
std::atomic<uint32_t> g_ownApInst{0};

// A top-level unsigned number key; absent means 0.
bool ParseNumber(const char *key, long long max, std::atomic<uint32_t> *target, const json *value, ProfileApply *apply,
                 std::string *error)
{
    long long v = 0;
    if (value != nullptr && !ReadInt(json{{key, *value}}, key, 0, max, &v, "", error)) return false;
    *apply = [target, v] { target->store(static_cast<uint32_t>(v)); };
    return true;
}

bool ParseFitApMode(const json *value, ProfileApply *apply, std::string *error)
{
    return ParseNumber("fitApMode", UINT32_MAX, &g_fitApMode, value, apply, error);
}
QZSIM_PROFILE_SECTION("fitApMode", ParseFitApMode);

// The AP number roam lines carry: one byte.
bool ParseOwnApInst(const json *value, ProfileApply *apply, std::string *error)
{
    return ParseNumber("ownApInst", 255, &g_ownApInst, value, apply, error);
}
QZSIM_PROFILE_SECTION("ownApInst", ParseOwnApInst);

}  // namespace

uint32_t ProfileFitApMode()
{
    return g_fitApMode.load();
}

uint32_t ProfileOwnApInst()
{
    return g_ownApInst.load();
}

}  // namespace qzsim
