// Radio and SSID mapping: SSID blocks of P per band, the second 5 GHz radio
// and the radio type texts.
#include <array>
#include <vector>

#include "qz_wlan_query.h"
#include "query_test.h"

namespace {

using qztest::Guarded;
using qztest::QueryTest;

TEST_F(QueryTest, SsidIndexesAndRadioInstancesMapInBlocksOfP)
{
    struct Case {
        uint32_t perBand, maxIndex;
        std::vector<std::array<uint32_t, 3>> ssids;  // SSID, its radio index, first SSID of that radio
        uint32_t defIndex[6];                        // of instances 0 to 4 and 0xFFFFFFFF
    } cases[] = {
        {0, 3, {{0, 0, 0}, {9, 0, 0}}, {0, 0, 0, 0, 0, 0}},
        {1, 3, {{1, 1, 1}, {2, 2, 2}, {3, 0, 0}}, {0, 0, 1, 2, 0, 0}},
        {4, 3, {{3, 0, 0}, {4, 1, 4}, {7, 1, 4}, {8, 2, 8}, {11, 2, 8}, {12, 0, 0}, {99, 0, 0}}, {0, 0, 4, 8, 0, 0}},
        {16, 15, {{17, 1, 16}, {47, 2, 32}, {48, 0, 0}}, {0, 0, 16, 32, 0, 0}},
    };
    const uint32_t insts[6] = {0, 1, 2, 3, 4, 0xFFFFFFFFu};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.perBand);
        LoadProfile({{"wlan", {{"ssidPerBand", c.perBand}}}});
        EXPECT_EQ(WLAN_GetMaxIndex_SingleBand(), c.maxIndex);
        for (const auto &[ssid, chip, defIndex] : c.ssids) {
            EXPECT_EQ(WLAN_GetChipIndex(ssid), chip) << ssid;
            EXPECT_EQ(WLAN_GetRadioInst(ssid), chip + 1) << ssid;
            EXPECT_EQ(WLAN_GetDefIndex_BySSIDIndex(ssid), defIndex) << ssid;
        }
        for (int i = 0; i < 6; i++) {
            EXPECT_EQ(WLAN_GetDefIndex_ByRadioInst(insts[i]), c.defIndex[i]) << insts[i];
            EXPECT_EQ(WLAN_CheckRadioInstValid(insts[i]), insts[i] >= 1 && insts[i] <= 3 ? 1u : 0u) << insts[i];
        }
    }
}

TEST_F(QueryTest, ThirdRadioIsTheSecond5GOnlyWithTheFeature)
{
    struct Case {
        int32_t feature;  // the platform's raw answer
        uint32_t converted3;
        const char *type3;
        uint32_t indexOf6G, indexOf5G2;
    } cases[] = {{0, 3, "6G", 2, 0}, {1, 2, "5G-2", 0, 2}, {2, 3, "6G", 2, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.feature);
        ResetLibraryCaches();
        qzsim::SetFeature("FT_WLAN_SUPPORT_5G_HIGH", c.feature);
        EXPECT_EQ(WLAN_ConvertRadioInst(3), c.converted3);
        for (uint32_t inst : {0u, 1u, 2u, 7u}) EXPECT_EQ(WLAN_ConvertRadioInst(inst), inst);
        Guarded g(8);
        EXPECT_EQ(WLAN_GetRadioTypeByInst(3, g.dest(), 8), 0u);
        EXPECT_STREQ(g.dest(), c.type3);
        EXPECT_TRUE(g.GuardsIntact());
        EXPECT_EQ(WLAN_GetRadioIndexByType("6g"), c.indexOf6G);
        EXPECT_EQ(WLAN_GetRadioIndexByType("5g-2"), c.indexOf5G2);
        EXPECT_EQ(WLAN_CheckSupport5GHigh(), c.feature == 1 ? 1u : 0u);
    }
    // Asked once for the life of the process: the feature event does not reach it.
    EXPECT_EQ(qzsim::FeatureQueries("FT_WLAN_SUPPORT_5G_HIGH"), 3u);
    qzsim::ChangeFeature("FT_WLAN_SUPPORT_5G_HIGH", 1);
    EXPECT_EQ(WLAN_CheckSupport5GHigh(), 0u);
}

