// Radio and SSID mapping: SSID blocks of P per band, the second 5 GHz radio
// and the radio type texts.
#include <initializer_list>
#include <string>
#include <tuple>

#include "qz_wlan_query.h"
#include "query_test.h"

namespace {

using qztest::Guarded;
using qztest::QueryTest;

// The answers of fn for each value, joined by blanks.
template <typename Fn>
std::string Map(std::initializer_list<uint32_t> values, Fn fn)
{
    std::string out;
    for (uint32_t v : values) out += (out.empty() ? "" : " ") + std::to_string(fn(v));
    return out;
}

TEST_F(QueryTest, SsidIndexesAndRadioInstancesMapInBlocksOfP)
{
    // Of SSIDs 1, 2, 3, 4, 7, 8, 11, 12, 17, 47, 48: the radio index and the
    // first SSID of that radio; of instances 0 to 4 and 0xFFFFFFFF: the first SSID.
    struct Case {
        uint32_t perBand, maxIndex;
        const char *chips, *firstSsids, *byInst;
    } cases[] = {
        {0, 3, "0 0 0 0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0 0 0 0", "0 0 0 0 0 0"},
        {1, 3, "1 2 0 0 0 0 0 0 0 0 0", "1 2 0 0 0 0 0 0 0 0 0", "0 0 1 2 0 0"},
        {4, 3, "0 0 0 1 1 2 2 0 0 0 0", "0 0 0 4 4 8 8 0 0 0 0", "0 0 4 8 0 0"},
    };
    const auto ssids = {1u, 2u, 3u, 4u, 7u, 8u, 11u, 12u, 17u, 47u, 48u};
    const auto insts = {0u, 1u, 2u, 3u, 4u, 0xFFFFFFFFu};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.perBand);
        LoadProfile({{"wlan", {{"ssidPerBand", c.perBand}}}});
        EXPECT_EQ(WLAN_GetMaxIndex_SingleBand(), c.maxIndex);
        EXPECT_EQ(Map(ssids, WLAN_GetChipIndex), c.chips);
        EXPECT_EQ(Map(ssids, [](uint32_t s) { return WLAN_GetRadioInst(s) - 1; }), c.chips);
        EXPECT_EQ(Map(ssids, WLAN_GetDefIndex_BySSIDIndex), c.firstSsids);
        EXPECT_EQ(Map(insts, WLAN_GetDefIndex_ByRadioInst), c.byInst);
    }
    EXPECT_EQ(Map(insts, WLAN_CheckRadioInstValid), "0 1 1 1 0 0");
}

TEST_F(QueryTest, ThirdRadioIsTheSecond5GOnlyWithTheFeature)
{
    // The platform's raw answer; instances 0, 1, 2, 3, 7 converted, the type
    // of instance 3, the indexes of "6g" and "5g-2", the support answer.
    const std::pair<int32_t, std::string> cases[] = {
        {0, "0 1 2 3 7 6G 2 0 0"}, {1, "0 1 2 2 7 5G-2 0 2 1"}, {2, "0 1 2 3 7 6G 2 0 0"}};
    for (const auto &[feature, expected] : cases) {
        ResetLibraryCaches();
        qzsim::SetFeature("FT_WLAN_SUPPORT_5G_HIGH", feature);
        Guarded g(8);
        EXPECT_EQ(WLAN_GetRadioTypeByInst(3, g.dest(), 8), 0u);
        std::string got = Map({0, 1, 2, 3, 7}, WLAN_ConvertRadioInst) + " " + g.str();
        for (const char *type : {"6g", "5g-2"}) got += " " + std::to_string(WLAN_GetRadioIndexByType(type));
        EXPECT_EQ(got + " " + std::to_string(WLAN_CheckSupport5GHigh()), expected) << feature;
    }
    // Asked once for the life of the process: the feature event does not reach it.
    EXPECT_EQ(qzsim::FeatureQueries("FT_WLAN_SUPPORT_5G_HIGH"), 3u);
    qzsim::ChangeFeature("FT_WLAN_SUPPORT_5G_HIGH", 1);
    EXPECT_EQ(WLAN_CheckSupport5GHigh(), 0u);
}

TEST_F(QueryTest, RadioTypeTextsFitOrFailWithTheCopyCode)
{
    // By instance or by index, the argument, buffer size; the result, the text
    // (null: the buffer is not touched), the last words.
    const std::tuple<bool, uint32_t, uint32_t, uint32_t, const char *, const char *> cases[] = {
        {false, 0, 5, 0, "2.4G", ""},
        {false, 1, 2, 34, "", "wlan_spec 34 2\n"},  // "5G" and its terminator need 3 bytes
        {false, 3, 8, 1, nullptr, "wlan_spec 1 3\n"},
        {true, 2, 8, 0, "5G", ""},
        {true, 4, 8, 1, nullptr, "wlan_spec 1 4\n"},
    };
    for (const auto &[byInst, arg, size, ret, text, words] : cases) {
        SCOPED_TRACE(testing::Message() << byInst << "/" << arg);
        qzsim::ClearRecords();
        Guarded g(size);
        EXPECT_EQ(byInst ? WLAN_GetRadioTypeByInst(arg, g.dest(), size) : WLAN_GetRadioTypeByIndex(arg, g.dest(), size),
                  ret);
        EXPECT_TRUE(text ? g.str() == text : g.Untouched());
        EXPECT_EQ(Words(), words);
    }
    EXPECT_EQ(WLAN_GetRadioTypeByIndex(0, nullptr, 8), 1u);

    // Lookups ignore case and default to the first radio: index and instance.
    std::string got;
    for (const char *type : {"2.4g", "5G", "6G", "11ac", "5G "}) {
        got += std::to_string(WLAN_GetRadioIndexByType(type)) + std::to_string(WLAN_GetRadioInstByType(type)) + " ";
    }
    EXPECT_EQ(got, "01 12 23 01 01 ");
    EXPECT_EQ(WLAN_GetRadioIndexByType(nullptr) + WLAN_GetRadioInstByType(nullptr), 1u);
}

TEST_F(QueryTest, RadioTypeIsValidOnlyForConfiguredRadios)
{
    // Configured radios, the second 5 GHz radio's feature, the text; valid.
    const std::tuple<uint32_t, int32_t, const char *, uint32_t> cases[] = {
        {1, 0, "5G", 0}, {2, 0, "5G", 1}, {7, 0, "6G", 1}, {7, 1, "6G", 0}, {7, 1, "5g-2", 1}, {0, 0, "2.4G", 0}};
    for (const auto &[cfgRadios, high5G, text, valid] : cases) {
        ResetLibraryCaches();
        LoadProfile({{"wlan", {{"cfgRadios", cfgRadios}}}});
        qzsim::SetFeature("FT_WLAN_SUPPORT_5G_HIGH", high5G);
        EXPECT_EQ(WLAN_CheckRadioTypeValid(text), valid) << cfgRadios << "/" << text;
    }
    qzsim::ClearRecords();
    EXPECT_EQ(WLAN_CheckRadioTypeValid(nullptr), 0u);
    EXPECT_EQ(Traced(), "");
    (void)WLAN_CheckRadioTypeValid("5G");
    EXPECT_EQ(Traced(), "326 wlan_spec [CAPI]radioType:[5G]\n");
}

}  // namespace
