// The diagnostic handlers end to end through WLAN_CliMsgProc: what the
// engineer sees on the console, what reaches the sibling modules, and the
// failures that only leave a last word.
#include <cstring>
#include <string>
#include <vector>

#include "commands_fixture.h"
#include "qz_platform.h"
#include "qz_sim_shell.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"
#include "shell/wlan_debug_internal.h"

namespace {

using cmdtest::CommandsTest;
using qzsim::json;
using qztest::RunLine;

const std::string kRoamUsage = "\r\n[Usage]:wlancmd debug roam {11k|11v} {disable|clear}\r\n\r\n";
const std::string kScnUsage = "\r\n[Usage]:wlancmd debug scn: [Usage]wlancmd debug scn ...}\r\n\r\n";
const std::string kWlUsage = "\r\n[Usage]:wl -i ....\r\n\r\n";
const std::string kRsvdUsage = "\r\n[Usage]:wlancmd debug rsvd: [Usage]wlancmd debug rsvd {0,1,2}\r\n\r\n";
const std::string kTrigUsage = "\r\n[Usage]:wlancmd debug trig: [Usage]wlancmd debug trig\r\n\r\n";
const std::string kRelationUsage =
    "\r\n[Usage]:wlancmd show relation neighbor: [Usage]wlancmd show relation neighbor\r\n\r\n";

TEST_F(CommandsTest, RoamSwitches)
{
    ASSERT_EQ(WLAN_CMD_RoamDebugFunc(0, 0), 0u);
    ASSERT_EQ(WLAN_CMD_RoamDebugFunc(1, 0), 0u);
    struct Case {
        const char *line;
        std::string console;
        uint32_t flag11k, flag11v;
        size_t lastWords;
    } cases[] = {
        {"debug roam 11K DISABLE", "\r\ng_wlanRoamVal para 0, val disable.\r\n", 1, 0, 0},
        {"debug roam 11v disable", "\r\ng_wlanRoamVal para 1, val disable.\r\n", 1, 1, 0},
        {"debug roam 11v clear", "\r\ng_wlanRoamVal para 1, val clear.\r\n", 1, 0, 0},
        {"debug roam foo disable", kRoamUsage, 1, 0, 1},  // index 2: refused by the setter
        {"debug roam 11k", "\r\nwlancmd debug roam {11k|11v} {disable|clear} \r\n" + kRoamUsage, 1, 0, 1},
        {"debug roam 11k maybe", kRoamUsage, 1, 0, 0},  // unknown value: no last word
        {"debug roam 11k clear extra", "\r\ng_wlanRoamVal para 0, val clear.\r\n", 0, 0, 0},
    };
    for (const auto &c : cases) {
        qzsim::ClearRecords();
        EXPECT_EQ(RunLine(c.line), c.console) << c.line;
        EXPECT_EQ(WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11K), c.flag11k) << c.line;
        EXPECT_EQ(WRRM_DfxiIsRoamDisable(WLAN_ROAM_DEBUG_11V), c.flag11v) << c.line;
        EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), c.lastWords) << c.line;
    }
    qzsim::ClearRecords();
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(2), 0u);
    EXPECT_EQ(WLAN_CMD_RoamDebugFunc(2, 1), 1u);
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), 2u);
    // Only the low byte is kept: 256 clears the switch.
    EXPECT_EQ(WLAN_CMD_RoamDebugFunc(0, 256), 0u);
    EXPECT_EQ(WRRM_DfxiIsRoamDisable(0), 0u);
}

TEST_F(CommandsTest, ScnSubHandlers)
{
    Load({{"stations", {{{"ssid", 0}, {"mac", "aa:bb:cc:dd:ee:01"}, {"rssi", -41}}}},
          {"roaming",
           {{"candidates", {{{"ap", 2}, {"rssi", -55}}}},
            {"log", {"roam aa:bb:cc:dd:ee:01 ap1 -> ap2"}},
            {"friends", {{{"mac", "AA:BB:CC:DD:EE:FF"}, {"offlineOrder", 7}}}}}}});
    struct Case {
        const char *line;
        std::string console;
    } cases[] = {
        {"debug scn show sta", "scn online sta:\r\n  aa:bb:cc:dd:ee:01 ssid 0 rssi -41\r\n"},
        {"debug scn show ap", "scn candidate ap:\r\n  ap 2 rssi -55\r\n"},
        {"debug scn show log", "scn roam log:\r\n  roam aa:bb:cc:dd:ee:01 ap1 -> ap2\r\n"},
        {"debug scn SHOW friend_sta",
         "=================================friend sta info=================================\n"
         "num 1 index 0, mac AA:BB:CC:DD:**:** offline_order 7 \n"},
        {"debug scn show STA", kScnUsage},  // display names are case-sensitive
        {"debug scn show sta extra", kScnUsage},
        {"debug scn roam aa:bb:cc:dd:ee:01 3", "manual roam aa:bb:cc:dd:ee:01 to ap 3\r\n"},
        {"debug scn thresh 50", "roam rest packet threshold 50\r\n"},
        {"debug scn dfx on", "scn dfx log on\r\n"},
        {"debug scn", kScnUsage},
    };
    for (const auto &c : cases) EXPECT_EQ(RunLine(c.line), c.console) << c.line;
    EXPECT_EQ(qzsim::LastWords().size(), 0u);

    // "show STA" really falls through: a module sub-handler further down
    // that claims the line ends the walk without the usage line.
    qzsim::FailCall("SCN_ProcDfxLogByCmd", 0);
    EXPECT_EQ(RunLine("debug scn show STA"), "");
}