TEST_F(QueryTest, RadioTypeTextsFitOrFailWithTheCopyCode)
{
    struct Case {
        bool byInst;
        uint32_t arg, size, ret;
        const char *text;   // null: the buffer is not touched
        const char *words;  // last words
    } cases[] = {
        {false, 0, 5, 0, "2.4G", ""},
        {false, 1, 3, 0, "5G", ""},
        {false, 1, 2, 34, "", "wlan_spec 34 2\n"},  // "5G" and its terminator need 3 bytes
        {false, 3, 8, 1, nullptr, "wlan_spec 1 3\n"},
        {true, 2, 8, 0, "5G", ""},
        {true, 0, 8, 1, nullptr, "wlan_spec 1 0\n"},
        {true, 4, 8, 1, nullptr, "wlan_spec 1 4\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.byInst << "/" << c.arg);
        qzsim::ClearRecords();
        Guarded g(c.size);
        uint32_t ret = c.byInst ? WLAN_GetRadioTypeByInst(c.arg, g.dest(), c.size)
                                : WLAN_GetRadioTypeByIndex(c.arg, g.dest(), c.size);
        EXPECT_EQ(ret, c.ret);
        EXPECT_TRUE(g.GuardsIntact());
        EXPECT_TRUE(c.text ? g.str() == c.text : g.Untouched());
        EXPECT_EQ(Words(), c.words);
    }
    EXPECT_EQ(WLAN_GetRadioTypeByIndex(0, nullptr, 8), 1u);

    // Lookups ignore case and default to the first radio.
    struct Lookup {
        const char *text;
        uint32_t index;
    } lookups[] = {{"2.4g", 0}, {"5G", 1}, {"6G", 2}, {"11ac", 0}, {"", 0}, {"5G ", 0}};
    for (const auto &c : lookups) {
        EXPECT_EQ(WLAN_GetRadioIndexByType(c.text), c.index) << c.text;
        EXPECT_EQ(WLAN_GetRadioInstByType(c.text), c.index + 1) << c.text;
    }
    EXPECT_EQ(WLAN_GetRadioIndexByType(nullptr), 0u);
    EXPECT_EQ(WLAN_GetRadioInstByType(nullptr), 1u);
}

TEST_F(QueryTest, RadioTypeIsValidOnlyForConfiguredRadios)
{
    struct Case {
        uint32_t cfgRadios;
        int32_t high5G;
        const char *text;
        uint32_t valid;
    } cases[] = {
        {1, 0, "5G", 0}, {2, 0, "5G", 1},   {3, 0, "6g", 1},   {7, 0, "6G", 1},
        {7, 1, "6G", 0}, {7, 1, "5g-2", 1}, {0, 0, "2.4G", 0}, {3, 0, "11ac", 0},
    };
    for (const auto &c : cases) {
        ResetLibraryCaches();
        LoadProfile({{"wlan", {{"cfgRadios", c.cfgRadios}}}});
        qzsim::SetFeature("FT_WLAN_SUPPORT_5G_HIGH", c.high5G);
        EXPECT_EQ(WLAN_CheckRadioTypeValid(c.text), c.valid) << c.cfgRadios << "/" << c.text;
    }
    qzsim::ClearRecords();
    EXPECT_EQ(WLAN_CheckRadioTypeValid(nullptr), 0u);
    EXPECT_TRUE(qzsim::Traces().empty());
    (void)WLAN_CheckRadioTypeValid("5G");
    auto traces = qzsim::Traces();
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(std::to_string(traces[0].id) + " " + traces[0].file + " " + traces[0].text,
              "326 wlan_spec [CAPI]radioType:[5G]");
}

}  // namespace
