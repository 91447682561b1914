// The feature cache: table layout, one name per accessor, caching and the
// refresh event.
#include <set>
#include <string>
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

TEST_F(FeatureTest, RefreshTableHasTheAgreedRows)
{
    // FNV-1a over the 261 row names joined by '\n', taken from the agreed
    // list when the table was written: any change of order or name shows.
    uint32_t hash = 0x811c9dc5u;
    std::set<std::string> names;
    std::set<WLAN_FT_ACCESSOR> accessors;
    for (uint32_t i = 0; i < WLAN_FT_TABLE_ROWS; i++) {
        const char *name = g_ftFuncTable[i].pcFeatureName;
        ASSERT_NE(name, nullptr) << "row " << i + 1;
        ASSERT_NE(g_ftFuncTable[i].pfnAccessor, nullptr) << "row " << i + 1;
        for (unsigned char c : (i == 0 ? "" : "\n") + std::string(name)) hash = (hash ^ c) * 0x01000193u;
        names.insert(name);
        accessors.insert(g_ftFuncTable[i].pfnAccessor);
    }
    EXPECT_EQ(hash, 0x5af5b8b2u);
    EXPECT_EQ(names.size(), 260u);
    EXPECT_EQ(accessors.size(), 260u);
    // Rows 153 and 245 share one name and one accessor.
    EXPECT_STREQ(g_ftFuncTable[152].pcFeatureName, "QZ_RIX_FEATURE_UNE");
    EXPECT_EQ(g_ftFuncTable[152].pfnAccessor, WLAN_FT_QZ_RIX_FEATURE_UNE);
    EXPECT_EQ(g_ftFuncTable[244].pfnAccessor, WLAN_FT_QZ_RIX_FEATURE_UNE);
    EXPECT_EQ(g_ftFuncTable[152].pcFeatureName, g_ftFuncTable[244].pcFeatureName);

    // 263 accessors: the table's 260 and three without a row.
    ASSERT_EQ(std::size(kAccessors), 263u);
    std::vector<std::string> rowless;
    for (const auto &a : kAccessors) {
        EXPECT_EQ(accessors.count(a.fn) == 1, a.hasRow) << a.name;
        if (!a.hasRow) rowless.push_back(a.name);
    }
    EXPECT_EQ(rowless,
              (std::vector<std::string>{"QZ_FT_FEATURE_PLDT", "FT_RT_WIFI_UP_LINK", "FT_CELLBACKUP_AUTO_SWITCH"}));
}

TEST_F(FeatureTest, EveryAccessorAndRowAsksForItsOwnName)
{
    for (const auto &a : kAccessors) {
        qzsim::SetFeature(a.name, 1);
        EXPECT_EQ(a.fn(1), 1u) << a.name;
        EXPECT_EQ(qzsim::FeatureQueries(a.name), 1u) << a.name;
    }
    for (uint32_t i = 0; i < WLAN_FT_TABLE_ROWS; i++) {
        const char *name = g_ftFuncTable[i].pcFeatureName;
        size_t before = qzsim::FeatureQueries(name);
        (void)g_ftFuncTable[i].pfnAccessor(1);
        EXPECT_EQ(qzsim::FeatureQueries(name), before + 1) << "row " << i + 1;
    }
}

TEST_F(FeatureTest, CachesWhateverThePlatformAnswersExceptNotAsked)
{
    struct Case {
        int32_t answer;
        uint32_t result;
        size_t queries;  // after two calls
    } cases[] = {{1, 1, 1}, {0, 0, 1}, {2, 0, 1}, {-1, 0, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer);
        WLAN_FT_ResetCaches();
        qzsim::Reset();
        qzsim::SetFeature("FT_WLAN_SLICE", c.answer);
        EXPECT_EQ(WLAN_FT_FT_WLAN_SLICE(0), c.result);
        EXPECT_EQ(WLAN_FT_FT_WLAN_SLICE(0), c.result);
        EXPECT_EQ(qzsim::FeatureQueries("FT_WLAN_SLICE"), c.queries);
    }
    // A refresh flag asks again and replaces the cached answer.
    qzsim::SetFeature("FT_PAIRAP", 1);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 1u);
    qzsim::SetFeature("FT_PAIRAP", 0);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 1u);  // still the cached answer
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(7), 0u);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 0u);
    EXPECT_EQ(qzsim::FeatureQueries("FT_PAIRAP"), 2u);
}

