// The wlancmd catalogue: which commands the shell offers, in registration
// order, grouped as they are installed.
#define WLAN_UNIT_NAME "wlan_debug"
#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"
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
};

// Lines 11 to 18.
constexpr CatalogueLine kPartOneLines[] = {
    {"show", "xlinkerrlog", nullptr, "wlancmd show xlinkerrlog: get xlink log.\r\n", WLAN_CMD_ShowZarvoErrlog},
    {"clear", "xlinkerrlog", nullptr, "wlancmd clear xlinkerrlog: clear xlink log.\r\n", WLAN_CMD_ClearZarvoErrlog},
    {"show", "apledlog", nullptr, "wlancmd show apledlog: get apled log.\r\n", WLAN_CMD_ShowAPLEDlog},
    {"clear", "apledlog", nullptr, "wlancmd clear apledlog: clear apled log.\r\n", WLAN_CMD_ClearAPLEDLog},
    {"show", "vitranslog", nullptr, "wlancmd show vitranslog: get vitrans debug log.\r\n", WLAN_CMD_ShowVitransLog},
};

}  // namespace

uint32_t WLAN_DBG_RegCapWapCmd(void)
{
    return 0;
}

uint32_t WLAN_DBG_RegScenCmd(void)
{
    return 0;
}

uint32_t WLAN_DBG_RegCmdPartOne(void)
{
    return RegisterGroup(kPartOneLines);
}

// Line 19.
static uint32_t WLAN_DBG_RegWlCmd(void)
{
    return 0;
}

uint32_t WLAN_DBG_CmdInstall(void)
{
    if (RegisterGroup(kBaseLines) != 0) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
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
