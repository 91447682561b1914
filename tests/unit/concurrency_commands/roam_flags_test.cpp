// The roam-debug switches are set by the CLI thread and read by the roaming
// logic's thread without a lock; under ThreadSanitizer this shows they are
// free of data races.
#include <atomic>
#include <thread>

#include "qz_test.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"

namespace {

using RoamFlagsTest = qztest::PlatformTest;

TEST_F(RoamFlagsTest, ReadersSeeWholeValuesWhileTheShellWrites)
{
    ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
    ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);
    std::atomic<bool> stop{false};
    std::atomic<uint32_t> badAnswers{0};
    std::atomic<uint32_t> reads{0};
    std::thread reader([&] {
        while (!stop.load()) {
            badAnswers +=
                WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11K) > 1 || WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11V) > 1;
            reads++;
        }
    });
    for (int round = 0; round < 200; round++) {
        for (const char *line :
             {"debug roam 11k disable", "debug roam 11v disable", "debug roam 11k clear", "debug roam 11v clear"}) {
            (void)qztest::RunLine(line);
        }
    }
    // Let the reader overlap at least a little with the writes before stopping.
    while (reads.load() == 0) std::this_thread::yield();
    stop = true;
    reader.join();
    EXPECT_EQ(badAnswers.load(), 0u);
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11K), 0u);
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11V), 0u);
}

}  // namespace
