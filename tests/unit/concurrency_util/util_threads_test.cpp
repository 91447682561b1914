// The utilities keep no state: several threads transcoding (each loading and
// releasing the conversion library) and generating passwords at once get the
// same results as one thread alone.
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "qz_test.h"
#include "qz_wlan_util.h"

namespace {

using UtilThreadsTest = qztest::PlatformTest;

TEST_F(UtilThreadsTest, TranscodingAndPasswordsFromSeveralThreads)
{
    const std::pair<std::string, std::string> jobs[] = {
        {"plain ascii", "plain ascii"},
        {"ab\xD6\xD0\xCE\xC4", "ab\xE4\xB8\xAD\xE6\x96\x87"},
        {"\xA4\x40\xA4\x41", "\xE4\xB8\x80\xE4\xB9\x99"},
        {"x\xFF", "x\xC3\xBF"},
    };
    constexpr int kRounds = 40;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (const auto &[src, expected] : jobs) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; i++) {
                char out[64] = {};
                if (WLAN_ForceToEncodeUtf8(src.c_str(), out, sizeof(out)) != 0 || expected != out) wrong++;
                char pwd[13] = {};
                if (WLAN_GenerateRandPwd(12, pwd, sizeof(pwd)) != 0 || strlen(pwd) != 12) wrong++;
            }
        });
    }
    for (auto &th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

}  // namespace