TEST_F(CommandsTest, ScnAddFriend)
{
    struct Case {
        const char *line;
        std::string console;
        size_t friends;
        size_t lastWords;  // code 1 of wlan_debug
    } cases[] = {
        // The module's answer other than 1 is recorded, success included.
        {"debug scn addFriend 3 aa:bb:cc:dd:ee:01", "", 1, 1},
        {"debug scn addfriend 4 aa:bb:cc:dd:ee:02", "", 2, 1},
        {"debug scn addFriend 5 aa:bb:cc:dd:ee:02", kScnUsage, 2, 0},   // already a friend: answer 1
        {"debug scn addFriend x aa:bb:cc:dd:ee:03", kScnUsage, 2, 1},   // no index
        {"debug scn addFriend 6 aa:bb:cc:dd:ee:033", kScnUsage, 2, 1},  // 18 characters
        {"debug scn addFriend 6", kScnUsage, 2, 0},
    };
    for (const auto &c : cases) {
        qzsim::ClearRecords();
        EXPECT_EQ(RunLine(c.line), c.console) << c.line;
        EXPECT_EQ(qzsim::FriendStations().size(), c.friends) << c.line;
        EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), c.lastWords) << c.line;
    }
    auto friends = qzsim::FriendStations();
    EXPECT_EQ(friends[1].offlineOrder, 4u);
    EXPECT_EQ(friends[1].mac[5], 0x02);
    EXPECT_EQ(RunLine("debug scn show friend_sta"),
              "=================================friend sta info=================================\n"
              "num 2 index 0, mac AA:BB:CC:DD:**:** offline_order 3 \n"
              "num 2 index 1, mac AA:BB:CC:DD:**:** offline_order 4 \n");
}

TEST_F(CommandsTest, FriendStationCounts)
{
    const std::string header = "=================================friend sta info=================================\n";
    struct Case {
        size_t friends;
        size_t lines;  // 0 with no header: nothing printed
        bool header;
    } cases[] = {{0, 0, true}, {32, 32, true}, {33, 0, false}};
    for (const auto &c : cases) {
        json friends = json::array();
        for (size_t i = 0; i < c.friends; i++) {
            friends.push_back({{"mac", cmdtest::Mac(0x020000000100, i)}, {"offlineOrder", i}});
        }
        Load({{"roaming", {{"friends", friends}}}});
        std::string out = RunLine("debug scn show friend_sta");
        EXPECT_EQ(out.rfind(header, 0) == 0, c.header) << c.friends;
        EXPECT_EQ(cmdtest::Count(out, "offline_order"), c.lines) << c.friends;
        EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), c.header ? 0u : 1u) << c.friends;
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

TEST_F(CommandsTest, ReservedEventAndRadarTrigger)
{
    g_events.clear();
    ASSERT_EQ(EventCenter_SubscribeEvent(29776, OnRsvd), 0u);
    struct Case {
        const char *line;
        std::string console;
        std::vector<uint32_t> events;
    } cases[] = {
        {"debug rsvd 2", "", {2}},
        {"debug rsvd abc", "", {0}},  // not a number: 0 is sent
        {"debug rsvd 7 x", "", {7}},  // not limited to 0, 1, 2
        {"debug rsvd", kRsvdUsage, {}},
    };
    for (const auto &c : cases) {
        g_events.clear();
        EXPECT_EQ(RunLine(c.line), c.console) << c.line;
        EXPECT_EQ(g_events, c.events) << c.line;
    }

    qzsim::ClearRecords();
    EXPECT_EQ(RunLine("debug trig"), "report: radar detection simulated (0)\r\n");
    EXPECT_EQ(qzsim::RadarTriggers(), 1u);
    qzsim::FailCall("Report.RadarTrigger", 9);
    EXPECT_EQ(RunLine("debug trig"), kTrigUsage);
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 9), 1u);
    qzsim::RemoveHookEntry(qzsim::HookTable::Report, QZ_REPORT_HOOK_RADAR_TRIGGER);
    EXPECT_EQ(RunLine("debug trig"), kTrigUsage);
    qzsim::RemoveHookTable(qzsim::HookTable::Report);
    EXPECT_EQ(RunLine("debug trig"), kTrigUsage);
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), 2u);
    EXPECT_EQ(qzsim::RadarTriggers(), 1u);
}

