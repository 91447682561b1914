// The installed catalogue: order, help texts, the relation command's
// switches and failures that stay inside their group.
#include <string>
#include <vector>

#include "commands_fixture.h"
#include "qz_platform.h"
#include "qz_wlan_shell.h"

namespace {

using cmdtest::CommandsTest;

const std::vector<std::string> kHelpInOrder = {
    "wlancmd show log: get wlan log.\r\n",
    "wlancmd clear log: clear wlan log.\r\n",
    "wlancmd debug ap: [Usage]wlancmd debug ap {on|off|log|bssid 505D.. staidx 12}\r\n",
    "wlancmd debug scn: [Usage]wlancmd debug scn ...}\r\n",
    "wlancmd debug roam {11k|11v} {disable|clear}\r\n",
    "wlancmd debug rsvd: [Usage]wlancmd debug rsvd {0,1,2}\r\n",
    "wlancmd debug trig: [Usage]wlancmd debug trig\r\n",
    "wlancmd show relation neighbor: [Usage]wlancmd show relation neighbor\r\n",
    "wlancmd scen help|get|auto|fix {scen}\n",
    "wlancmd check node: check hidden node\r\n",
    "wlancmd show xlinkerrlog: get xlink log.\r\n",
    "wlancmd clear xlinkerrlog: clear xlink log.\r\n",
    "wlancmd show apledlog: get apled log.\r\n",
    "wlancmd clear apledlog: clear apled log.\r\n",
    "wlancmd show topo: get topo info.\r\n",
    "wlancmd show vitranslog: get vitrans debug log.\r\n",
    "wlancmd master show: show master process info ...}\r\n",
    "wl -i ....\r\n",
};
constexpr size_t kRelationLine = 7;  // index in kHelpInOrder

std::string Help(const std::vector<std::string> &texts)
{
    std::string out = "\r\n---------------- Help --------------\r\n";
    for (const auto &t : texts) out += "[Usage]:" + t + "\r\n\r\n";
    return out;
}

std::vector<std::string> WithoutRelation()
{
    auto texts = kHelpInOrder;
    texts.erase(texts.begin() + kRelationLine);
    return texts;
}

TEST_F(CommandsTest, HelpListsTheCatalogueInOrder)
{
    EXPECT_EQ(g_stCmdTable.count, 19u);
    EXPECT_EQ(qztest::RunLine("?"), Help(kHelpInOrder));
    EXPECT_EQ(qzsim::LastWords().size(), 0u);
}

TEST_F(CommandsTest, RelationCommandNeedsBothSwitches)
{
    struct Case {
        bool zq, large;
    } cases[] = {{false, false}, {false, true}, {true, false}};
    for (const auto &c : cases) {
        Install(c.zq, c.large);
        EXPECT_EQ(g_stCmdTable.count, 18u) << c.zq << c.large;
        EXPECT_EQ(qztest::RunLine("?"), Help(WithoutRelation())) << c.zq << c.large;
        EXPECT_EQ(qztest::RunLine("show relation neighbor"), "Can't find this command.\r\n\r\n");
    }
}

TEST_F(CommandsTest, EveryCatalogueLineIsReachable)
{
    // A line that each handler answers without touching anything it lacks:
    // the dispatcher must not answer "Can't find this command.".
    const char *lines[] = {
        "show log",         "clear log",         "debug ap log",
        "debug scn x",      "debug roam",        "debug rsvd",
        "debug trig",       "scen get",          "check node",
        "show xlinkerrlog", "clear xlinkerrlog", "show apledlog",
        "clear apledlog",   "show topo",         "show vitranslog",
        "master show",      "-i wl0 assoclist",  "show relation neighbor",
    };
    for (const char *line : lines) {
        EXPECT_EQ(qztest::RunLine(line).find("Can't find this command."), std::string::npos) << line;
    }
}

TEST_F(CommandsTest, RefusalInsideAGroupEndsOnlyThatGroup)
{
    // strcpy_s copies each keyword: lines 1 to 11 hold 21 keywords, so the
    // 22nd copy is line 12's first keyword.
    qztest::FreeCommandTable();
    qzsim::FailCall("strcpy_s", 34, 21, 1);
    ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);  // the installer's failure is not its result
    EXPECT_EQ(g_stCmdTable.count, 12u);
    auto texts = kHelpInOrder;
    texts.erase(texts.begin() + 10, texts.begin() + 17);  // lines 12 to 18
    EXPECT_EQ(qztest::RunLine("?"), Help(texts));
    EXPECT_EQ(qztest::RunLine("master show"), "Can't find this command.\r\n\r\n");
    EXPECT_EQ(qztest::RunLine("-i wl0 rssi"), "wl: Unsupported\r\n\r\n[Usage]:wl -i ....\r\n\r\n");
}

TEST_F(CommandsTest, InstallerResultReportsEachKindOfFailure)
{
    struct Case {
        const char *what;
        int skip;  // strcpy_s copies before the failing one
        uint32_t installResult;
        uint32_t count;
    } cases[] = {
        {"line 2 (base group): nothing after it", 1, 1, 1},
        {"line 7 (cap-wap group): 8 and 9 left out", 11, 0, 16},
        {"line 10 (scen)", 18, 0, 18},
        {"line 19 (-i)", 35, 1, 18},
    };
    for (const auto &c : cases) {
        qztest::FreeCommandTable();
        auto *block = static_cast<WLAN_DBG_CMD_ENTRY *>(
            QZ_OS_MemMallocSet(WLAN_DBG_CMD_MAX * sizeof(WLAN_DBG_CMD_ENTRY), __LINE__, "test"));
        g_stCmdTable = WLAN_DBG_CMD_TABLE{0, WLAN_DBG_CMD_MAX, block};
        qzsim::ClearFaults();
        qzsim::FailCall("strcpy_s", 34, c.skip, 1);
        EXPECT_EQ(WLAN_DBG_CmdInstall(), c.installResult) << c.what;
        EXPECT_EQ(g_stCmdTable.count, c.count) << c.what;
    }
}

}  // namespace
