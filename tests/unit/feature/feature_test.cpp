// The feature cache: table layout, one name per accessor, caching and the
// refresh event.
#include <fstream>
#include <map>
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

const std::vector<Accessor> &AllAccessors()
{
    static const std::vector<Accessor> all = {
#define WLAN_FT_FEATURE(name) {#name, WLAN_FT_##name, true},
#define WLAN_FT_FEATURE_NO_ROW(name) {#name, WLAN_FT_##name, false},
#include "qz_wlan_feature.def"
    };
    return all;
}

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
        std::string text = (i == 0 ? "" : "\n") + std::string(name);
        for (unsigned char c : text) hash = (hash ^ c) * 0x01000193u;
        names.insert(name);
        accessors.insert(g_ftFuncTable[i].pfnAccessor);
    }
    EXPECT_EQ(hash, 0x5af5b8b2u);
    EXPECT_EQ(names.size(), 260u);
    EXPECT_EQ(accessors.size(), 260u);

    struct Row {
        uint32_t number;  // counting from 1
        const char *name;
    } rows[] = {{1, "FT_WLAN_MULTILINK"},    {34, "FT_WLAN_LARGE_CAPACITY_GATEWAY"},
                {36, "QZ_FEATURE_ZQ"},       {153, "QZ_RIX_FEATURE_UNE"},
                {245, "QZ_RIX_FEATURE_UNE"}, {261, "FT_BLINK_SUPPORT"}};
    for (const auto &r : rows) EXPECT_STREQ(g_ftFuncTable[r.number - 1].pcFeatureName, r.name) << r.number;
    EXPECT_EQ(g_ftFuncTable[152].pfnAccessor, WLAN_FT_QZ_RIX_FEATURE_UNE);
    EXPECT_EQ(g_ftFuncTable[244].pfnAccessor, WLAN_FT_QZ_RIX_FEATURE_UNE);
    EXPECT_EQ(g_ftFuncTable[152].pcFeatureName, g_ftFuncTable[244].pcFeatureName);

    // 263 accessors: the table's 260 and three without a row.
    ASSERT_EQ(AllAccessors().size(), 263u);
    std::vector<std::string> rowless;
    for (const auto &a : AllAccessors()) {
        EXPECT_EQ(accessors.count(a.fn) == 1, a.hasRow) << a.name;
        if (!a.hasRow) rowless.push_back(a.name);
    }
    EXPECT_EQ(rowless,
              (std::vector<std::string>{"QZ_FT_FEATURE_PLDT", "FT_RT_WIFI_UP_LINK", "FT_CELLBACKUP_AUTO_SWITCH"}));
}

TEST_F(FeatureTest, EveryAccessorAndRowAsksForItsOwnName)
{
    for (const auto &a : AllAccessors()) {
        qzsim::SetFeature(a.name, 1);
        EXPECT_EQ(a.fn(1), 1u) << a.name;
        EXPECT_EQ(qzsim::FeatureQueries(a.name), 1u) << a.name;
        qzsim::SetFeature(a.name, 0);
    }
    for (uint32_t i = 0; i < WLAN_FT_TABLE_ROWS; i++) {
        const char *name = g_ftFuncTable[i].pcFeatureName;
        size_t before = qzsim::FeatureQueries(name);
        (void)g_ftFuncTable[i].pfnAccessor(1);
        EXPECT_EQ(qzsim::FeatureQueries(name), before + 1) << "row " << i + 1;
    }
}

TEST_F(FeatureTest, ExportedNamesListMatchesTheAccessors)
{
    std::set<std::string> expected = {"g_ftFuncTable", "WLAN_FT_Init", "WLAN_FT_RefreshFeatureByEvent"};
    for (const auto &a : AllAccessors()) expected.insert(std::string("WLAN_FT_") + a.name);
    std::ifstream in(QZ_SOURCE_DIR "/abi/exports/feature.txt");
    ASSERT_TRUE(in.good());
    std::set<std::string> listed;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') listed.insert(line);
    }
    EXPECT_EQ(listed, expected);
}

TEST_F(FeatureTest, CachesWhateverThePlatformAnswersExceptNotAsked)
{
    struct Case {
        int32_t answer;
        uint32_t result;
        size_t queriesAfterTwoCalls;
    } cases[] = {{1, 1, 1}, {0, 0, 1}, {2, 0, 1}, {-7, 0, 1}, {-1, 0, 2}};
    for (const auto &c : cases) {
        WLAN_FT_ResetCaches();
        qzsim::Reset();
        qzsim::SetFeature("FT_WLAN_SLICE", c.answer);
        EXPECT_EQ(WLAN_FT_FT_WLAN_SLICE(0), c.result) << c.answer;
        EXPECT_EQ(WLAN_FT_FT_WLAN_SLICE(0), c.result) << c.answer;
        EXPECT_EQ(qzsim::FeatureQueries("FT_WLAN_SLICE"), c.queriesAfterTwoCalls) << c.answer;
    }
}

TEST_F(FeatureTest, RefreshFlagAsksAgainAndReplacesTheAnswer)
{
    qzsim::SetFeature("FT_PAIRAP", 1);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 1u);
    qzsim::SetFeature("FT_PAIRAP", 0);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 1u);  // still the cached answer
    EXPECT_EQ(qzsim::FeatureQueries("FT_PAIRAP"), 1u);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(7), 0u);
    EXPECT_EQ(WLAN_FT_FT_PAIRAP(0), 0u);
    EXPECT_EQ(qzsim::FeatureQueries("FT_PAIRAP"), 2u);
}

TEST_F(FeatureTest, EventRefreshesEveryRowOfItsNameOnly)
{
    ASSERT_EQ(WLAN_FT_Init(), 0u);
    struct Case {
        const char *eventName;  // the name the event carries
        const char *feature;    // the feature whose accessor is watched
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
        WLAN_FT_ResetCaches();
        qzsim::SetFeature(c.feature, 1);
        ASSERT_EQ(c.fn(0), 1u) << c.eventName;
        size_t before = qzsim::FeatureQueries(c.feature);
        qzsim::SetFeature(c.feature, 0);
        qzsim::ChangeFeature(c.eventName, 0);
        EXPECT_EQ(qzsim::FeatureQueries(c.feature) - before, c.queriesByEvent) << c.eventName;
        EXPECT_EQ(c.fn(0), c.after) << c.eventName;
    }
    EXPECT_EQ(WLAN_FT_RefreshFeatureByEvent(nullptr), 0u);
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