TEST_F(CommandsTest, TopologyDump)
{
    Load({{"topology", "gateway\r\n  ap1 (5G, -52)\r\n"}});
    EXPECT_EQ(RunLine("show topo"), "gateway\r\n  ap1 (5G, -52)\r\n");
    auto calls = qzsim::RpcCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].msgNo, 0x48600C02u);
    EXPECT_EQ(calls[0].timeoutMs, 10000u);
    EXPECT_EQ(calls[0].requestLen, 4u);
    EXPECT_EQ(calls[0].answerSize, 174080u);

    // A text that fills the whole answer is cut at its last byte, not read past.
    qzsim::SetTopologyText(std::string(174080 + 16, 't'));
    EXPECT_EQ(RunLine("show topo"), std::string(174079, 't'));

    qzsim::FailCall("QZ_MSG_RpcCall", 0x3A);
    EXPECT_EQ(RunLine("show topo"), "\r\n[Usage]:wlancmd show topo: get topo info.\r\n\r\n");
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 0x3A), 1u);
    size_t live = qzsim::LiveBlocks();
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_CMD_ShowTopo(2, nullptr), 1u);
    EXPECT_EQ(qzsim::LiveBlocks(), live);
}

TEST_F(CommandsTest, MasterView)
{
    Load({{"master", "master: gateway, 3 APs online\r\n"}});
    EXPECT_EQ(RunLine("master show"), "master: gateway, 3 APs online\r\n");
    qzsim::FailCall("Zarvo.MasterShow", 0x21);
    EXPECT_EQ(RunLine("master show all"), "\r\n[Usage]:wlancmd master show: show master process info ...}\r\n\r\n");
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 0x21), 1u);
    // A missing hook is no failure and prints nothing.
    qzsim::RemoveHookEntry(qzsim::HookTable::Zarvo, QZ_ZARVO_HOOK_MASTER_SHOW);
    EXPECT_EQ(RunLine("master show"), "");
    qzsim::RemoveHookTable(qzsim::HookTable::Zarvo);
    EXPECT_EQ(RunLine("master show"), "");
}

TEST_F(CommandsTest, SiblingModuleHandlers)
{
    const std::string apUsage =
        "\r\n[Usage]:wlancmd debug ap: [Usage]wlancmd debug ap {on|off|log|bssid 505D.. staidx 12}\r\n\r\n";
    const std::string scenUsage = "\r\n[Usage]:wlancmd scen help|get|auto|fix {scen}\n\r\n";
    struct Case {
        const char *line;
        std::string console;
    } cases[] = {
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
    };
    for (const auto &c : cases) EXPECT_EQ(RunLine(c.line), c.console) << c.line;
}

json Relations()
{
    return {{"apInstances", {2, 5}},
            {"neighbors",
             {{"0", {{{"inst", 2}, {"rssi", -109}}, {{"inst", 5}, {"rssi", -110}}, {{"inst", 9}, {"rssi", -40}}}},
              {"2", {{{"inst", 0}, {"rssi", -50}}, {{"inst", 4294967295u}, {"rssi", -30}}}},
              {"7", {{{"inst", 0}, {"rssi", -60}}}}}}};
}

TEST_F(CommandsTest, RelationTable)
{
    Load({{"relations", Relations()}});
    const std::string header = "apinst    neighbor inst(rssi)\n";
    EXPECT_EQ(RunLine("show relation neighbor"), header + "0         2(-109),9(-40),\n2         0(-50),\n5         \n");
    auto calls = qzsim::RpcCalls();
    ASSERT_EQ(calls.size(), 2u);
    for (const auto &call : calls) {
        EXPECT_EQ(call.timeoutMs, 5000u);
        EXPECT_EQ(call.target, "wifi");
        EXPECT_EQ(call.caller, "wifi_srv");
        EXPECT_EQ(call.requestLen, 0u);
    }
    EXPECT_EQ(calls[0].msgNo, 0x47310024u);
    EXPECT_EQ(calls[0].answerSize, 132u);
    EXPECT_EQ(calls[1].msgNo, 0x4731004Au);
    EXPECT_EQ(calls[1].answerSize, 2277u);

    // Instance 0 is shown even when the list is empty.
    Load({{"relations", {{"neighbors", {{"0", {{{"inst", 3}, {"rssi", -70}}}}}}}}});
    EXPECT_EQ(RunLine("show relation neighbor"), header + "0         3(-70),\n");
    EXPECT_EQ(WLAN_DisplayRelationNeighbor(), 0u);
    EXPECT_EQ(qzsim::TakeConsole(), "\n" + header + "0         3(-70),\n");
}

