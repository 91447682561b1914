// The diagnostic handlers end to end through WLAN_CliMsgProc: what the
// engineer sees on the console, what reaches the sibling modules, the
// failures that only leave a last word, and the station snapshot behind "-i".
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "commands_fixture.h"
#include "qz_platform.h"
#include "qz_sim_shell.h"
#include "shell/wlan_debug_internal.h"

namespace {

using cmdtest::CommandsTest;
using cmdtest::Count;
using qzsim::json;
using qztest::RunLine;

// What the dispatcher prints after a handler failed, from its help text.
std::string Usage(const std::string &help)
{
    return "\r\n[Usage]:" + help + "\r\n";
}

const std::string kScnUsage = Usage("wlancmd debug scn: [Usage]wlancmd debug scn ...}\r\n");
const std::string kFriendHeader = "=================================friend sta info=================================\n";
const std::string kRelations =
    "apinst    neighbor inst(rssi)\n0         2(-109),9(-40),\n2         0(-50),\n5         \n";

json Profile()
{
    return {{"stations",
             {{{"ssid", 0}, {"mac", "aa:bb:cc:00:00:01"}, {"rssi", -41}},
              {{"ssid", 1}, {"mac", "AA:BB:CC:00:00:01"}, {"rssi", -77}},  // the same MAC again
              {{"ssid", 2}, {"mac", "aa:bb:cc:00:00:02"}, {"rssi", -62}},
              {{"ssid", 4}, {"mac", "aa:bb:cc:00:00:03"}, {"rssi", -70}}}},
            {"roaming",
             {{"candidates", {{{"ap", 2}, {"rssi", -55}}}},
              {"log", {"roam aa:bb:cc:00:00:01 ap1 -> ap2"}},
              {"friends", {{{"mac", "AA:BB:CC:DD:EE:FF"}, {"offlineOrder", 7}}}}}},
            {"topology", "gateway\r\n  ap1 (5G, -52)\r\n"},
            {"master", "master: gateway, 3 APs online\r\n"},
            // Instance 0 is always shown; 7 is not in the list; -110 dBm and
            // the "no instance" value are left out.
            {"relations",
             {{"apInstances", {2, 5}},
              {"neighbors",
               {{"0", {{{"inst", 2}, {"rssi", -109}}, {{"inst", 5}, {"rssi", -110}}, {{"inst", 9}, {"rssi", -40}}}},
                {"2", {{{"inst", 0}, {"rssi", -50}}, {{"inst", 4294967295u}, {"rssi", -30}}}},
                {"7", {{{"inst", 0}, {"rssi", -60}}}}}}}}};
}

TEST_F(CommandsTest, ConsoleOfEachCommand)
{
    Load(Profile());
    const std::string apUsage =
        Usage("wlancmd debug ap: [Usage]wlancmd debug ap {on|off|log|bssid 505D.. staidx 12}\r\n");
    const std::string scenUsage = Usage("wlancmd scen help|get|auto|fix {scen}\n");
    const std::string unsupported = "wl: Unsupported\r\n" + Usage("wl -i ....\r\n");
    const std::pair<const char *, std::string> cases[] = {
        {"debug scn show sta",
         "scn online sta:\r\n  aa:bb:cc:00:00:01 ssid 0 rssi -41\r\n  AA:BB:CC:00:00:01 ssid 1 rssi -77\r\n"
         "  aa:bb:cc:00:00:02 ssid 2 rssi -62\r\n  aa:bb:cc:00:00:03 ssid 4 rssi -70\r\n"},
        {"debug scn show ap", "scn candidate ap:\r\n  ap 2 rssi -55\r\n"},
        {"debug scn show log", "scn roam log:\r\n  roam aa:bb:cc:00:00:01 ap1 -> ap2\r\n"},
        {"debug scn SHOW friend_sta", kFriendHeader + "num 1 index 0, mac AA:BB:CC:DD:**:** offline_order 7 \n"},
        {"debug scn show STA", kScnUsage},  // display names are case-sensitive
        {"debug scn roam aa:bb:cc:00:00:01 3", "manual roam aa:bb:cc:00:00:01 to ap 3\r\n"},
        {"debug scn thresh 50", "roam rest packet threshold 50\r\n"},
        {"debug scn dfx on", "scn dfx log on\r\n"},
        {"debug scn", kScnUsage},
        {"debug ap on", "ap debug on\r\n"},
        {"debug ap bssid 505D00000001 staidx 12", "watch bssid 505D00000001 staidx 12\r\n"},
        {"debug ap log", "ap debug is on\r\nwatch bssid 505D00000001 staidx 12\r\n"},
        {"debug ap bssid 505D00000001 staidx x", apUsage},
        {"debug ap", apUsage},
        {"scen help", "scenes: home office apartment villa\r\n"},
        {"scen fix Office", "scene office (fixed)\r\n"},
        {"scen get", "scene office (fixed)\r\n"},
        {"scen auto", "scene office (auto)\r\n"},
        {"scen fix castle", scenUsage},
        {"scen", scenUsage},
        {"-i wl0 assoclist", ""},
        {"-i wl1 ASSOCLIST", ""},
        {"-i wl0 rssi AA:BB:CC:00:00:02", "-62\n"},
        {"-i wl1 Rssi AA:BB:CC:00:00:01", "-41\n"},  // the first record of that MAC
        {"-i wl0 rssi aa:bb:cc:00:00:0", ""},
        {"-i wl0 rssi aa:bb:cc:00:00:03", ""},  // on the second band: not refreshed
        {"-i wl0 rssi", unsupported},
        {"-i wl0 assoclist extra", unsupported},
        {"-i wl0 noise aa:bb:cc:00:00:01", unsupported},
        {"-i", unsupported},
        {"master show", "master: gateway, 3 APs online\r\n"},
        {"debug trig", "report: radar detection simulated (0)\r\n"},
        {"show topo", "gateway\r\n  ap1 (5G, -52)\r\n"},
        {"show relation neighbor", kRelations},
    };
    for (const auto &[line, console] : cases) EXPECT_EQ(RunLine(line), console) << line;
    EXPECT_EQ(qzsim::RadarTriggers(), 1u);
    // Message, timeout, request and answer sizes, caller and target of each
    // inter-process call.
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
    EXPECT_EQ(WLAN_DisplayRelationNeighbor(), 0u);
    EXPECT_EQ(qzsim::TakeConsole(), "\n" + kRelations);

    // The interface name is only traced; the refresh always covers VAPs 0 to 3.
    qzsim::ClearRecords();
    (void)RunLine("-i wl1 assoclist");
    EXPECT_EQ(cmdtest::Traced("WL_INTERFACE_POS:wl1, startIndex: 0, endIndex:4"), 1u);
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 0u);
    EXPECT_EQ(qzsim::TakeConsole(),
              "assoclist aa:bb:cc:00:00:01\nassoclist AA:BB:CC:00:00:01\nassoclist aa:bb:cc:00:00:02\n");

