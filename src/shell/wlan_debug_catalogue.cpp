// The wlancmd catalogue: which commands the shell offers, in registration
// order, grouped as they are installed.
#define WLAN_UNIT_NAME "wlan_debug"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"
#include "wlan_debug_internal.h"
#include "wlan_internal.h"

namespace {

struct CatalogueLine {
    const char *k1;
    const char *k2;
    const char *k3;
    const char *help;
    WLAN_DBG_CMD_HANDLER handler;
};

uint32_t RegisterLine(const CatalogueLine &line)
{
    return WLAN_DBG_RegCmd(line.k1, line.k2, line.k3, nullptr, line.help, line.handler);
}

// Registers lines in order; stops at the first refusal, which is reported.
template <size_t N>
uint32_t RegisterGroup(const CatalogueLine (&lines)[N])
{
    for (size_t i = 0; i < N; i++) {
        if (RegisterLine(lines[i]) != 0) {
            WLAN_LAST_WORD(1, i, N);
            return 1;
        }
    }
    return 0;
}

// Lines 1 to 6.
constexpr CatalogueLine kBaseLines[] = {
    {"?", nullptr, nullptr, nullptr, WLAN_DBG_HelpCmd},
    {"show", "log", nullptr, "wlancmd show log: get wlan log.\r\n", WLAN_CMD_Showlog},
    {"clear", "log", nullptr, "wlancmd clear log: clear wlan log.\r\n", WLAN_CMD_ClearLog},
    {"debug", "ap", nullptr, "wlancmd debug ap: [Usage]wlancmd debug ap {on|off|log|bssid 505D.. staidx 12}\r\n",
     WLAN_CMD_ApDebug},
    {"debug", "scn", nullptr, "wlancmd debug scn: [Usage]wlancmd debug scn ...}\r\n", WLAN_CMD_ScnDebug},
    {"debug", "roam", nullptr, "wlancmd debug roam {11k|11v} {disable|clear}\r\n", WLAN_CMD_RoamDebug},
};

// Lines 7 and 8; line 9 depends on two feature switches.
constexpr CatalogueLine kCapWapLines[] = {
    {"debug", "rsvd", nullptr, "wlancmd debug rsvd: [Usage]wlancmd debug rsvd {0,1,2}\r\n", WLAN_TrigRsvd},
    {"debug", "trig", nullptr, "wlancmd debug trig: [Usage]wlancmd debug trig\r\n", WLAN_TrigRadar},
};
constexpr CatalogueLine kRelationLine = {"show", "relation", "neighbor",
                                         "wlancmd show relation neighbor: [Usage]wlancmd show relation neighbor\r\n",
                                         WLAN_CMD_ShowRelationNeighbor};

// Line 10: its help text ends in "\n" alone.
constexpr CatalogueLine kScenLine = {"scen", nullptr, nullptr, "wlancmd scen help|get|auto|fix {scen}\n",
                                     WLAN_CLI_InstallScene};

// Lines 11 to 18.
constexpr CatalogueLine kPartOneLines[] = {
    {"check", "node", nullptr, "wlancmd check node: check hidden node\r\n", WLAN_CMD_WifiCheckHiddenNode},
    {"show", "xlinkerrlog", nullptr, "wlancmd show xlinkerrlog: get xlink log.\r\n", WLAN_CMD_ShowZarvoErrlog},
    {"clear", "xlinkerrlog", nullptr, "wlancmd clear xlinkerrlog: clear xlink log.\r\n", WLAN_CMD_ClearZarvoErrlog},
    {"show", "apledlog", nullptr, "wlancmd show apledlog: get apled log.\r\n", WLAN_CMD_ShowAPLEDlog},
    {"clear", "apledlog", nullptr, "wlancmd clear apledlog: clear apled log.\r\n", WLAN_CMD_ClearAPLEDLog},
    {"show", "topo", nullptr, "wlancmd show topo: get topo info.\r\n", WLAN_CMD_ShowTopo},
    {"show", "vitranslog", nullptr, "wlancmd show vitranslog: get vitrans debug log.\r\n", WLAN_CMD_ShowVitransLog},
    {"master", "show", nullptr, "wlancmd master show: show master process info ...}\r\n", WLAN_CMD_MasterShow},
};

// Line 19.
constexpr CatalogueLine kWlLine = {"-i", nullptr, nullptr, "wl -i ....\r\n", WLAN_CMD_WlCmd};

// Registers one line; a refusal is reported here as well as by the shell.
uint32_t RegisterOne(const CatalogueLine &line)
{
    if (RegisterLine(line) != 0) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    return 0;
}

}  // namespace

uint32_t WLAN_DBG_RegCapWapCmd(void)
{
    if (RegisterGroup(kCapWapLines) != 0) {
        return 1;
    }
    // The second switch is asked only when the first is on.
    if (WLAN_FT_QZ_FEATURE_ZQ(0) == 0 || WLAN_FT_FT_WLAN_LARGE_CAPACITY_GATEWAY(0) == 0) {
        return 0;
    }
    return RegisterOne(kRelationLine);
}

uint32_t WLAN_DBG_RegScenCmd(void)
{
    return RegisterOne(kScenLine);
}

uint32_t WLAN_DBG_RegCmdPartOne(void)
{
    return RegisterGroup(kPartOneLines);
}

uint32_t WLAN_DBG_RegWlCmd(void)
{
    return RegisterOne(kWlLine);
}

uint32_t WLAN_DBG_CmdInstall(void)
{
    // The group has reported the refusal: it is this installer's report.
    if (RegisterGroup(kBaseLines) != 0) {
        return 1;
    }
    // A refused entry is reported by the installer; the catalogue goes on.
    (void)WLAN_DBG_RegCapWapCmd();
    (void)WLAN_DBG_RegScenCmd();
    uint32_t ret = WLAN_DBG_RegCmdPartOne();
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
    }
    if (WLAN_DBG_RegWlCmd() != 0) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    return 0;
}