TEST_F(CommandsTest, RelationTableFailures)
{
    struct Case {
        const char *what;
        json relations;
        const char *faultName;
        long long code;
        int skip;
        std::string procName;
        uint32_t lastWordCode;
    } cases[] = {
        {"count 33", {{"count", 33}}, "", 0, 0, "wifi_srv", 1},
        {"instance list call fails", {}, "QZ_MSG_RpcCall", 0x51, 0, "wifi_srv", 1},
        {"records call fails", {}, "QZ_MSG_RpcCall", 0x52, 1, "wifi_srv", 0x52},
        {"no process name", {}, "QZ_MSG_GetCurProcName", 1, 0, "wifi_srv", 0},
        {"process name of 32 characters", {}, "", 0, 0, std::string(32, 'p'), 0},
    };
    for (const auto &c : cases) {
        Load({{"relations", c.relations.is_null() ? json::object() : c.relations}});
        size_t live = qzsim::LiveBlocks();
        qzsim::SetCurProcName(c.procName);
        if (*c.faultName != '\0') qzsim::FailCall(c.faultName, c.code, c.skip);
        EXPECT_EQ(RunLine("show relation neighbor"), kRelationUsage) << c.what;
        if (c.lastWordCode != 0) {
            EXPECT_EQ(qztest::CountLastWords("wlan_debug", c.lastWordCode), 1u) << c.what;
        }
        EXPECT_EQ(qzsim::LastWords().size(), 1u) << c.what;
        EXPECT_EQ(qzsim::LiveBlocks(), live) << c.what;
        qzsim::ClearFaults();
    }
}

TEST_F(CommandsTest, ApInstanceList)
{
    struct Case {
        uint32_t count;
        std::vector<uint32_t> instances;
        uint32_t instance;
        uint32_t expected;
    } cases[] = {
        {0, {}, 0, 1},     {40, {}, 0, 1},     {2, {4, 9}, 9, 1}, {2, {4, 9}, 5, 0},
        {1, {4, 9}, 9, 0}, {33, {4, 9}, 4, 0}, {32, {4}, 4, 1},
    };
    for (const auto &c : cases) {
        uint8_t list[QZ_AP_INST_LIST_LEN] = {};
        memcpy(list, &c.count, 4);
        for (size_t i = 0; i < c.instances.size(); i++) memcpy(list + 4 + 4 * i, &c.instances[i], 4);
        EXPECT_EQ(WLAN_IsApInstInList(list, c.instance), c.expected) << c.count << " " << c.instance;
    }
}

TEST_F(CommandsTest, DriverToolStationQueries)
{
    Load({{"stations",
           {{{"ssid", 0}, {"mac", "aa:bb:cc:00:00:01"}, {"rssi", -41}},
            {{"ssid", 2}, {"mac", "aa:bb:cc:00:00:02"}, {"rssi", -62}},
            {{"ssid", 4}, {"mac", "aa:bb:cc:00:00:03"}, {"rssi", -70}}}}});
    const std::string unsupported = "wl: Unsupported\r\n" + kWlUsage;
    struct Case {
        const char *line;
        std::string console;
    } cases[] = {
        {"-i wl0 assoclist", ""},
        {"-i wl1 ASSOCLIST", ""},
        {"-i wl0 rssi AA:BB:CC:00:00:02", "-62\n"},
        {"-i wl1 Rssi aa:bb:cc:00:00:01", "-41\n"},
        {"-i wl0 rssi aa:bb:cc:00:00:03", ""},  // on the second band: not refreshed
        {"-i wl0 rssi", unsupported},
        {"-i wl0 assoclist extra", unsupported},
        {"-i wl0 noise aa:bb:cc:00:00:01", unsupported},
        {"-i", unsupported},
    };
    for (const auto &c : cases) EXPECT_EQ(RunLine(c.line), c.console) << c.line;

    // The interface name is only traced; the refresh always covers VAPs 0 to 3.
    qzsim::ClearRecords();
    (void)RunLine("-i wl1 assoclist");
    size_t traced = 0;
    for (const auto &t : qzsim::Traces()) {
        traced += t.id == 149 && t.text == "WL_INTERFACE_POS:wl1, startIndex: 0, endIndex:4";
    }
    EXPECT_EQ(traced, 1u);
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 0u);
    EXPECT_EQ(qzsim::TakeConsole(), "assoclist aa:bb:cc:00:00:01\nassoclist aa:bb:cc:00:00:02\n");

    qzsim::FailAlloc(1);
    EXPECT_EQ(RunLine("-i wl0 rssi aa:bb:cc:00:00:01"), unsupported);
}

}  // namespace