    // A text that fills the whole answer is cut at its last byte, not read past.
    qzsim::SetTopologyText(std::string(174080 + 16, 't'));
    EXPECT_EQ(RunLine("show topo"), std::string(174079, 't'));
}

TEST_F(CommandsTest, FailuresEndInTheUsageLine)
{
    const std::string trig = Usage("wlancmd debug trig: [Usage]wlancmd debug trig\r\n");
    const std::string relation = Usage("wlancmd show relation neighbor: [Usage]wlancmd show relation neighbor\r\n");
    // Hooks stay removed for the rest of the test.
    struct Case {
        const char *line;
        void (*arm)();
        std::string console;
        uint32_t lastWordCode;  // 0: no last word
    } cases[] = {
        {"show topo", [] { qzsim::FailCall("QZ_MSG_RpcCall", 0x3A); }, Usage("wlancmd show topo: get topo info.\r\n"),
         0x3A},
        {"master show all", [] { qzsim::FailCall("Zarvo.MasterShow", 0x21); },
         Usage("wlancmd master show: show master process info ...}\r\n"), 0x21},
        // A missing master hook is no failure and prints nothing.
        {"master show", [] { qzsim::RemoveHookEntry(qzsim::HookTable::Zarvo, QZ_ZARVO_HOOK_MASTER_SHOW); }, "", 0},
        {"master show", [] { qzsim::RemoveHookTable(qzsim::HookTable::Zarvo); }, "", 0},
        {"debug trig", [] { qzsim::FailCall("Report.RadarTrigger", 9); }, trig, 9},
        {"debug trig", [] { qzsim::RemoveHookEntry(qzsim::HookTable::Report, QZ_REPORT_HOOK_RADAR_TRIGGER); }, trig, 1},
        {"debug trig", [] { qzsim::RemoveHookTable(qzsim::HookTable::Report); }, trig, 1},
        {"show relation neighbor",
         [] {
             Load({{"relations", {{"count", 33}}}});
         },
         relation, 1},
        {"show relation neighbor", [] { qzsim::FailCall("QZ_MSG_RpcCall", 0x51); }, relation, 1},
        {"show relation neighbor", [] { qzsim::FailCall("QZ_MSG_RpcCall", 0x52, 1); }, relation, 0x52},
        {"show relation neighbor", [] { qzsim::SetCurProcName(std::string(32, 'p')); }, relation, 34},
        // "show STA" falls through every sub-handler: one further down that
        // claims the line ends the walk without the usage line.
        {"debug scn show STA", [] { qzsim::FailCall("SCN_ProcDfxLogByCmd", 0); }, "", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        Load(Profile());
        qzsim::SetCurProcName("wifi_srv");
        size_t live = qzsim::LiveBlocks();
        c.arm();
        EXPECT_EQ(RunLine(c.line), c.console);
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWordCode != 0 ? 1u : 0u);
        EXPECT_EQ(qztest::CountLastWords("wlan_debug", c.lastWordCode), c.lastWordCode != 0 ? 1u : 0u);
        EXPECT_EQ(qzsim::LiveBlocks(), live);
    }
    EXPECT_EQ(qzsim::RadarTriggers(), 0u);
}

