// Device-model queries: operator words, region, product name, serial number,
// product capabilities, their caches and the fit-AP mode.
#include <cstring>
#include <string>
#include <tuple>

#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "query_test.h"

namespace {

using qztest::Guarded;
using qztest::QueryTest;

TEST_F(QueryTest, OperatorWordsCompareIgnoringCase)
{
    // The bin word; whether it is CMCC, E8C, A8C (read afresh on every call).
    const std::pair<const char *, std::string> binWords[] = {
        {"cmcc", "100"}, {"CMCC2", "000"}, {"e8C", "010"}, {"A8C", "001"}};
    for (const auto &[binWord, expected] : binWords) {
        LoadProfile({{"device", {{"binWord", binWord}}}});
        EXPECT_EQ(std::to_string(WLAN_DM_IsBinWordCmcc()) + std::to_string(WLAN_DM_IsBinWordE8c()) +
                      std::to_string(WLAN_DM_IsBinWordA8c()),
                  expected)
            << binWord;
    }

    // The configuration word, the word asked for; whether it matches, whether it is contained.
    const std::tuple<const char *, const char *, uint32_t, uint32_t> cfgWords[] = {{"CMCC_RMS", "cmcc", 0, 1},
                                                                                   {"CMCC_RMS", "cmcc_rms", 1, 1},
                                                                                   {"CMCC_RMS", "CMCC_RMS_X", 0, 0},
                                                                                   {"", "cmcc", 0, 0}};
    for (const auto &[cfgWord, word, match, contained] : cfgWords) {
        ResetLibraryCaches();
        LoadProfile({{"device", {{"cfgWord", cfgWord}}}});
        EXPECT_EQ(WLAN_DM_IsCfgWordMatch(word), match) << cfgWord << "/" << word;
        EXPECT_EQ(WLAN_DM_IsCfgWordContained(word), contained) << cfgWord << "/" << word;
    }
    // The configuration word is cached only once it reads back non-empty.
    ResetLibraryCaches();
    LoadProfile({{"device", {{"cfgWord", ""}}}});
    EXPECT_EQ(WLAN_DM_IsCfgWordMatch("E8C"), 0u);
    LoadProfile({{"device", {{"cfgWord", "E8C"}}}});
    EXPECT_EQ(WLAN_DM_IsCfgWordMatch("e8c"), 1u);  // empty was not cached: read again
    LoadProfile({{"device", {{"cfgWord", "A8C"}}}});
    EXPECT_EQ(WLAN_DM_IsCfgWordMatch("e8c"), 1u);     // now cached
    EXPECT_EQ(WLAN_DM_IsCfgWordContained("a8"), 1u);  // read afresh
}

TEST_F(QueryTest, CapabilitiesFollowFeaturesAndEquipmentMode)
{
    // Bin word, equipment mode, CTRG and UBUS answers; CTRG-and-UBUS, Tianyi E8C.
    const std::tuple<const char *, uint32_t, int32_t, int32_t, std::string> cases[] = {
        {"E8C", 1, 1, 1, "00"}, {"E8C", 0, 0, 1, "11"}, {"CMCC", 0, 1, 1, "10"}, {"e8c", 2, 1, 0, "11"}};
    for (const auto &[binWord, equipMode, ctrg, ubus, expected] : cases) {
        ResetLibraryCaches();
        LoadProfile({{"device", {{"binWord", binWord}, {"equipMode", equipMode}}},
                     {"features", {{"QZ_TOLP_FEATURE_CTRG", ctrg}, {"FT_SMART_UBUS_SUPPORT", ubus}}}});
        EXPECT_EQ(std::to_string(WLAN_IsSupportCtrgAndUbus()) + std::to_string(WLAN_IsTianyiE8C()), expected)
            << binWord << equipMode << ctrg << ubus;
    }
    // Primary gateway and desk AP answers; Andlink.
    const std::tuple<int32_t, int32_t, uint32_t> andlink[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 1}};
    for (const auto &[primary, desk, expected] : andlink) {
        ResetLibraryCaches();
        LoadProfile({{"features", {{"FT_ANDLINK_PRIMARY_GW", primary}, {"FT_DESKCMCCAP_SUPPORT", desk}}}});
        EXPECT_EQ(WLAN_IsSupportAndlink(), expected) << primary << desk;
    }
}

