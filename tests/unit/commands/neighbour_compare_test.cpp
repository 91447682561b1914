// The comparison of one AP's map with the gateway's: which entries end up
// marked, when BSSIDs are compared after earlier comparisons changed marks.
#include <cstdlib>
#include <string>
#include <vector>

#include "commands_fixture.h"
#include "qz_wlan_log.h"

namespace {

using cmdtest::CommandsTest;
using qzsim::json;

// A, B and C are heard by the gateway, X by the AP only.
constexpr const char *kA = "10:00:00:00:00:0a", *kB = "10:00:00:00:00:0b", *kC = "10:00:00:00:00:0c",
                     *kX = "20:00:00:00:00:01";

struct Entry {
    const char *bssid;
    uint32_t channel;
};

TEST_F(CommandsTest, ApComparisonMarks)
{
    struct Case {
        const char *what;
        std::vector<Entry> gateway;
        std::vector<Entry> ap;
        std::vector<const char *> apOwn;
        std::vector<uint32_t> gatewayFlags;  // after the comparison
        std::vector<uint32_t> apMarks;       // the AP entries' channel fields
    } cases[] = {
        {"an entry compared before is matched by a later gateway entry on another channel",
         {{kA, 6}, {kB, 36}},
         {{kX, 6}, {kB, 6}},
         {},
         {0, 15},
         {0, 15}},
        {"a gateway BSSID that is no MAC text matches nothing",
         {{"not a mac", 6}, {kA, 6}},
         {{kA, 6}},
         {},
         {0, 15},
         {15}},
        {"the AP's own BSSID is not compared", {{kA, 6}, {kB, 6}}, {{kB, 6}}, {kA}, {15, 15}, {15}},
        {"another channel is never compared", {{kA, 6}}, {{kC, 11}, {kA, 36}}, {}, {0}, {11, 36}},
        {"every AP entry meets its own BSSID",
         {{kA, 6}, {kB, 6}, {kC, 6}},
         {{kC, 6}, {kX, 6}, {kA, 6}, {kB, 6}},
         {},
         {15, 15, 15},
         {15, 0, 15, 15}},
    };
    for (const Case &c : cases) {
        json neighbours = json::array();
        for (const Entry &e : c.ap) {
            neighbours.push_back({{"ssid", "n"}, {"bssid", e.bssid}, {"channel", e.channel}, {"rssi", -50}});
        }
        Load({{"aps", {{{"ap", 1}, {"bssids", c.apOwn}, {"neighbours", neighbours}}}}});
        auto *ontMap = static_cast<WLAN_NEIGH_MAP_S *>(calloc(1, sizeof(WLAN_NEIGH_MAP_S)));
        auto *apMap = static_cast<WLAN_NEIGH_MAP_S *>(calloc(1, sizeof(WLAN_NEIGH_MAP_S)));
        for (size_t g = 0; g < c.gateway.size(); g++) {
            snprintf(ontMap->astEntry[g].acBssid, sizeof(ontMap->astEntry[g].acBssid), "%s", c.gateway[g].bssid);
            ontMap->astEntry[g].uiChannel = c.gateway[g].channel;
        }
        ontMap->uiNum = static_cast<uint32_t>(c.gateway.size());
        uint8_t apOwn[WLAN_OWN_BSSID_LIST_LEN] = {};
        ASSERT_EQ(WLAN_CMD_GetApNeighborMap(1, apMap, ontMap, apOwn), 0u) << c.what;
        ASSERT_EQ(apMap->uiNum, c.ap.size()) << c.what;
        for (size_t g = 0; g < c.gateway.size(); g++) {
            EXPECT_EQ(ontMap->astEntry[g].uiFlag, c.gatewayFlags[g]) << c.what << ", gateway entry " << g;
        }
        for (size_t p = 0; p < c.ap.size(); p++) {
            EXPECT_EQ(apMap->astEntry[p].uiChannel, c.apMarks[p]) << c.what << ", AP entry " << p;
        }
        free(ontMap);
        free(apMap);
    }
}

}  // namespace
