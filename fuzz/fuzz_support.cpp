#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "qz_sim.h"

// The display pauses between its pieces so a slow console keeps up; under the
// fuzzer that only slows the run, so the targets' own definition takes the
// place of the platform's.
extern "C" void QZ_OS_SleepMs(uint32_t ms)
{
    (void)ms;
}

namespace qzfuzz {

void SetUpPlatform()
{
    static bool done = false;
    if (done) return;
    done = true;
    char templ[] = "/tmp/qz_wlan_fuzz.XXXXXX";
    std::string error;
    if (mkdtemp(templ) == nullptr || !qzsim::SetRoot(templ, &error)) {
        fprintf(stderr, "fuzz: no sandbox root: %s\n", error.c_str());
        abort();
    }
    qzsim::Reset();
    qzsim::CaptureConsole(true);
    // A run ends with exit(); the sandbox goes with it (a crash keeps it).
    atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(qzsim::Root(), ec);
    });
}

void SetUpMeshGateway()
{
    SetUpPlatform();
    const std::string profile = std::string(QZ_FUZZ_SOURCE_DIR) + "/../profiles/mesh-demo.json";
    std::string error;
    if (!qzsim::LoadProfileFile(profile, &error)) {
        fprintf(stderr, "fuzz: %s: %s\n", profile.c_str(), error.c_str());
        abort();
    }
}

void DropRecords()
{
    (void)qzsim::TakeConsole();
    qzsim::ClearRecords();
}

std::vector<char> Text(const uint8_t *data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    return text;
}

}  // namespace qzfuzz