TEST_F(CommandsTest, RoamSwitches)
{
    const std::string usage = Usage("wlancmd debug roam {11k|11v} {disable|clear}\r\n");
    // The switches live as long as the process.
    ASSERT_EQ(WLAN_CMD_RoamDebugFunc(0, 0) + WLAN_CMD_RoamDebugFunc(1, 0), 0u);
    // The line, the console, the two switches, last words.
    const std::tuple<const char *, std::string, uint32_t, uint32_t, size_t> cases[] = {
        {"debug roam 11K DISABLE", "\r\ng_wlanRoamVal para 0, val disable.\r\n", 1, 0, 0},
        {"debug roam 11v disable", "\r\ng_wlanRoamVal para 1, val disable.\r\n", 1, 1, 0},
        {"debug roam 11v clear extra", "\r\ng_wlanRoamVal para 1, val clear.\r\n", 1, 0, 0},
        {"debug roam foo disable", usage, 1, 0, 1},  // index 2: refused by the setter
        {"debug roam 11k", "\r\nwlancmd debug roam {11k|11v} {disable|clear} \r\n" + usage, 1, 0, 1},
        {"debug roam 11k maybe", usage, 1, 0, 0},  // unknown value: no last word
    };
    for (const auto &[line, console, flag11k, flag11v, lastWords] : cases) {
        SCOPED_TRACE(line);
        qzsim::ClearRecords();
        EXPECT_EQ(RunLine(line), console);
        EXPECT_EQ(WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11K), flag11k);
        EXPECT_EQ(WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11V), flag11v);
        EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), lastWords);
    }
    qzsim::ClearRecords();
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(2), 0u);
    EXPECT_EQ(WLAN_CMD_RoamDebugFunc(2, 1), 1u);
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), 2u);
    // Only the low byte is kept: 256 clears the switch.
    EXPECT_EQ(WLAN_CMD_RoamDebugFunc(0, 256), 0u);
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(0), 0u);
}

