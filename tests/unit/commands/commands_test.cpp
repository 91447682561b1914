// The catalogue's groups and switches, and what the handlers do that no
// console shows: the inter-process calls they make, failures that leave only a
// last word, switches and events, results of direct calls, the station
// snapshot behind "-i" and the hidden-node check. Console texts are pinned by
// the catalogue, commands and command-faults sessions.
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "commands_fixture.h"
#include "qz_platform.h"
#include "qz_sim_capture.h"
#include "qz_sim_shell.h"
#include "shell/wlan_debug_internal.h"

namespace {

using cmdtest::CommandsTest;
using cmdtest::Usage;
using qzsim::json;
using qztest::CountLastWords;
using qztest::RunLine;

// The catalogue in registration order, by its words, without its commands
// from `first` to `last` (excluded).
std::string Catalogue(size_t first = 0, size_t last = 0)
{
    std::istringstream all(
        "?,show log,clear log,debug ap,debug scn,debug roam,debug rsvd,debug trig,"
        "show relation neighbor,scen,check node,show xlinkerrlog,clear xlinkerrlog,show apledlog,"
        "clear apledlog,show topo,show vitranslog,master show,-i");
    std::string out;
    size_t i = 0;
    for (std::string words; std::getline(all, words, ','); i++) out += i < first || i >= last ? words + "," : "";
    return out;
}

std::string Registered()
{
    std::string out;
    for (uint32_t i = 0; i < g_stCmdTable.count; i++) {
        const WLAN_DBG_CMD_ENTRY &e = g_stCmdTable.entries[i];
        for (uint32_t k = 0; k < 4 && e.keywords[k][0] != '\0'; k++) out += (k ? " " : "") + std::string(e.keywords[k]);
        out += ",";
    }
    return out;
}

TEST_F(CommandsTest, CatalogueGroupsAndSwitches)
{
    EXPECT_EQ(Registered(), Catalogue());
    for (bool zq : {false, true}) {
        Install(zq, !zq);  // the relation command needs both switches
        EXPECT_EQ(Registered(), Catalogue(8, 9)) << zq;
    }
    // A refused line ends its group, the first group ends the installation;
    // the refusal is reported by the registration and by each installer that
    // passes the failure on.
    struct Refusal {
        const char *keyword;  // refused wherever it is copied
        uint32_t result;
        size_t first, last;  // the catalogue lines left out
        size_t lastWords;
    } cases[] = {
        {"ap", 1, 3, 19, 2},            // lines 1 to 6: nothing after it
        {"trig", 0, 7, 9, 2},           // lines 7 to 9: not examined by the installer
        {"scen", 0, 9, 10, 2},          // line 10: the same
        {"xlinkerrlog", 0, 11, 18, 3},  // lines 11 to 18: reported again by the installer
        {"-i", 1, 18, 19, 3},           // line 19: reported again and answered
    };
    for (const Refusal &c : cases) {
        SCOPED_TRACE(c.keyword);
        Install(true, true);
        g_stCmdTable.count = 0;
        QZSIM_RefuseCopyOf(c.keyword);
        EXPECT_EQ(WLAN_DBG_CmdInstall(), c.result);
        QZSIM_RefuseCopyOf(nullptr);
        EXPECT_EQ(Registered(), Catalogue(c.first, c.last));
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWords);
    }
    // Start-up goes on whatever the installer answers.
    qztest::FreeCommandTable();
    QZSIM_RefuseCopyOf("log");
    EXPECT_EQ(WLAN_DBG_CmdInit(), 0u);
    QZSIM_RefuseCopyOf(nullptr);
    EXPECT_EQ(Registered(), "?,");
}

