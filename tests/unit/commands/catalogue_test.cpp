// The installed catalogue: order, help texts, the relation command's
// switches and failures that stay inside their group.
#include <string>
#include <tuple>
#include <vector>

#include "commands_fixture.h"

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

// The help listing without the texts from `first` to `last` (excluded).
std::string Help(size_t first = 0, size_t last = 0)
{
    std::string out = "\r\n---------------- Help --------------\r\n";
    for (size_t i = 0; i < kHelpInOrder.size(); i++) {
        if (i < first || i >= last) out += "[Usage]:" + kHelpInOrder[i] + "\r\n\r\n";
    }
    return out;
}

TEST_F(CommandsTest, HelpListsTheCatalogueInOrder)
{
    EXPECT_EQ(g_stCmdTable.count, 19u);
    EXPECT_EQ(qztest::RunLine("?"), Help());
    EXPECT_EQ(qzsim::LastWords().size(), 0u);
    // The relation command needs both switches.
    for (bool zq : {false, true}) {
        Install(zq, !zq);
        EXPECT_EQ(g_stCmdTable.count, 18u) << zq;
        EXPECT_EQ(qztest::RunLine("?"), Help(kRelationLine, kRelationLine + 1)) << zq;
        EXPECT_EQ(qztest::RunLine("show relation neighbor"), "Can't find this command.\r\n\r\n");
    }
}

TEST_F(CommandsTest, RefusalInsideAGroupEndsOnlyThatGroup)
{
    // What, the strcpy_s copies that succeed before the refused one, the installer's result, the entries, the help
    // texts left out (first to last).
    const std::tuple<const char *, int, uint32_t, uint32_t, size_t, size_t> cases[] = {
        {"line 2 (base group): nothing after it", 1, 1, 1, 0, 18},
        {"line 7 (cap-wap group): 8 and 9 left out", 11, 0, 16, 5, 8},
        {"line 10 (scen)", 18, 0, 18, 8, 9},
        {"line 12: 13 to 18 left out, 19 in", 21, 0, 12, 10, 17},
        {"line 19 (-i)", 35, 1, 18, 17, 18},
    };
    for (const auto &[what, skip, installResult, count, first, last] : cases) {
        SCOPED_TRACE(what);
        Install(true, true);
        g_stCmdTable.count = 0;
        qzsim::FailCall("strcpy_s", 34, skip, 1);
        EXPECT_EQ(WLAN_DBG_CmdInstall(), installResult);
        EXPECT_EQ(g_stCmdTable.count, count);
        EXPECT_EQ(qztest::RunLine("?"), Help(first, last));
    }
    // Start-up goes on whatever the installer answers.
    qztest::FreeCommandTable();
    qzsim::FailCall("strcpy_s", 34, 1, 1);
    EXPECT_EQ(WLAN_DBG_CmdInit(), 0u);
    EXPECT_EQ(g_stCmdTable.count, 1u);
}

}  // namespace
