// The feature cache: the refresh table's rows, one name per accessor, what is
// cached, and which rows an event refreshes.
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "feature/wlan_feature_internal.h"
#include "qz_test.h"
#include "qz_wlan_feature.h"

namespace {

struct Accessor {
    const char *name;
    WLAN_FT_ACCESSOR fn;
    bool hasRow;
};

const Accessor kAccessors[] = {
#define WLAN_FT_FEATURE(name) {#name, WLAN_FT_##name, true},
#define WLAN_FT_FEATURE_NO_ROW(name) {#name, WLAN_FT_##name, false},
#include "qz_wlan_feature.def"
};

class FeatureTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        WLAN_FT_ResetCaches();
    }
};

TEST_F(FeatureTest, RefreshTableRowsAndEveryAccessorAsksForItsOwnName)
{
    // FNV-1a over the 261 row names joined by '\n', taken from the agreed list
    // when the table was written: any change of order or name shows.
    uint32_t hash = 0x811c9dc5u;
    std::set<std::string> names;
    std::set<WLAN_FT_ACCESSOR> accessors;
    for (uint32_t i = 0; i < 261; i++) {
        const auto &row = g_ftFuncTable[i];
        for (unsigned char c : (i == 0 ? "" : "\n") + std::string(row.pcFeatureName)) hash = (hash ^ c) * 0x01000193u;
        names.insert(row.pcFeatureName);
        accessors.insert(row.pfnAccessor);
        size_t before = qzsim::FeatureQueries(row.pcFeatureName);
        (void)row.pfnAccessor(1);
        EXPECT_EQ(qzsim::FeatureQueries(row.pcFeatureName), before + 1) << "row " << i + 1;
    }
    EXPECT_EQ(hash, 0x5af5b8b2u);
    EXPECT_EQ(names.size() + accessors.size(), 520u);  // rows 153 and 245 share one name and accessor
    EXPECT_EQ(g_ftFuncTable[244].pfnAccessor, WLAN_FT_QZ_RIX_FEATURE_UNE);

    ASSERT_EQ(std::size(kAccessors), 263u);  // the table's 260 and three without a row
    std::vector<std::string> rowless;
    WLAN_FT_ResetCaches();  // every accessor's first call finds its word unasked
    for (const auto &a : kAccessors) {
        EXPECT_EQ(accessors.count(a.fn) == 1, a.hasRow) << a.name;
        if (!a.hasRow) rowless.push_back(a.name);
        qzsim::SetFeature(a.name, 1);
        size_t before = qzsim::FeatureQueries(a.name);
        EXPECT_EQ(a.fn(0) + a.fn(0), 2u) << a.name;  // asked once, then cached
        qzsim::SetFeature(a.name, 0);
        EXPECT_EQ(a.fn(1) + a.fn(0), 0u) << a.name;
        EXPECT_EQ(qzsim::FeatureQueries(a.name), before + 2) << a.name;
    }
    EXPECT_EQ(rowless,
              (std::vector<std::string>{"QZ_FT_FEATURE_PLDT", "FT_RT_WIFI_UP_LINK", "FT_CELLBACKUP_AUTO_SWITCH"}));
}

TEST_F(FeatureTest, CachesEveryAnswerButNotAskedAndRefreshesOnRequest)
{
    // Any answer but 1 reads as 0 and is cached, except -1, "not asked".
    for (const auto &[answer, queries] : {std::pair{2, 1u}, {-1, 2u}}) {
        WLAN_FT_ResetCaches();
        qzsim::Reset();
        qzsim::SetFeature("FT_WLAN_SLICE", answer);
        EXPECT_EQ(WLAN_FT_FT_WLAN_SLICE(0) + WLAN_FT_FT_WLAN_SLICE(0), 0u) << answer;
        EXPECT_EQ(qzsim::FeatureQueries("FT_WLAN_SLICE"), queries) << answer;
    }
    qzsim::SetFeature("FT_PAIRAP", 1);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 1u);
    qzsim::SetFeature("FT_PAIRAP", 0);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 1u);  // still the cached answer
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(7) + WLAN_FT_FT_PAIRAP(0), 0u);
}

TEST_F(FeatureTest, EventRefreshesEveryRowOfItsNameOnly)
{
    ASSERT_EQ(WLAN_FT_Init(), 0u);
    // The name the event carries, the feature watched and its accessor; the
    // cached answer after the event (was 1, now 0), the queries it made.
    const std::tuple<const char *, const char *, WLAN_FT_ACCESSOR, uint32_t, size_t> cases[] = {
        {"FT_WLAN_MULTILINK", "FT_WLAN_MULTILINK", WLAN_FT_FT_WLAN_MULTILINK, 0, 1},
        {"QZ_RIX_FEATURE_UNE", "QZ_RIX_FEATURE_UNE", WLAN_FT_QZ_RIX_FEATURE_UNE, 0, 2},  // two rows
        {"QZ_FT_FEATURE_PLDT", "QZ_FT_FEATURE_PLDT", WLAN_FT_QZ_FT_FEATURE_PLDT, 1, 0},  // no row
        {"qz_feature_zq", "QZ_FEATURE_ZQ", WLAN_FT_QZ_FEATURE_ZQ, 1, 0},                 // case differs
        {"FT_WLAN_MULTILINK_X", "FT_WLAN_MULTILINK", WLAN_FT_FT_WLAN_MULTILINK, 1, 0},
    };
    for (const auto &[eventName, feature, fn, after, queriesByEvent] : cases) {
        WLAN_FT_ResetCaches();
        qzsim::SetFeature(feature, 1);
        ASSERT_EQ(fn(0), 1u);
        size_t before = qzsim::FeatureQueries(feature);
        qzsim::SetFeature(feature, 0);
        qzsim::ChangeFeature(eventName, 0);
        EXPECT_EQ(qzsim::FeatureQueries(feature) - before, queriesByEvent) << eventName;
        EXPECT_EQ(fn(0), after) << eventName;
    }
    EXPECT_EQ(WLAN_FT_RefreshFeatureByEvent(nullptr), 0u);

    // A refresh while a reader holds its answer (1) caches the newer one (0):
    // the reader must not overwrite it.
    WLAN_FT_ResetCaches();
    qzsim::SetFeature("FT_WLAN_MULTILINK", 1);
    qzsim::AfterNextFeatureAnswer([](const std::string &name) { qzsim::ChangeFeature(name, 0); });
    EXPECT_EQ(WLAN_FT_FT_WLAN_MULTILINK(0), 1u);  // what it was told
    EXPECT_EQ(WLAN_FT_FT_WLAN_MULTILINK(0), 0u);  // what is cached
}

}  // namespace