TEST_F(CommandsTest, InterProcessCallsAndAnswers)
{
    Load({{"topology", "gateway\r\n"},
          {"relations", {{"apInstances", {2}}, {"neighbors", {{"2", {{{"inst", 0}, {"rssi", -50}}}}}}}}});
    qzsim::SetCurProcName("wifi_srv");
    EXPECT_EQ(RunLine("show topo"), "gateway\r\n");
    EXPECT_EQ(WLAN_DisplayRelationNeighbor(), 0u);
    EXPECT_EQ(qzsim::TakeConsole(), "\napinst    neighbor inst(rssi)\n0         \n2         0(-50),\n");
    // Message, timeout, request and answer sizes, caller and target of each call.
    std::string calls;
    for (const auto &c : qzsim::RpcCalls()) {
        char text[160];
        snprintf(text, sizeof(text), "%#x %u %u %u %s>%s\n", c.msgNo, c.timeoutMs, c.requestLen, c.answerSize,
                 c.caller.c_str(), c.target.c_str());
        calls += text;
    }
    EXPECT_EQ(calls,
              "0x48600c02 10000 4 174080 wifi_srv>zarvo\n0x47310024 5000 0 132 wifi_srv>wifi\n"
              "0x4731004a 5000 0 2277 wifi_srv>wifi\n");
    // A text that fills the whole answer is cut at its last byte, not read past.
    qzsim::SetTopologyText(std::string(174080 + 16, 't'));
    EXPECT_EQ(RunLine("show topo"), std::string(174079, 't'));
}

TEST_F(CommandsTest, FailuresThatLeaveALastWord)
{
    const std::string trig = Usage("wlancmd debug trig: [Usage]wlancmd debug trig\r\n");
    const std::string relation = Usage("wlancmd show relation neighbor: [Usage]wlancmd show relation neighbor\r\n");
    using qzsim::HookTable;
    struct Case {
        const char *line;
        void (*arm)();
        std::string console;
        uint32_t lastWordCode;  // 0: no last word
    } cases[] = {
        {"master show all", [] { qzsim::FailCall("Zarvo.MasterShow", 0x21); },
         Usage("wlancmd master show: show master process info ...}\r\n"), 0x21},
        // A missing master hook is no failure and prints nothing.
        {"master show", [] { qzsim::RemoveHookEntry(HookTable::Zarvo, QZ_ZARVO_HOOK_MASTER_SHOW); }, "", 0},
        {"master show", [] { qzsim::RemoveHookTable(HookTable::Zarvo); }, "", 0},
        {"debug trig", [] { qzsim::FailCall("Report.RadarTrigger", 9); }, trig, 9},
        {"debug trig", [] { qzsim::RemoveHookEntry(HookTable::Report, QZ_REPORT_HOOK_RADAR_TRIGGER); }, trig, 1},
        {"debug trig", [] { qzsim::RemoveHookTable(HookTable::Report); }, trig, 1},
        {"show relation neighbor",
         [] {
             CommandsTest::Load({{"relations", {{"count", 33}}}});
         },
         relation, 1},
        {"show relation neighbor", [] { qzsim::SetCurProcName(std::string(32, 'p')); }, relation, 34},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        Load(json::object());
        size_t live = qzsim::LiveBlocks();
        c.arm();
        EXPECT_EQ(RunLine(c.line), c.console);
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWordCode != 0 ? 1u : 0u);
        EXPECT_EQ(CountLastWords("wlan_debug", c.lastWordCode), c.lastWordCode != 0 ? 1u : 0u);
        EXPECT_EQ(qzsim::LiveBlocks(), live);
    }
    EXPECT_EQ(qzsim::RadarTriggers(), 0u);
}

std::vector<uint32_t> g_events;

uint32_t OnRsvd(const void *data, uint32_t len)
{
    uint32_t v = 0xFFFFFFFF;
    if (len == sizeof(v)) memcpy(&v, data, sizeof(v));
    g_events.push_back(v);
    return 0;
}

TEST_F(CommandsTest, SwitchesAndEvents)
{
    // The roam switches live as long as the process; only the low byte is kept.
    ASSERT_EQ(WLAN_CMD_RoamDebugFunc(0, 256) + WLAN_CMD_RoamDebugFunc(1, 0), 0u);
    (void)RunLine("debug roam 11K DISABLE");
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(0) * 10 + WRRM_DfxiIsRoamDisable(1), 10u);
    (void)RunLine("debug roam 11v disable");
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(0) * 10 + WRRM_DfxiIsRoamDisable(1), 11u);
    (void)RunLine("debug roam 11v clear");
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(1), 0u);
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(2), 0u);
    EXPECT_EQ(WLAN_CMD_RoamDebugFunc(2, 1), 1u);
    EXPECT_EQ(CountLastWords("wlan_debug", 1), 2u);
    // Event 29776 carries the word as a number; one that is not a number sends 0.
    ASSERT_EQ(EventCenter_SubscribeEvent(29776, OnRsvd), 0u);
    for (const char *line : {"debug rsvd 2", "debug rsvd abc", "debug rsvd"}) (void)RunLine(line);
    EXPECT_EQ(g_events, (std::vector<uint32_t>{2, 0}));
    // The AP instance list: count, instances, the instance asked, shown.
    const std::tuple<uint32_t, std::vector<uint32_t>, uint32_t, uint32_t> cases[] = {
        {40, {}, 0, 1}, {2, {4, 9}, 9, 1}, {2, {4, 9}, 5, 0}, {1, {4, 9}, 9, 0}, {33, {4, 9}, 4, 0}, {32, {4}, 4, 1}};
    for (const auto &[count, instances, instance, expected] : cases) {
        uint8_t list[132] = {};
        memcpy(list, &count, 4);
        for (size_t i = 0; i < instances.size(); i++) memcpy(list + 4 + 4 * i, &instances[i], 4);
        EXPECT_EQ(WLAN_IsApInstInList(list, instance), expected) << count << " " << instance;
    }
}