TEST_F(CommandsTest, FriendStations)
{
    // The line, the console, the friends, last words of code 1.
    const std::tuple<const char *, std::string, size_t, size_t> cases[] = {
        // The module's answer other than 1 is recorded, success included.
        {"debug scn addFriend 3 aa:bb:cc:dd:ee:01", "", 1, 1},
        {"debug scn addfriend 4 aa:bb:cc:dd:ee:02", "", 2, 1},
        {"debug scn addFriend 5 aa:bb:cc:dd:ee:02", kScnUsage, 2, 0},   // already a friend: answer 1
        {"debug scn addFriend x aa:bb:cc:dd:ee:03", kScnUsage, 2, 1},   // no index
        {"debug scn addFriend 6 aa:bb:cc:dd:ee:033", kScnUsage, 2, 1},  // 18 characters
        {"debug scn addFriend 6", kScnUsage, 2, 0},
    };
    for (const auto &[line, console, friends, lastWords] : cases) {
        SCOPED_TRACE(line);
        qzsim::ClearRecords();
        EXPECT_EQ(RunLine(line), console);
        EXPECT_EQ(qzsim::FriendStations().size(), friends);
        EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), lastWords);
    }
    EXPECT_EQ(qzsim::FriendStations()[1].mac[5], 0x02);
    EXPECT_EQ(RunLine("debug scn show friend_sta"), kFriendHeader +
                                                        "num 2 index 0, mac AA:BB:CC:DD:**:** offline_order 3 \n"
                                                        "num 2 index 1, mac AA:BB:CC:DD:**:** offline_order 4 \n");

    // At most 32: a longer list, like a failed query, prints nothing.
    for (size_t n : {0u, 32u, 33u}) {
        json friends = json::array();
        for (size_t i = 0; i < n; i++)
            friends.push_back({{"mac", cmdtest::Mac(0x020000000100 + i)}, {"offlineOrder", i}});
        Load({{"roaming", {{"friends", friends}}}});
        std::string out = RunLine("debug scn show friend_sta");
        EXPECT_EQ(out.rfind(kFriendHeader, 0) == 0, n <= 32) << n;
        EXPECT_EQ(Count(out, "offline_order"), n <= 32 ? n : 0) << n;
        EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), n <= 32 ? 0u : 1u) << n;
    }
    qzsim::FailCall("WIFI_SCN_GetFriendStaAll", 5);
    qzsim::ClearRecords();
    SCN_DisplayFriendSta();
    EXPECT_EQ(qzsim::TakeConsole(), "");
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), 1u);
}

std::vector<uint32_t> g_events;

uint32_t OnRsvd(const void *data, uint32_t len)
{
    uint32_t v = 0xFFFFFFFF;
    if (len == sizeof(v)) memcpy(&v, data, sizeof(v));
    g_events.push_back(v);
    return 0;
}

TEST_F(CommandsTest, ReservedEvent)
{
    ASSERT_EQ(EventCenter_SubscribeEvent(29776, OnRsvd), 0u);
    const std::string usage = Usage("wlancmd debug rsvd: [Usage]wlancmd debug rsvd {0,1,2}\r\n");
    // A word that is not a number sends 0.
    const std::tuple<const char *, std::string, std::vector<uint32_t>> cases[] = {
        {"debug rsvd 2", "", {2}}, {"debug rsvd abc", "", {0}}, {"debug rsvd", usage, {}}};
    for (const auto &[line, console, events] : cases) {
        g_events.clear();
        EXPECT_EQ(RunLine(line), console) << line;
        EXPECT_EQ(g_events, events) << line;
    }
}

TEST_F(CommandsTest, ApInstanceList)
{
    const std::tuple<uint32_t, std::vector<uint32_t>, uint32_t, uint32_t> cases[] = {
        {40, {}, 0, 1}, {2, {4, 9}, 9, 1}, {2, {4, 9}, 5, 0}, {1, {4, 9}, 9, 0}, {33, {4, 9}, 4, 0}, {32, {4}, 4, 1}};
    for (const auto &[count, instances, instance, expected] : cases) {
        uint8_t list[QZ_AP_INST_LIST_LEN] = {};
        memcpy(list, &count, 4);
        for (size_t i = 0; i < instances.size(); i++) memcpy(list + 4 + 4 * i, &instances[i], 4);
        EXPECT_EQ(WLAN_IsApInstInList(list, instance), expected) << count << " " << instance;
    }
}

