// The hidden-node check beyond what the catalogue session shows: the bounds
// of the gateway's map, the results of failed allocations and missing hooks
// of the smart-home link module.
#include <memory>
#include <string>

#include "commands_fixture.h"
#include "qz_platform.h"
#include "qz_sim_shell.h"

namespace {

using cmdtest::CommandsTest;
using qzsim::json;

TEST_F(CommandsTest, GatewayMapStopsAt256Entries)
{
    // 128 asked per radio: radios 1 and 2 fill the map.
    json neighbours = json::array();
    for (int radio = 1; radio <= 3; radio++) {
        for (int i = 0; i < 130; i++) {
            char mac[18];
            snprintf(mac, sizeof(mac), "40:00:00:00:%02x:%02x", radio, i);
            neighbours.push_back(
                {{"ssid", "n"}, {"bssid", mac}, {"channel", radio == 1 ? 6 : 36}, {"rssi", -70}, {"radio", radio}});
        }
    }
    Load({{"wlan", {{"radios", 3}}}, {"neighbours", neighbours}});
    struct Guarded {
        WLAN_NEIGH_MAP_S map;
        unsigned char tail[64];
    };
    auto map = std::make_unique<Guarded>();  // zero-filled
    ASSERT_EQ(WLAN_CMD_GetOntNeighborMap(&map->map), 0u);
    EXPECT_EQ(map->map.uiNum, 256u);
    EXPECT_STREQ(map->map.astEntry[255].acBssid, "40:00:00:00:02:7f");
    for (unsigned char b : map->tail) EXPECT_EQ(b, 0);
}

TEST_F(CommandsTest, HiddenNodeCheckResults)
{
    // AP 1 names no own BSSIDs, AP 2 hears nobody (skipped).
    auto neighbour = [](const char *ssid, const char *bssid, int rssi) {
        return json{{"ssid", ssid}, {"bssid", bssid}, {"channel", 6}, {"rssi", rssi}};
    };
    Load({{"wlan", {{"ssidPerBand", 8}}},
          {"neighbours", {neighbour("n1", "10:00:00:00:00:01", -51)}},
          {"aps",
           {{{"ap", 1}, {"neighbours", {neighbour("h1", "20:00:00:00:00:01", -45)}}},
            {{"ap", 2}, {"bssids", {"10:00:00:00:00:01"}}}}}});
    const std::string warnings =
        "Warning: find Exposed node for AP1!!! band 2G ssid n1 bssid 10:00:00:00:00:01 rssi -51\r\n"
        "Warning: find Hidden for AP1!!! band 2G ssid h1 bssid 20:00:00:00:00:01 rssi -45\r\n";
    EXPECT_EQ(qztest::RunLine("check node"), warnings);
    // The AP map, then the gateway map not allocated.
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_WifiCheckHiddenNode(0, nullptr), 1u);
    qzsim::FailAlloc(2);
    EXPECT_EQ(WLAN_CMD_WifiCheckHiddenNode(0, nullptr), 0xF7603004u);
    EXPECT_EQ(qzsim::TakeConsole(), "");
    // Without the link module's hooks every AP is skipped.
    qzsim::RemoveHookEntry(qzsim::HookTable::Zarvo, QZ_ZARVO_HOOK_GET_AP_SELF_BSSID);
    EXPECT_EQ(qztest::RunLine("check node"), "");
    qzsim::RemoveHookTable(qzsim::HookTable::Zarvo);
    EXPECT_EQ(qztest::RunLine("check node"), "");
}

}  // namespace
