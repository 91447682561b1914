// The hidden-node check: the gateway's map from its radios, the satellite
// APs' maps from the smart-home link module, and the warnings.
#include <string>

#include "commands_fixture.h"
#include "qz_platform.h"
#include "qz_sim_shell.h"
#include "qz_wlan_log.h"

namespace {

using cmdtest::CommandsTest;
using qzsim::json;

// The gateway's radios: SSID 0 on channel 6, SSID 8 on channel 36. Its own
// BSSIDs are the defaults 02:00:00:00:0r:0i.
const char *const kN1 = "10:00:00:00:00:01";
const char *const kN2 = "10:00:00:00:00:02";
const char *const kN3 = "10:00:00:00:00:03";
const char *const kH1 = "20:00:00:00:00:01";
const char *const kH2 = "20:00:00:00:00:02";
const char *const kX = "30:00:00:00:00:01";
const char *const kGatewayVap0 = "02:00:00:00:00:00";

json Neighbour(const char *bssid, const char *ssid, int channel, int rssi, int radio = 0)
{
    json n = {{"ssid", ssid}, {"bssid", bssid}, {"channel", channel}, {"rssi", rssi}};
    if (radio != 0) n["radio"] = radio;
    return n;
}

json Profile()
{
    return {
        {"wlan", {{"ssidPerBand", 8}}},  // 16 SSIDs: every gateway BSSID is there
        {"neighbours",
         {Neighbour(kN1, "n1", 6, -51, 1), Neighbour(kN2, "n2", 6, -52, 1), Neighbour(kX, "far", 11, -80, 1),
          Neighbour(kN3, "n3", 36, -63, 2)}},
        {"aps",
         {
             // Hears N1 like the gateway; N2 is the AP itself; H1 only it
             // hears; H2's channel matches no gateway entry; it hears the
             // gateway's own VAP 0 (mark 0 from the start).
             {{"ap", 1},
              {"bssids", {kN2}},
              {"neighbours",
               {Neighbour(kN1, "n1", 6, -40), Neighbour(kH1, "h1", 6, -45), Neighbour(kH2, "h2", 11, -46),
                Neighbour(kGatewayVap0, "gw", 0, -30)}}},
             // An empty map whose own BSSID is N1: skipped, and its marks
             // must not reach AP 3.
             {{"ap", 2}, {"bssids", {kN1}}},
             {{"ap", 3}, {"neighbours", {Neighbour(kX, "far", 1, -70)}}},
             // Its own BSSID is N3; it hears N1 and N2.
             {{"ap", 5},
              {"bssids", {kN3}},
              {"neighbours", {Neighbour(kN1, "n1", 6, -60), Neighbour(kN2, "n2", 6, -61)}}},
         }},
    };
}

std::string Exposed(int ap, const char *band, const char *ssid, const char *bssid, int rssi)
{
    return "Warning: find Exposed node for AP" + std::to_string(ap) + "!!! band " + band + " ssid " + ssid + " bssid " +
           bssid + " rssi " + std::to_string(rssi) + "\r\n";
}

std::string Hidden(int ap, const char *band, const char *ssid, const char *bssid, int rssi)
{
    return "Warning: find Hidden for AP" + std::to_string(ap) + "!!! band " + band + " ssid " + ssid + " bssid " +
           bssid + " rssi " + std::to_string(rssi) + "\r\n";
}

TEST_F(CommandsTest, HiddenAndExposedNodes)
{
    Load(Profile());
    size_t live = qzsim::LiveBlocks();
    std::string expected = Exposed(1, "5G", "n3", kN3, -63) + Hidden(1, "2G", "h1", kH1, -45) +
                           Exposed(3, "2G", "n1", kN1, -51) + Exposed(3, "2G", "n2", kN2, -52) +
                           Exposed(3, "5G", "n3", kN3, -63);
    EXPECT_EQ(qztest::RunLine("check node"), expected);
    EXPECT_EQ(qzsim::LastWords().size(), 0u);
    size_t ownTraces = 0;
    for (const auto &t : qzsim::Traces())
        ownTraces += t.text == "find ont self bssid " + std::string(kGatewayVap0) + "\r\n";
    EXPECT_EQ(ownTraces, 1u);
    auto ops = qzsim::OperationLog();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_NE(ops[0].text.find("GetNeighbourApNum"), std::string::npos);
    EXPECT_EQ(qzsim::LiveBlocks(), live);
}

TEST_F(CommandsTest, GatewayMapKeepsCurrentChannelAndBands)
{
    json profile = {
        {"wlan", {{"ssids", {{{"index", 0}, {"channel", 14}}}}}},
        {"neighbours",
         {Neighbour(kN1, "on14", 14, -60, 1), Neighbour(kN2, "on13", 13, -61, 1), Neighbour(kN3, "on36", 36, -128, 2)}},
    };
    Load(profile);
    auto *map = static_cast<WLAN_NEIGH_MAP_S *>(calloc(1, sizeof(WLAN_NEIGH_MAP_S)));
    ASSERT_EQ(WLAN_CMD_GetOntNeighborMap(map), 0u);
    ASSERT_EQ(map->uiNum, 2u);
    struct Want {
        const char *ssid, *bssid, *rssi, *band;
        uint32_t channel;
    } want[] = {{"on14", kN1, "-60", "2G", 14}, {"on36", kN3, "-128", "5G", 36}};
    for (size_t i = 0; i < 2; i++) {
        const WLAN_NEIGH_ENTRY_S &e = map->astEntry[i];
        EXPECT_STREQ(e.acSsid, want[i].ssid);
        EXPECT_STREQ(e.acBssid, want[i].bssid);
        EXPECT_STREQ(e.acRssi, want[i].rssi);
        EXPECT_STREQ(e.acBand, want[i].band);
        EXPECT_EQ(e.uiChannel, want[i].channel);
        EXPECT_EQ(e.uiFlag, 0u);
    }
    free(map);
}

TEST_F(CommandsTest, GatewayMapStopsAt256Entries)
{
    json neighbours = json::array();
    for (int radio = 1; radio <= 3; radio++) {
        for (int i = 0; i < 130; i++) {
            std::string mac = cmdtest::Mac(0x400000000000 + (radio << 8), i);
            neighbours.push_back(Neighbour(mac.c_str(), "many", radio == 1 ? 6 : 36, -70, radio));
        }
    }
    Load({{"wlan", {{"radios", 3}}}, {"neighbours", neighbours}});
    auto *map = static_cast<WLAN_NEIGH_MAP_S *>(calloc(1, sizeof(WLAN_NEIGH_MAP_S) + 64));
    ASSERT_EQ(WLAN_CMD_GetOntNeighborMap(map), 0u);
    EXPECT_EQ(map->uiNum, 256u);  // 128 asked per radio: radios 1 and 2 fill it
    EXPECT_STREQ(map->astEntry[255].acBssid, "40:00:00:00:02:7f");
    const auto *tail = reinterpret_cast<const unsigned char *>(map + 1);
    for (int i = 0; i < 64; i++) EXPECT_EQ(tail[i], 0) << i;
    free(map);
}

TEST_F(CommandsTest, HiddenNodeCheckFailures)
{
    struct Case {
        const char *what;
        const char *faultName;  // empty: an allocation fails instead
        int nth;                // skip count, or the allocation
        uint32_t result;
        bool warnings;
    } cases[] = {
        {"AP map not allocated", "", 1, 1, false},
        {"gateway map not allocated", "", 2, 0xF7603004u, false},
        // An empty gateway map: AP entries keep their channels, none is hidden.
        {"channel query fails", "QZ_WLAN_GetCurrentChannel", 0, 0x77, false},
        {"neighbour count fails", "WLAN_GetWifiNeighbor_CliNeighNum", 0, 0x77, false},
        {"second radio's neighbour fails", "WLAN_Adpt_GetNeighborhoodAPInfo", 3, 0x77, true},
        {"an AP's map fails", "Zarvo.GetApNeighborMap", 0, 0, true},
        {"an AP's own BSSIDs fail", "Zarvo.GetApSelfBssid", 0, 0, true},
        {"a gateway BSSID fails", "WLAN_VAP_GetHexBssid", 0, 0, true},
    };
    for (const auto &c : cases) {
        Load(Profile());
        size_t live = qzsim::LiveBlocks();
        if (*c.faultName == '\0') {
            qzsim::FailAlloc(c.nth);
        } else {
            qzsim::FailCall(c.faultName, 0x77, c.nth, 1);
        }
        EXPECT_EQ(WLAN_CMD_WifiCheckHiddenNode(0, nullptr), c.result) << c.what;
        EXPECT_EQ(qzsim::TakeConsole().find("Warning") != std::string::npos, c.warnings) << c.what;
        EXPECT_EQ(qzsim::LiveBlocks(), live) << c.what;
        EXPECT_GE(qzsim::LastWords().size(), 1u) << c.what;
    }
}

TEST_F(CommandsTest, MissingLinkModuleHooksSkipEveryAp)
{
    Load(Profile());
    qzsim::RemoveHookEntry(qzsim::HookTable::Zarvo, QZ_ZARVO_HOOK_GET_AP_SELF_BSSID);
    EXPECT_EQ(qztest::RunLine("check node"), "");
    qzsim::RemoveHookTable(qzsim::HookTable::Zarvo);
    EXPECT_EQ(qztest::RunLine("check node"), "");
}

TEST_F(CommandsTest, OwnBssidCheck)
{
    uint8_t list[WLAN_OWN_BSSID_LIST_LEN] = {};
    list[6 * 15 + 5] = 0x0F;  // the last slot: 00:00:00:00:00:0f
    struct Case {
        const char *bssid;
        uint32_t expected;
    } cases[] = {
        {"00:00:00:00:00:0F", 0}, {"00:00:00:00:00:00", 0}, {"00:00:00:00:00:10", 1}, {"not a mac", 1}, {"", 1},
    };
    for (const auto &c : cases) {
        WLAN_NEIGH_ENTRY_S entry = {};
        snprintf(entry.acBssid, sizeof(entry.acBssid), "%s", c.bssid);
        uint8_t mac[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(WLAN_CMD_CheckApBssid(&entry, mac, 6, list), c.expected) << c.bssid;
        EXPECT_EQ(mac[6], 0xEE) << c.bssid;  // nothing written past the six bytes
    }
}

}  // namespace