TEST_F(QueryTest, RegionProductNameSerialNumberAndUplinkPort)
{
    // Region, the read's failure code (0: none); China, last words.
    const std::tuple<uint32_t, long long, uint32_t, const char *> regions[] = {
        {2, 0, 1, ""}, {1, 0, 0, ""}, {2, 0x1D0000AA, 0, "wlan_dm 486539434 0\n"}};
    for (const auto &[region, readFault, china, words] : regions) {
        qzsim::ClearRecords();
        LoadProfile({{"device", {{"region", region}}}});
        if (readFault != 0) qzsim::FailCall("QZ_DM_PDGetAttr", readFault);
        EXPECT_EQ(WLAN_DM_IsAreaChina(), china) << region;
        EXPECT_EQ(Words(), words);
    }

    // Product name ("": the product has none), buffer size; result, text.
    const std::tuple<const char *, uint32_t, uint32_t, const char *> names[] = {
        {"QZ-GW-5200", 16, 0, "QZ-GW-5200"}, {"", 4, 0, "ONT"}, {"", 3, 34, ""}};
    for (const auto &[name, size, ret, text] : names) {
        SCOPED_TRACE(testing::Message() << name << "/" << size);
        qzsim::ClearRecords();
        LoadProfile({{"device", {{"productName", name}}}});
        Guarded g(size);
        EXPECT_EQ(QZ_WLAN_GetProductName(g.dest(), size), ret);
        EXPECT_EQ(g.str(), text);
        EXPECT_EQ(Words(), ret ? "wlan_dm 34 3\n" : "");
    }

    // The AP feature, the gateway's serial number, buffer size; text, last words.
    const std::tuple<int32_t, const char *, uint32_t, const char *, const char *> serials[] = {
        {0, "QZSN000000000001", 65, "QZSN000000000001", ""},
        {1, "QZSN000000000001", 65, "QZAP000000000001", ""},
        {1, "QZSN000000000001", 10, "", "wlan_dm 34 10 16\n"},  // 16 characters do not fit 10 bytes
    };
    for (const auto &[apFeature, gatewaySn, size, text, words] : serials) {
        SCOPED_TRACE(testing::Message() << apFeature << "/" << size);
        ResetLibraryCaches();
        qzsim::ClearRecords();
        LoadProfile({{"device", {{"serialNumber", gatewaySn}, {"apSerialNumber", "QZAP000000000001"}}},
                     {"features", {{"QZ_TOLP_FEATURE_AP", apFeature}}}});
        Guarded g(size);
        WLAN_Get_SN(g.dest(), size);
        EXPECT_EQ(g.str(), text);
        EXPECT_EQ(Words(2), words);
    }

    qzsim::ClearRecords();
    LoadProfile({{"device", {{"upPortId", 7}}}});
    uint32_t port = 0;
    WLAN_Get_UpPortId(&port);
    EXPECT_EQ(port, 7u);
    EXPECT_EQ(Traced(), "550 wlan_dm PortId:7\n");
}

TEST_F(QueryTest, ProductCachesAreFilledOnceAndNeverRefreshed)
{
    ASSERT_EQ(WLAN_FT_Init(), 0u);
    LoadProfile({{"device", {{"ssidIndexFor5G", 4}}},
                 {"features", {{"FT_WLAN_START_WITH_NO_CHIP", 1}, {"FT_WLAN_MULTILINK", 1}}}});
    for (int round = 0; round < 2; round++) {
        EXPECT_EQ(std::to_string(WLAN_BponGatewayStartWithNoChip()) + std::to_string(WLAN_DM_IsSupportMultilink()) +
                      std::to_string(WLAN_DM_GetDefault5gInst()),
                  "114");
        // The event refreshes the accessors, not these caches.
        qzsim::ChangeFeature("FT_WLAN_START_WITH_NO_CHIP", 0);
        qzsim::ChangeFeature("FT_WLAN_MULTILINK", 0);
        LoadProfile({{"device", {{"ssidIndexFor5G", 8}}}});
    }
    EXPECT_EQ(WLAN_FT_FT_WLAN_START_WITH_NO_CHIP(0), 0u);

    // The default 5 GHz instance is 9 on 16-SSID products, whatever the platform says later.
    for (const auto &[ssid16, inst] : {std::pair{1, 9u}, {0, 4u}, {2, 4u}}) {
        ResetLibraryCaches();
        LoadProfile({{"device", {{"ssidIndexFor5G", 4}}}, {"features", {{"FT_WLAN_SUPPORT_16SSID", ssid16}}}});
        EXPECT_EQ(WLAN_DM_GetDefault5gInst(), inst) << ssid16;
        LoadProfile({{"device", {{"ssidIndexFor5G", 8}}}});
        EXPECT_EQ(WLAN_DM_GetDefault5gInst(), inst) << ssid16;
    }
    // An answer of -1 is not cached: asked again.
    ResetLibraryCaches();
    qzsim::FailCall("WLAN_GetSsidIndexFor5G", 0xFFFFFFFFLL);
    EXPECT_EQ(WLAN_DM_GetDefault5gInst(), 0xFFFFFFFFu);
    EXPECT_EQ(WLAN_DM_GetDefault5gInst(), 8u);
}

TEST_F(QueryTest, FitApModeIsOnlyModeOneAndIsLogged)
{
    ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
    EXPECT_EQ(WLAN_IsFitApMode(), 0u);  // before any init
    for (uint32_t mode : {1u, 2u, 0u, 1u}) {
        WLAN_FITAP_Init(mode);
        EXPECT_EQ(WLAN_IsFitApMode(), mode == 1 ? 1u : 0u) << mode;
        std::string record = "WLAN fitap init FitApMode " + std::to_string(mode) + "\r\n";
        EXPECT_NE(strstr(g_stWlanLog.acLog, record.c_str()), nullptr) << mode;
    }
}

}  // namespace
