// The simulated gateway's product-profile loader on arbitrary text: any JSON
// (or none) is loaded or refused with a message naming the key, never
// crashes, and a refused profile leaves the one loaded before in force.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "qz_sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    qzfuzz::SetUpPlatform();
    const std::string text(reinterpret_cast<const char *>(data), size);
    const qzsim::json profile = qzsim::json::parse(text, nullptr, false);
    if (profile.is_discarded()) return -1;  // not JSON: not the loader's input
    std::string error;
    if (!qzsim::LoadProfileJson(profile, &error) && error.empty()) abort();  // a refusal says why
    qzfuzz::DropRecords();
    return 0;
}
