// Radio and SSID mapping: SSID blocks of P per band, the second 5 GHz radio
// and the radio type texts.
#include <cstring>

#include "qz_sim_bounded.h"
#include "qz_test.h"
#include "qz_wlan_query.h"
#include "query_test.h"

namespace {

using qztest::Guarded;
using qztest::QueryTest;

TEST_F(QueryTest, SsidIndexesMapToRadiosInBlocksOfP)
{
    struct Case {
        uint32_t perBand;
        uint32_t ssid;
        uint32_t chip;
        uint32_t defIndex;  // first SSID of the owning radio
    } cases[] = {
        {4, 0, 0, 0},  {4, 3, 0, 0},  {4, 4, 1, 4},    {4, 6, 1, 4},    {4, 7, 1, 4},   {4, 8, 2, 8},
        {4, 11, 2, 8}, {4, 12, 0, 0}, {4, 99, 0, 0},   {0, 0, 0, 0},    {0, 9, 0, 0},   {1, 1, 1, 1},
        {1, 2, 2, 2},  {1, 3, 0, 0},  {16, 17, 1, 16}, {16, 47, 2, 32}, {16, 48, 0, 0},
    };
    for (const auto &c : cases) {
        LoadProfile({{"wlan", {{"ssidPerBand", c.perBand}}}});
        EXPECT_EQ(WLAN_GetChipIndex(c.ssid), c.chip) << c.perBand << "/" << c.ssid;
        EXPECT_EQ(WLAN_GetRadioInst(c.ssid), c.chip + 1) << c.perBand << "/" << c.ssid;
        EXPECT_EQ(WLAN_GetDefIndex_BySSIDIndex(c.ssid), c.defIndex) << c.perBand << "/" << c.ssid;
    }
}

TEST_F(QueryTest, RadioInstancesAndBandRanges)
{
    struct Case {
        uint32_t perBand;
        uint32_t maxIndex;
        uint32_t defIndex[6];  // of instances 0 to 4 and 0xFFFFFFFF
    } cases[] = {
        {0, 3, {0, 0, 0, 0, 0, 0}},
        {1, 3, {0, 0, 1, 2, 0, 0}},
        {4, 3, {0, 0, 4, 8, 0, 0}},
        {16, 15, {0, 0, 16, 32, 0, 0}},
    };
    const uint32_t insts[6] = {0, 1, 2, 3, 4, 0xFFFFFFFFu};
    for (const auto &c : cases) {
        LoadProfile({{"wlan", {{"ssidPerBand", c.perBand}}}});
        EXPECT_EQ(WLAN_GetMaxIndex_SingleBand(), c.maxIndex) << c.perBand;
        for (int i = 0; i < 6; i++) {
            EXPECT_EQ(WLAN_GetDefIndex_ByRadioInst(insts[i]), c.defIndex[i]) << c.perBand << "/" << insts[i];
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
        uint32_t indexOf6G;
        uint32_t indexOf5G2;
    } cases[] = {{0, 3, "6G", 2, 0}, {1, 2, "5G-2", 0, 2}, {2, 3, "6G", 2, 0}};
    for (const auto &c : cases) {
        ResetLibraryCaches();
        qzsim::SetFeature("FT_WLAN_SUPPORT_5G_HIGH", c.feature);
        EXPECT_EQ(WLAN_ConvertRadioInst(3), c.converted3) << c.feature;
        for (uint32_t inst : {0u, 1u, 2u, 7u}) EXPECT_EQ(WLAN_ConvertRadioInst(inst), inst);
        Guarded g(8);
        EXPECT_EQ(WLAN_GetRadioTypeByInst(3, g.dest(), 8), 0u);
        EXPECT_STREQ(g.dest(), c.type3);
        EXPECT_TRUE(g.GuardsIntact());
        EXPECT_EQ(WLAN_GetRadioIndexByType("6g"), c.indexOf6G) << c.feature;
        EXPECT_EQ(WLAN_GetRadioIndexByType("5g-2"), c.indexOf5G2) << c.feature;
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
        uint32_t arg;
        uint32_t size;
        uint32_t ret;
        const char *text;        // null: the buffer is not touched
        uint32_t lastWordValue;  // the reported value, when ret != 0
    } cases[] = {
        {false, 0, 5, 0, "2.4G", 0},         {false, 1, 3, 0, "5G", 0},
        {false, 1, 2, QZ_SIM_ERANGE, "", 2},  // "5G" and its terminator need 3 bytes
        {false, 3, 8, 1, nullptr, 3},        {true, 2, 8, 0, "5G", 0},
        {true, 0, 8, 1, nullptr, 0},         {true, 4, 8, 1, nullptr, 4},
    };
    for (const auto &c : cases) {
        qzsim::ClearRecords();
        Guarded g(c.size);
        uint32_t ret = c.byInst ? WLAN_GetRadioTypeByInst(c.arg, g.dest(), c.size)
                                : WLAN_GetRadioTypeByIndex(c.arg, g.dest(), c.size);
        EXPECT_EQ(ret, c.ret) << c.byInst << "/" << c.arg;
        EXPECT_TRUE(g.GuardsIntact());
        if (c.text != nullptr) {
            EXPECT_STREQ(g.dest(), c.text);
        } else {
            EXPECT_TRUE(g.Untouched());
        }
        auto words = qzsim::LastWords();
        ASSERT_EQ(words.size(), c.ret == 0 ? 0u : 1u) << c.byInst << "/" << c.arg;
        if (c.ret != 0) {
            EXPECT_EQ(words[0].file, "wlan_spec");
            EXPECT_EQ(words[0].code, c.ret);
            EXPECT_EQ(words[0].value1, c.lastWordValue);
        }
    }
    EXPECT_EQ(WLAN_GetRadioTypeByIndex(0, nullptr, 8), 1u);
}

TEST_F(QueryTest, RadioTypeLookupIgnoresCaseAndDefaults)
{
    struct Case {
        const char *text;
        uint32_t index;
    } cases[] = {{"2.4G", 0}, {"2.4g", 0}, {"5g", 1}, {"5G", 1}, {"6G", 2}, {"11ac", 0}, {"", 0}, {"5G ", 0}};
    for (const auto &c : cases) {
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
        {1, 0, "5G", 0}, {2, 0, "5G", 1},   {2, 0, "6G", 0},   {3, 0, "6g", 1},   {7, 0, "6G", 1},
        {7, 1, "6G", 0}, {7, 1, "5g-2", 1}, {0, 0, "2.4G", 0}, {1, 0, "2.4G", 1}, {3, 0, "11ac", 0},
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
    EXPECT_EQ(traces[0].id, 326u);
    EXPECT_EQ(traces[0].file, "wlan_spec");
    EXPECT_EQ(traces[0].text, "[CAPI]radioType:[5G]");
}

}  // namespace