// The simulated modules' histories stay bounded however long a host runs:
// the displays keep the newest 64 lines, the call record the newest 256 calls.
TEST_F(CommandsTest, SiblingHistoriesKeepTheNewestLines)
{
    auto mac = [](uint64_t i) { return cmdtest::Mac(0x02aa00000000 + i); };
    for (uint64_t i = 0; i < 65; i++) {
        (void)RunLine("debug scn roam " + mac(i) + " 1");
        (void)RunLine("debug ap bssid 505D" + std::to_string(i) + " staidx 7");
    }
    const std::string roams = RunLine("debug scn show log"), watches = RunLine("debug ap log");
    EXPECT_EQ(Count(roams, " to ap 1"), 64u);
    EXPECT_EQ(Count(watches, "watch bssid"), 64u);
    EXPECT_EQ(Count(roams, mac(0)) + Count(watches, "bssid 505D0 staidx"), 0u);
    EXPECT_EQ(Count(roams, mac(64)) + Count(watches, "bssid 505D64 staidx"), 2u);
    for (int i = 0; i < 300; i++) (void)RunLine("show topo");
    EXPECT_EQ(qzsim::RpcCalls().size(), 256u);
}

// The associated-station snapshot: refresh limits and gaps, and the listing.
std::string StationMac(size_t i)
{
    return cmdtest::Mac(0x025a00000000 + i);
}

// The listing of the stations StationMac(i) for the given i.
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

TEST_F(CommandsTest, RefreshKeepsAtMost128Stations)
{
    for (size_t n : {0u, 128u, 129u}) {
        SCOPED_TRACE(n);
        // Spread over the SSIDs 0 to 3, each with an RSSI.
        json stations = json::array();
        for (size_t i = 0; i < n; i++)
            stations.push_back({{"ssid", i % 4}, {"mac", StationMac(i)}, {"rssi", -int(i % 90)}});
        Load({{"wlan", {{"staNumMax", 64}}}, {"stations", stations}});
        const uint32_t result = n > 128 ? 1 : 0;
        EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), result);
        EXPECT_EQ(cmdtest::Traced("STA numbers:", true), 1 - result);  // the total, when it is kept
        EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), result);
        std::string out = List();
        EXPECT_EQ(cmdtest::Count(out, "assoclist "), n == 0 ? 0u : 128u);
        EXPECT_EQ(out.rfind(Listing({0, 4}), 0), n > 0 ? 0u : std::string::npos);
    }
}

TEST_F(CommandsTest, RefreshPerVapLimitsAndGaps)
{
    // SSID 1 is not configured; SSID 0 has more stations than the limit.
    json stations = json::array();
    for (size_t i = 0; i < 5; i++) stations.push_back({{"ssid", 0}, {"mac", StationMac(i)}});
    stations.push_back({{"ssid", 1}, {"mac", StationMac(10)}});
    stations.push_back({{"ssid", 2}, {"mac", StationMac(20)}});
    stations.push_back({{"ssid", 2}, {"mac", StationMac(21)}});
    Load({{"wlan", {{"staNumMax", 3}, {"ssids", {{{"index", 1}, {"configured", false}}}}}}, {"stations", stations}});
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    EXPECT_EQ(List(), Listing({0, 1, 2, 20, 21}));

    // A station that cannot be fetched leaves no gap.
    qzsim::ClearRecords();
    qzsim::FailCall("QZ_WLAN_GetIfAssociatedDevice", 0x66, 1, 1);
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 0x66), 1u);
    EXPECT_EQ(List(), Listing({0, 2, 20, 21}));

    // VAP numbers from 16 on have no per-VAP count: the refresh stops there.
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(15, 20), 0u);
    EXPECT_EQ(List(), "");

    // The listing without its copy prints nothing; a refresh without its work
    // record leaves the table empty.
    ASSERT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 0u);
    size_t live = qzsim::LiveBlocks();
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 1u);
    EXPECT_EQ(qzsim::TakeConsole(), "");
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_UpdateWlAssociated(0, 4), 1u);
    EXPECT_EQ(List(), "");
    EXPECT_EQ(qzsim::LiveBlocks(), live);
}

}  // namespace
