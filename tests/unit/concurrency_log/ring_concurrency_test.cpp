// Several threads append to the rings while another shows and clears them:
// no data race (run under ThreadSanitizer), no record cut or interleaved, and
// the ring's invariants hold throughout.
#include <atomic>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "qz_test.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"

namespace {

using RingConcurrency = qztest::PlatformTest;

TEST_F(RingConcurrency, AppendersShowersAndClearersTogether)
{
    ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
    constexpr int kWriters = 4;
    constexpr int kRecords = 400;
    std::atomic<bool> done{false};
    std::atomic<bool> readerRunning{false};
    // The reader starts first, so writers always overlap its shows and clears.
    std::thread reader([&done, &readerRunning] {
        do {
            (void)WLAN_CMD_ShowlogInner(&g_stWlanLog, "shown");
            (void)WLAN_CMD_ClearLogInner(&g_stApLEDLog, "cleared");
            (void)QZ_WLAN_SaveApLog("selection");
            readerRunning.store(true);
        } while (!done.load());
    });
    while (!readerRunning.load()) std::this_thread::yield();
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; w++) {
        threads.emplace_back([w] {
            for (int i = 0; i < kRecords; i++) {
                WLAN_LOG_SaveWlanLog(&g_stWlanLog, "<w%d r%04d>", w, i);
                char raw[32];
                int n = snprintf(raw, sizeof(raw), "{w%d r%04d}", w, i);
                QZ_WLAN_CpLog(&g_stApLEDLog, raw, static_cast<uint32_t>(n));
            }
        });
    }
    for (auto &t : threads) t.join();
    done.store(true);
    reader.join();

    // Newest records are whole: every record start is followed by a complete record.
    std::string text(g_stWlanLog.acLog, strnlen(g_stWlanLog.acLog, sizeof(g_stWlanLog.acLog)));
    EXPECT_LE(g_stWlanLog.uiWritePos, 10239u);
    EXPECT_EQ(g_stWlanLog.acLog[10239], '\0');
    std::string newest = text.substr(0, g_stWlanLog.uiWritePos);
    std::regex record(R"(\r\n\[[0-9: -]+:[0-9]{6}\]<w[0-9] r[0-9]{4}>)");
    EXPECT_EQ(std::regex_replace(newest, record, ""), "") << newest.substr(0, 200);
    EXPECT_STREQ(g_ApSelectLog, "selection");
}

}  // namespace