// Friend stations added by hand are pinned by the commands session.
TEST_F(CommandsTest, FriendStationsAtMost32)
{
    // A longer list, like a failed query, prints nothing.
    for (size_t n : {32u, 33u}) {
        json friends = json::array();
        for (size_t i = 0; i < n; i++) friends.push_back({{"mac", "02:00:00:00:01:00"}, {"offlineOrder", i}});
        Load({{"roaming", {{"friends", friends}}}});
        ASSERT_EQ(qzsim::FriendStations().size(), n);  // the roaming module keeps them all
        std::string out = RunLine("debug scn show friend_sta");
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), n <= 32 ? 33 : 0) << n;
        EXPECT_EQ(CountLastWords("wlan_debug", 1), n <= 32 ? 0u : 1u) << n;
    }
}

// The associated-station snapshot: limits, gaps and the listing.
std::string StationMac(size_t i)
{
    char mac[18];
    snprintf(mac, sizeof(mac), "02:5a:00:00:%02x:%02x", static_cast<unsigned>(i / 256 % 256),
             static_cast<unsigned>(i % 256));
    return mac;
}

std::string Listing(std::initializer_list<size_t> stations)
{
    std::string out;
    for (size_t i : stations) out += "assoclist " + StationMac(i) + "\n";
    return out;
}

std::string List()
{
    (void)qzsim::TakeConsole();
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 0u);
    return qzsim::TakeConsole();
}

TEST_F(CommandsTest, StationSnapshot)
{
    for (size_t n : {128u, 129u}) {
        SCOPED_TRACE(n);
        json stations = json::array();  // over the SSIDs 0 to 3
        for (size_t i = 0; i < n; i++) stations.push_back({{"ssid", i % 4}, {"mac", StationMac(i)}});
        Load({{"wlan", {{"staNumMax", 64}}}, {"stations", stations}});
        EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), n > 128 ? 1u : 0u);
        EXPECT_EQ(CountLastWords("wlan_log", 1), n > 128 ? 1u : 0u);
        const std::string out = List();
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 128);
        EXPECT_EQ(out.rfind(Listing({0, 4}), 0), 0u);
    }
    // SSID 1 is not configured; SSID 0 has more stations than the limit.
    json stations = json::array();
    for (size_t i : {0, 1, 2, 3, 4}) stations.push_back({{"ssid", 0}, {"mac", StationMac(i)}});
    for (size_t i : {10, 20, 21}) stations.push_back({{"ssid", i / 10}, {"mac", StationMac(i)}});
    Load({{"wlan", {{"staNumMax", 3}, {"ssids", {{{"index", 1}, {"configured", false}}}}}}, {"stations", stations}});
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    EXPECT_EQ(List(), Listing({0, 1, 2, 20, 21}));
    // VAP numbers from 16 on have no per-VAP count: the refresh stops there.
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(15, 20), 0u);
    EXPECT_EQ(List(), "");
    // Without its text buffer the listing prints nothing; without its work
    // record the refresh leaves the table empty.
    ASSERT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 1u);
    EXPECT_EQ(qzsim::TakeConsole(), "");
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 1u);
    EXPECT_EQ(List(), "");
}

// The hidden-node check beyond what the catalogue session shows: the bounds
// of the gateway's map, the results of failed allocations and missing hooks
// of the smart-home link module.
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