TEST_F(FeatureTest, EventRefreshesEveryRowOfItsNameOnly)
{
    ASSERT_EQ(WLAN_FT_Init(), 0u);
    struct Case {
        const char *eventName, *feature;  // the name the event carries, the feature whose accessor is watched
        WLAN_FT_ACCESSOR fn;
        uint32_t after;         // the cached answer after the event (was 1, now 0)
        size_t queriesByEvent;  // platform queries the event made for `feature`
    } cases[] = {
        {"FT_WLAN_MULTILINK", "FT_WLAN_MULTILINK", WLAN_FT_FT_WLAN_MULTILINK, 0, 1},
        {"QZ_RIX_FEATURE_UNE", "QZ_RIX_FEATURE_UNE", WLAN_FT_QZ_RIX_FEATURE_UNE, 0, 2},  // two rows
        {"QZ_FT_FEATURE_PLDT", "QZ_FT_FEATURE_PLDT", WLAN_FT_QZ_FT_FEATURE_PLDT, 1, 0},  // no row
        {"qz_feature_zq", "QZ_FEATURE_ZQ", WLAN_FT_QZ_FEATURE_ZQ, 1, 0},                 // case differs
        {"FT_WLAN_MULTILINK_X", "FT_WLAN_MULTILINK", WLAN_FT_FT_WLAN_MULTILINK, 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.eventName);
        WLAN_FT_ResetCaches();
        qzsim::SetFeature(c.feature, 1);
        ASSERT_EQ(c.fn(0), 1u);
        size_t before = qzsim::FeatureQueries(c.feature);
        qzsim::SetFeature(c.feature, 0);
        qzsim::ChangeFeature(c.eventName, 0);
        EXPECT_EQ(qzsim::FeatureQueries(c.feature) - before, c.queriesByEvent);
        EXPECT_EQ(c.fn(0), c.after);
    }
    EXPECT_EQ(WLAN_FT_RefreshFeatureByEvent(nullptr), 0u);
}

TEST_F(FeatureTest, RefreshDuringAReadersQueryKeepsTheNewerAnswer)
{
    // The reader has its answer (1) when the product changes the feature and
    // the refresh caches the new one (0): the reader must not overwrite it.
    ASSERT_EQ(WLAN_FT_Init(), 0u);
    WLAN_FT_ResetCaches();
    qzsim::SetFeature("FT_WLAN_MULTILINK", 1);
    qzsim::AfterNextFeatureAnswer([](const std::string &name) { qzsim::ChangeFeature(name, 0); });
    EXPECT_EQ(WLAN_FT_FT_WLAN_MULTILINK(0), 1u);  // what it was told
    EXPECT_EQ(WLAN_FT_FT_WLAN_MULTILINK(0), 0u);  // what is cached
    EXPECT_EQ(qzsim::FeatureQueries("FT_WLAN_MULTILINK"), 2u);
}

TEST_F(FeatureTest, InitPassesTheSubscriptionResultThrough)
{
    qzsim::FailCall("EventCenter_SubscribeEvent", 0x5A5A);
    EXPECT_EQ(WLAN_FT_Init(), 0x5A5Au);
    qzsim::SetFeature("FT_LTE_SUPPORT", 1);
    ASSERT_EQ(WLAN_FT_FT_LTE_SUPPORT(0), 1u);
    qzsim::ChangeFeature("FT_LTE_SUPPORT", 0);  // nobody subscribed
    EXPECT_EQ(WLAN_FT_FT_LTE_SUPPORT(0), 1u);
}

}  // namespace
