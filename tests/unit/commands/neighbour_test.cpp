// The hidden-node check: the gateway's map from its radios, the satellite
// APs' maps from the smart-home link module, the comparison and the warnings.
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "commands_fixture.h"
#include "qz_platform.h"
#include "qz_sim_shell.h"

namespace {

using cmdtest::CommandsTest;
using qzsim::json;

// The gateway's radios: SSID 0 on channel 6, SSID 8 on channel 36. Its own
// BSSIDs are the defaults 02:00:00:00:0r:0i.
constexpr const char *kN1 = "10:00:00:00:00:01", *kN2 = "10:00:00:00:00:02", *kN3 = "10:00:00:00:00:03",
                     *kH1 = "20:00:00:00:00:01", *kH2 = "20:00:00:00:00:02", *kX = "30:00:00:00:00:01",
                     *kGatewayVap0 = "02:00:00:00:00:00";

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

// kind: "Exposed node" or "Hidden".
std::string Warning(const char *kind, int ap, const char *band, const char *ssid, const char *bssid, int rssi)
{
    return "Warning: find " + std::string(kind) + " for AP" + std::to_string(ap) + "!!! band " + band + " ssid " +
           ssid + " bssid " + bssid + " rssi " + std::to_string(rssi) + "\r\n";
}

// A map as zeroed heap memory (53828 bytes), with guard bytes behind it.
struct GuardedMap {
    WLAN_NEIGH_MAP_S map;
    unsigned char tail[64];
};

// "ssid bssid rssi band channel flag" for each entry.
std::string Entries(const WLAN_NEIGH_MAP_S &map)
{
    std::string out;
    for (uint32_t i = 0; i < map.uiNum && i < 256; i++) {
        const WLAN_NEIGH_ENTRY_S &e = map.astEntry[i];
        out += std::string(e.acSsid) + " " + e.acBssid + " " + e.acRssi + " " + e.acBand + " " +
               std::to_string(e.uiChannel) + " " + std::to_string(e.uiFlag) + "\n";
    }
    return out;
}

TEST_F(CommandsTest, HiddenAndExposedNodes)
{
    Load(Profile());
    size_t live = qzsim::LiveBlocks();
    EXPECT_EQ(qztest::RunLine("check node"),
              Warning("Exposed node", 1, "5G", "n3", kN3, -63) + Warning("Hidden", 1, "2G", "h1", kH1, -45) +
                  Warning("Exposed node", 3, "2G", "n1", kN1, -51) + Warning("Exposed node", 3, "2G", "n2", kN2, -52) +
                  Warning("Exposed node", 3, "5G", "n3", kN3, -63));
    EXPECT_EQ(qzsim::LastWords().size(), 0u);
    EXPECT_EQ(cmdtest::Traced("find ont self bssid " + std::string(kGatewayVap0) + "\r\n"), 1u);
    auto ops = qzsim::OperationLog();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_NE(ops[0].text.find("GetNeighbourApNum"), std::string::npos);
    EXPECT_EQ(qzsim::LiveBlocks(), live);

    // Without the link module's hooks every AP is skipped.
    qzsim::RemoveHookEntry(qzsim::HookTable::Zarvo, QZ_ZARVO_HOOK_GET_AP_SELF_BSSID);
    EXPECT_EQ(qztest::RunLine("check node"), "");
    qzsim::RemoveHookTable(qzsim::HookTable::Zarvo);
    EXPECT_EQ(qztest::RunLine("check node"), "");
}

TEST_F(CommandsTest, GatewayMap)
{
    // Only neighbours on their radio's current channel are kept; the band is the radio's.
    Load({{"wlan", {{"ssids", {{{"index", 0}, {"channel", 14}}}}}},
          {"neighbours",
           {Neighbour(kN1, "on14", 14, -60, 1), Neighbour(kN2, "on13", 13, -61, 1),
            Neighbour(kN3, "on36", 36, -128, 2)}}});
    auto map = std::make_unique<GuardedMap>();
    ASSERT_EQ(WLAN_CMD_GetOntNeighborMap(&map->map), 0u);
    EXPECT_EQ(Entries(map->map), "on14 " + std::string(kN1) + " -60 2G 14 0\non36 " + kN3 + " -128 5G 36 0\n");

    // 128 asked per radio: radios 1 and 2 fill the map, which stops at 256.
    json neighbours = json::array();
    for (int radio = 1; radio <= 3; radio++) {
        for (int i = 0; i < 130; i++) {
            std::string mac = cmdtest::Mac(0x400000000000 + (radio << 8) + i);
            neighbours.push_back(Neighbour(mac.c_str(), "many", radio == 1 ? 6 : 36, -70, radio));
        }
    }
    Load({{"wlan", {{"radios", 3}}}, {"neighbours", neighbours}});
    map = std::make_unique<GuardedMap>();
    ASSERT_EQ(WLAN_CMD_GetOntNeighborMap(&map->map), 0u);
    EXPECT_EQ(map->map.uiNum, 256u);
    EXPECT_STREQ(map->map.astEntry[255].acBssid, "40:00:00:00:02:7f");
    for (int i = 0; i < 64; i++) EXPECT_EQ(map->tail[i], 0) << i;
}

// Map entries written as BSSID letter and channel ("A6 B36"): A, B and C are
// heard by the gateway, X by the AP only, N is no MAC text.
std::vector<std::pair<std::string, uint32_t>> Parse(const std::string &text)
{
    const std::map<char, std::string> bssids = {{'A', kN1}, {'B', kN2}, {'C', kN3}, {'X', kX}, {'N', "not a mac"}};
    std::vector<std::pair<std::string, uint32_t>> out;
    std::istringstream in(text);
    for (std::string w; in >> w;) out.emplace_back(bssids.at(w[0]), std::stoul(w.substr(1)));
    return out;
}

TEST_F(CommandsTest, ApComparisonMarks)
{
    // What, the gateway's map, the AP's map and own BSSIDs, then the gateway
    // entries' flags and the AP entries' channel fields after the comparison.
    const char *cases[][6] = {
        {"an entry compared before is matched by a later gateway entry on another channel", "A6 B36", "X6 B6", "",
         "0 15 ", "0 15 "},
        {"a gateway BSSID that is no MAC text matches nothing", "N6 A6", "A6", "", "0 15 ", "15 "},
        {"the AP's own BSSID is not compared", "A6 B6", "B6", "A0", "15 15 ", "15 "},
        {"another channel is never compared", "A6", "C11 A36", "", "0 ", "11 36 "},
        {"every AP entry meets its own BSSID", "A6 B6 C6", "C6 X6 A6 B6", "", "15 15 15 ", "15 0 15 15 "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c[0]);
        json neighbours = json::array(), own = json::array();
        for (const auto &[bssid, channel] : Parse(c[2]))
            neighbours.push_back(Neighbour(bssid.c_str(), "n", channel, -50));
        for (const auto &entry : Parse(c[3])) own.push_back(entry.first);
        Load({{"aps", {{{"ap", 1}, {"bssids", own}, {"neighbours", neighbours}}}}});
        auto ontMap = std::make_unique<WLAN_NEIGH_MAP_S>(), apMap = std::make_unique<WLAN_NEIGH_MAP_S>();
        for (const auto &[bssid, channel] : Parse(c[1])) {
            WLAN_NEIGH_ENTRY_S &e = ontMap->astEntry[ontMap->uiNum++];
            snprintf(e.acBssid, sizeof(e.acBssid), "%s", bssid.c_str());
            e.uiChannel = channel;
        }
        uint8_t apOwn[WLAN_OWN_BSSID_LIST_LEN] = {};
        ASSERT_EQ(WLAN_CMD_GetApNeighborMap(1, apMap.get(), ontMap.get(), apOwn), 0u);
        std::string flags, marks;
        for (uint32_t g = 0; g < ontMap->uiNum; g++) flags += std::to_string(ontMap->astEntry[g].uiFlag) + " ";
        for (uint32_t p = 0; p < apMap->uiNum && p < 256; p++)
            marks += std::to_string(apMap->astEntry[p].uiChannel) + " ";
        EXPECT_EQ(flags, c[4]);
        EXPECT_EQ(marks, c[5]);
    }
}

TEST_F(CommandsTest, HiddenNodeCheckFailures)
{
    // What, the call that fails (none: an allocation), its skip count or the allocation, the result, warnings shown.
    const std::tuple<const char *, const char *, int, uint32_t, bool> cases[] = {
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
    for (const auto &[what, faultName, nth, result, warnings] : cases) {
        SCOPED_TRACE(what);
        Load(Profile());
        size_t live = qzsim::LiveBlocks();
        *faultName == '\0' ? qzsim::FailAlloc(nth) : qzsim::FailCall(faultName, 0x77, nth, 1);
        EXPECT_EQ(WLAN_CMD_WifiCheckHiddenNode(0, nullptr), result);
        EXPECT_EQ(qzsim::TakeConsole().find("Warning") != std::string::npos, warnings);
        EXPECT_EQ(qzsim::LiveBlocks(), live);
        EXPECT_GE(qzsim::LastWords().size(), 1u);
    }
}

TEST_F(CommandsTest, OwnBssidCheck)
{
    uint8_t list[WLAN_OWN_BSSID_LIST_LEN] = {};
    list[6 * 15 + 5] = 0x0F;  // the last slot: 00:00:00:00:00:0f
    const std::tuple<const char *, uint32_t> cases[] = {
        {"00:00:00:00:00:0F", 0}, {"00:00:00:00:00:00", 0}, {"00:00:00:00:00:10", 1}, {"not a mac", 1}, {"", 1}};
    for (const auto &[bssid, expected] : cases) {
        WLAN_NEIGH_ENTRY_S entry = {};
        snprintf(entry.acBssid, sizeof(entry.acBssid), "%s", bssid);
        uint8_t mac[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(WLAN_CMD_CheckApBssid(&entry, mac, 6, list), expected) << bssid;
        EXPECT_EQ(mac[6], 0xEE) << bssid;  // nothing written past the six bytes
    }
}

}  // namespace
