// Readers on several threads while the event thread refreshes the same
// feature: no data race, and every answer is one the platform gave.
#include <atomic>
#include <thread>
#include <vector>

#include "feature/wlan_feature_internal.h"
#include "qz_test.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_query.h"
#include "query/wlan_query_internal.h"

namespace {

using FeatureRaceTest = qztest::PlatformTest;

TEST_F(FeatureRaceTest, ReadersSeeOnlyPlatformAnswersWhileEventsRefresh)
{
    constexpr int kReaders = 3;
    constexpr int kEvents = 200;
    WLAN_FT_ResetCaches();
    WLAN_SPEC_ResetCache();
    WLAN_DM_ResetCaches();
    qzsim::StartEventThread();
    ASSERT_EQ(WLAN_FT_Init(), 0u);
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < kReaders; r++) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                if (WLAN_FT_FT_WLAN_MULTILINK(0) > 1 || WLAN_FT_QZ_RIX_FEATURE_UNE(0) > 1) bad++;
                // The platform's other caches and the configuration word, read
                // at the same time from several threads.
                (void)WLAN_CheckSupport5GHigh();
                (void)WLAN_DM_IsCfgWordMatch("CMCC_RMS");
            }
        });
    }
    for (int i = 0; i < kEvents; i++) {
        qzsim::ChangeFeature("FT_WLAN_MULTILINK", i % 2);
        qzsim::ChangeFeature("QZ_RIX_FEATURE_UNE", (i + 1) % 2);
    }
    qzsim::FlushEvents();
    stop = true;
    for (auto &t : readers) t.join();
    qzsim::StopEventThread();
    EXPECT_EQ(bad.load(), 0);
    // The last events win once they are delivered.
    EXPECT_EQ(WLAN_FT_FT_WLAN_MULTILINK(0), static_cast<uint32_t>((kEvents - 1) % 2));
    EXPECT_EQ(WLAN_FT_QZ_RIX_FEATURE_UNE(0), static_cast<uint32_t>(kEvents % 2));
    EXPECT_EQ(WLAN_DM_IsCfgWordMatch("cmcc_rms"), 1u);
}

}  // namespace
