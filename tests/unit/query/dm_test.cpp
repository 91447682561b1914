// Device-model queries: operator words, region, product name, serial number,
// product capabilities, their caches and the fit-AP mode.
#include <cstring>

#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "query_test.h"

namespace {

using qztest::Guarded;
using qztest::QueryTest;

TEST_F(QueryTest, OperatorWordsCompareIgnoringCase)
{
    struct Case {
        const char *binWord;
        uint32_t cmcc, e8c, a8c;
    } cases[] = {{"cmcc", 1, 0, 0}, {"CMCC2", 0, 0, 0}, {"e8C", 0, 1, 0}, {"A8C", 0, 0, 1}};
    for (const auto &c : cases) {  // read afresh on every call
        LoadProfile({{"device", {{"binWord", c.binWord}}}});
        EXPECT_EQ(WLAN_DM_IsBinWordCmcc(), c.cmcc) << c.binWord;
        EXPECT_EQ(WLAN_DM_IsBinWordE8c(), c.e8c) << c.binWord;
        EXPECT_EQ(WLAN_DM_IsBinWordA8c(), c.a8c) << c.binWord;
    }

    struct CfgCase {
        const char *cfgWord, *word;
        uint32_t match, contained;
    } cfgCases[] = {
        {"CMCC_RMS", "cmcc", 0, 1},
        {"CMCC_RMS", "cmcc_rms", 1, 1},
        {"CMCC_RMS", "", 0, 1},
        {"CMCC_RMS", "CMCC_RMS_X", 0, 0},
        {"", "", 1, 1},
        {"", "cmcc", 0, 0},
    };
    for (const auto &c : cfgCases) {
        SCOPED_TRACE(std::string(c.cfgWord) + "/" + c.word);
        ResetLibraryCaches();
        LoadProfile({{"device", {{"cfgWord", c.cfgWord}}}});
        EXPECT_EQ(WLAN_DM_IsCfgWordMatch(c.word), c.match);
        EXPECT_EQ(WLAN_DM_IsCfgWordContained(c.word), c.contained);
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
    struct Case {
        const char *binWord;
        uint32_t equipMode;
        int32_t ctrg, ubus;
        uint32_t ctrgAndUbus, tianyi;
    } cases[] = {
        {"E8C", 1, 1, 1, 0, 0}, {"E8C", 0, 1, 0, 1, 1},  {"E8C", 0, 0, 1, 1, 1},
        {"E8C", 0, 0, 2, 0, 0}, {"CMCC", 0, 1, 1, 1, 0}, {"e8c", 2, 1, 0, 1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.binWord << c.equipMode << c.ctrg << c.ubus);
        ResetLibraryCaches();
        LoadProfile({{"device", {{"binWord", c.binWord}, {"equipMode", c.equipMode}}},
                     {"features", {{"QZ_TOLP_FEATURE_CTRG", c.ctrg}, {"FT_SMART_UBUS_SUPPORT", c.ubus}}}});
        EXPECT_EQ(WLAN_IsSupportCtrgAndUbus(), c.ctrgAndUbus);
        EXPECT_EQ(WLAN_IsTianyiE8C(), c.tianyi);
    }
    struct AndlinkCase {
        int32_t primary, desk;
        uint32_t andlink;
    } andlinkCases[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {2, 2, 0}};
    for (const auto &c : andlinkCases) {
        ResetLibraryCaches();
        LoadProfile({{"features", {{"FT_ANDLINK_PRIMARY_GW", c.primary}, {"FT_DESKCMCCAP_SUPPORT", c.desk}}}});
        EXPECT_EQ(WLAN_IsSupportAndlink(), c.andlink) << c.primary << c.desk;
    }
}

TEST_F(QueryTest, RegionProductNameAndSerialNumber)
{
    struct Region {
        uint32_t region;
        long long readFault;  // 0: the read succeeds
        uint32_t china;
    } regions[] = {{2, 0, 1}, {1, 0, 0}, {2, 0x1D0000AA, 0}};
    for (const auto &c : regions) {
        qzsim::ClearRecords();
        LoadProfile({{"device", {{"region", c.region}}}});
        if (c.readFault != 0) qzsim::FailCall("QZ_DM_PDGetAttr", c.readFault);
        EXPECT_EQ(WLAN_DM_IsAreaChina(), c.china) << c.region;
        EXPECT_EQ(Words(), c.readFault ? "wlan_dm 486539434 0\n" : "");
    }

    struct Name {
        const char *name;  // "" : the product has none
        uint32_t size, ret;
        const char *text;
    } names[] = {{"QZ-GW-5200", 16, 0, "QZ-GW-5200"}, {"", 4, 0, "ONT"}, {"", 3, 34, ""}};
    for (const auto &c : names) {
        SCOPED_TRACE(testing::Message() << c.name << "/" << c.size);
        qzsim::ClearRecords();
        LoadProfile({{"device", {{"productName", c.name}}}});
        Guarded g(c.size);
        EXPECT_EQ(QZ_WLAN_GetProductName(g.dest(), c.size), c.ret);
        EXPECT_EQ(g.str(), c.text);
        EXPECT_TRUE(g.GuardsIntact());
        EXPECT_EQ(Words(), c.ret ? "wlan_dm 34 3\n" : "");
    }

    struct Serial {
        int32_t apFeature;
        const char *gatewaySn;
        uint32_t size;
        const char *text, *words;
    } serials[] = {
        {0, "QZSN000000000001", 65, "QZSN000000000001", ""},
        {1, "QZSN000000000001", 65, "QZAP000000000001", ""},
        {1, "QZSN000000000001", 10, "", "wlan_dm 34 10 16\n"},  // 16 characters do not fit 10 bytes
        {0, "", 65, "", ""},                                    // no serial number: an empty one
    };
    for (const auto &c : serials) {
        SCOPED_TRACE(testing::Message() << c.apFeature << "/" << c.size);
        ResetLibraryCaches();
        qzsim::ClearRecords();
        LoadProfile({{"device", {{"serialNumber", c.gatewaySn}, {"apSerialNumber", "QZAP000000000001"}}},
                     {"features", {{"QZ_TOLP_FEATURE_AP", c.apFeature}}}});
        Guarded g(c.size);
        WLAN_Get_SN(g.dest(), c.size);
        EXPECT_EQ(g.str(), c.text);
        EXPECT_TRUE(g.GuardsIntact());
        EXPECT_EQ(Words(2), c.words);
    }
}

TEST_F(QueryTest, UplinkPortIsStoredAndTraced)
{
    LoadProfile({{"device", {{"upPortId", 7}}}});
    uint32_t port = 0;
    WLAN_Get_UpPortId(&port);
    EXPECT_EQ(port, 7u);
    auto traces = qzsim::Traces();
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(std::to_string(traces[0].id) + " " + traces[0].file + " " + traces[0].text, "550 wlan_dm PortId:7");
}

TEST_F(QueryTest, ProductCachesAreFilledOnceAndNeverRefreshed)
{
    ASSERT_EQ(WLAN_FT_Init(), 0u);
    LoadProfile({{"device", {{"ssidIndexFor5G", 4}}},
                 {"features", {{"FT_WLAN_START_WITH_NO_CHIP", 1}, {"FT_WLAN_MULTILINK", 1}}}});
    for (int round = 0; round < 2; round++) {
        EXPECT_EQ(WLAN_BponGatewayStartWithNoChip(), 1u);
        EXPECT_EQ(WLAN_DM_IsSupportMultilink(), 1u);
        EXPECT_EQ(WLAN_DM_GetDefault5gInst(), 4u);
        // The event refreshes the accessors, not these caches.
        qzsim::ChangeFeature("FT_WLAN_START_WITH_NO_CHIP", 0);
        qzsim::ChangeFeature("FT_WLAN_MULTILINK", 0);
        LoadProfile({{"device", {{"ssidIndexFor5G", 8}}}});
    }
    EXPECT_EQ(WLAN_FT_FT_WLAN_START_WITH_NO_CHIP(0), 0u);

    // The default 5 GHz instance is 9 on 16-SSID products, whatever the platform says later.
    struct Case {
        int32_t ssid16;
        uint32_t inst;
    } cases[] = {{1, 9}, {0, 4}, {2, 4}};
    for (const auto &c : cases) {
        ResetLibraryCaches();
        LoadProfile({{"device", {{"ssidIndexFor5G", 4}}}, {"features", {{"FT_WLAN_SUPPORT_16SSID", c.ssid16}}}});
        EXPECT_EQ(WLAN_DM_GetDefault5gInst(), c.inst) << c.ssid16;
        LoadProfile({{"device", {{"ssidIndexFor5G", 8}}}});
        EXPECT_EQ(WLAN_DM_GetDefault5gInst(), c.inst) << c.ssid16;
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
