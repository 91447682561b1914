// Diagnostic wlancmd handlers that live with the shell: topology dump, master
// view, the driver-tool station queries, roaming-module debugging, the roam
// switches and the two triggers. Words are numbered from 0 and read only
// below the word count (the dispatcher has checked words 0 to 3 fit).
#define WLAN_UNIT_NAME "wlan_debug"
#include <atomic>
#include <string.h>

#include "qz_wlan_log.h"
#include "qz_wlan_shell.h"
#include "wlan_debug_internal.h"
#include "wlan_internal.h"

namespace {

constexpr uint32_t kTopoTimeoutMs = 10000;
constexpr uint32_t kTraceWl = 149;
constexpr uint32_t kTraceRsvd = 606;
constexpr uint32_t kTraceRadar = 1016;
constexpr uint32_t kEventRsvd = 29776;
constexpr uint32_t kRoamFlags = 2;
constexpr uint32_t kMacTextLen = WLAN_MAC_STR_LEN;

// Written by the CLI thread, read by the roaming logic's thread: whole bytes,
// relaxed, since nothing else is published with them.
constinit std::atomic<uint8_t> g_wlanRoamVal[kRoamFlags] = {};
static_assert(std::atomic<uint8_t>::is_always_lock_free, "roam flags must be plain bytes");

// Runs sub-handlers in order until one recognises the line (answers 0).
template <size_t N>
uint32_t FirstRecognised(const WLAN_DBG_CMD_HANDLER (&handlers)[N], uint32_t argc, char *argv[])
{
    for (WLAN_DBG_CMD_HANDLER handler : handlers) {
        if (handler(argc, argv) == 0) {
            return 0;
        }
    }
    return 1;
}

bool WordIs(uint32_t argc, char *argv[], uint32_t index, const char *word)
{
    return index < argc && argv[index] != nullptr && QZ_OS_StrCaseCmp(argv[index], word) == 0;
}

uint32_t DisplayFriendSta()
{
    SCN_DisplayFriendSta();
    return 0;
}

struct ScnDisplay {
    const char *name;
    uint32_t (*display)(void);
};

constexpr ScnDisplay kScnDisplays[] = {
    {"sta", SCN_DisplayScnOnlineStaInfo},
    {"ap", SCN_DisplayCandidateApInst},
    {"log", SCN_DisplayRoamLog},
    {"friend_sta", DisplayFriendSta},
};

constexpr WLAN_DBG_CMD_HANDLER kWlHandlers[] = {WLAN_CMD_WlAssocList, WLAN_CMD_WlRssi};

constexpr WLAN_DBG_CMD_HANDLER kScnHandlers[] = {
    WLAN_CMD_ScnDebugPrint, SCN_ManualTriggerRoam,      SCN_SetRoamRestPktThresh,
    SCN_ProcDfxLogByCmd,    WLAN_CMD_ScnDebugAddFriend,
};

// A "-i" sub-command of exactly `words` words whose third word is `sub`
// (any case): refreshes the station table. 1 for other lines.
uint32_t WlRefreshFor(uint32_t argc, char *argv[], uint32_t words, const char *sub)
{
    if (argc != words) {
        WLAN_LAST_WORD(1, argc, 0);
        return 1;
    }
    if (!WordIs(argc, argv, 2, sub)) {
        WLAN_LAST_WORD(1, words, 0);
        return 1;
    }
    uint32_t ret = WLAN_CMD_WlUpdateAssoc(argv);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, words, 0);
        return ret;
    }
    return 0;
}

}  // namespace

uint32_t WLAN_CMD_ShowTopo(uint32_t argc, char *argv[])
{
    (void)argc;
    (void)argv;
    char *answer = static_cast<char *>(WLAN_MALLOC(QZ_TOPO_ANSWER_LEN));
    if (answer == nullptr) {
        WLAN_LAST_WORD(1, QZ_TOPO_ANSWER_LEN, 0);
        return 1;
    }
    QZ_MSG_BLOCK_S block;
    (void)memset_s(&block, sizeof(block), 0, sizeof(block));
    // The prepared block is used whatever the answer.
    (void)QZ_WLAN_InitMsgBlock(&block);
    uint32_t request = 0;
    uint32_t ret = QZ_MSG_RpcCall(&block, QZ_MSG_TOPO_INFO, 0, &request, sizeof(request), answer, QZ_TOPO_ANSWER_LEN,
                                  kTopoTimeoutMs);
    if (ret != 0) {
        WLAN_FREE(answer);
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    // The other process's text may fill the whole buffer.
    answer[QZ_TOPO_ANSWER_LEN - 1] = '\0';
    WLAN_CONSOLE("%s", answer);
    WLAN_FREE(answer);
    return 0;
}

uint32_t WLAN_CMD_MasterShow(uint32_t argc, char *argv[])
{
    QZ_HOOK_FUNC *table = Hook_GetZarvoFunc();
    auto show =
        table == nullptr ? nullptr : reinterpret_cast<QZ_ZARVO_MASTER_SHOW_FN>(table[QZ_ZARVO_HOOK_MASTER_SHOW]);
    if (show == nullptr) {
        return 0;
    }
    uint32_t ret = show(argc, argv);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, argc, 0);
        return ret;
    }
    return 0;
}

uint32_t WLAN_CMD_WlCmd(uint32_t argc, char *argv[])
{
    if (FirstRecognised(kWlHandlers, argc, argv) == 0) {
        return 0;
    }
    WLAN_CONSOLE("wl: Unsupported\r\n");
    return 1;
}

uint32_t WLAN_CMD_WlUpdateAssoc(char *argv[])
{
    uint32_t ssidPerBand = QZ_WLAN_Spec_GetSsidPerBand();
    // The interface name is only traced: the refresh covers the first band's
    // VAPs whatever interface was named.
    QZ_PROC_DBG_TraceN(kTraceWl, WLAN_UNIT_NAME, __LINE__, "WL_INTERFACE_POS:%s, startIndex: %u, endIndex:%u", argv[1],
                       0u, ssidPerBand);
    uint32_t ret = WLAN_CMD_UpdateWlAssociated(0, ssidPerBand);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, ssidPerBand, 0);
        return ret;
    }
    return 0;
}

uint32_t WLAN_CMD_WlAssocList(uint32_t argc, char *argv[])
{
    return WlRefreshFor(argc, argv, 3, "assoclist");
}

uint32_t WLAN_CMD_WlRssi(uint32_t argc, char *argv[])
{
    uint32_t ret = WlRefreshFor(argc, argv, 4, "rssi");
    if (ret != 0) {
        return ret;
    }
    ret = WLAN_CMD_RssiPrintProc(argv[3]);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    return 0;
}

uint32_t WLAN_CMD_ScnDebug(uint32_t argc, char *argv[])
{
    return FirstRecognised(kScnHandlers, argc, argv);
}

uint32_t WLAN_CMD_ScnDebugPrint(uint32_t argc, char *argv[])
{
    if (argc != 4 || !WordIs(argc, argv, 2, "show")) {
        return 1;
    }
    for (const ScnDisplay &display : kScnDisplays) {
        if (QZ_OS_StrCmp(argv[3], display.name) == 0) {
            (void)display.display();
            return 0;
        }
    }
    return 1;
}

void SCN_DisplayFriendSta(void)
{
    auto *list = static_cast<uint8_t *>(WLAN_MALLOC(QZ_SCN_FRIEND_LIST_LEN));
    if (list == nullptr) {
        WLAN_LAST_WORD(1, QZ_SCN_FRIEND_LIST_LEN, 0);
        return;
    }
    uint32_t ret = WIFI_SCN_GetFriendStaAll(list);
    uint32_t count = WLAN_ReadU32(list);
    if (ret != 0 || count > QZ_SCN_FRIEND_MAX) {
        WLAN_LAST_WORD(1, ret, count);
        WLAN_FREE(list);
        return;
    }
    WLAN_CONSOLE("=================================friend sta info=================================\n");
    for (uint32_t i = 0; i < count; i++) {
        const uint8_t *slot = list + sizeof(uint32_t) + QZ_SCN_FRIEND_SLOT_LEN * i;
        const uint8_t *mac = slot + sizeof(uint32_t);
        // The last two MAC bytes stay hidden.
        WLAN_CONSOLE("num %u index %u, mac %02X:%02X:%02X:%02X:**:** offline_order %u \n", count, i, mac[0], mac[1],
                     mac[2], mac[3], WLAN_ReadU32(slot));
    }
    WLAN_FREE(list);
}

uint32_t WLAN_CMD_ScnDebugAddFriend(uint32_t argc, char *argv[])
{
    if (argc != 5 || !WordIs(argc, argv, 2, "addFriend")) {
        return 1;
    }
    uint32_t index = 0;
    if (sscanf_s(argv[3], "%u", &index) != 1) {
        WLAN_LAST_WORD(1, argc, 0);
        return 1;
    }
    // Word 4 was not checked by the dispatcher: it must end inside its slot.
    char mac[kMacTextLen];
    (void)memset_s(mac, sizeof(mac), 0, sizeof(mac));
    if (QZ_OS_StrNLen(argv[4], WLAN_DBG_KEYWORD_LEN) >= WLAN_DBG_KEYWORD_LEN ||
        sscanf_s(argv[4], "%s", mac, static_cast<unsigned>(sizeof(mac))) != 1) {
        WLAN_LAST_WORD(1, index, 0);
        return 1;
    }
    uint32_t ret = FBT_SCN_AddStaFriend(index, mac);
    if (ret == 1) {
        return 1;
    }
    // Every answer but 1 leaves a last word, success (0) too: each friend added by hand is on record.
    WLAN_LAST_WORD(1, ret, index);
    return ret;
}

uint32_t WLAN_CMD_RoamDebug(uint32_t argc, char *argv[])
{
    if (argc <= 3) {
        WLAN_CONSOLE("\r\nwlancmd debug roam {11k|11v} {disable|clear} \r\n");
        WLAN_LAST_WORD(1, argc, 0);
        return 1;
    }
    uint32_t index = 2;
    if (WordIs(argc, argv, 2, "11v")) {
        index = WLAN_ROAM_DEBUG_11V;
    } else if (WordIs(argc, argv, 2, "11k")) {
        index = WLAN_ROAM_DEBUG_11K;
    }
    uint32_t value;
    if (WordIs(argc, argv, 3, "disable")) {
        value = 1;
    } else if (WordIs(argc, argv, 3, "clear")) {
        value = 0;
    } else {
        return 1;
    }
    return WLAN_CMD_RoamDebugFunc(index, value);
}

uint32_t WLAN_CMD_RoamDebugFunc(uint32_t index, uint32_t value)
{
    if (index >= kRoamFlags) {
        WLAN_LAST_WORD(1, index, value);
        return 1;
    }
    g_wlanRoamVal[index].store(static_cast<uint8_t>(value), std::memory_order_relaxed);
    WLAN_CONSOLE("\r\ng_wlanRoamVal para %u, val %s.\r\n", index, value != 0 ? "disable" : "clear");
    return 0;
}

uint32_t WRRM_DfxiIsRoamDisable(uint32_t index)
{
    if (index >= kRoamFlags) {
        WLAN_LAST_WORD(1, index, 0);
        return 0;
    }
    return g_wlanRoamVal[index].load(std::memory_order_relaxed) != 0 ? 1 : 0;
}

uint32_t WLAN_TrigRsvd(uint32_t argc, char *argv[])
{
    if (argc <= 2) {
        WLAN_LAST_WORD(1, argc, 0);
        return 1;
    }
    // A word that is no number sends 0: the conversion's answer is not used.
    uint32_t value = 0;
    (void)QZ_OS_StrToUInt32(argv[2], &value);
    QZ_PROC_DBG_TraceN(kTraceRsvd, WLAN_UNIT_NAME, __LINE__, "WLAN_TrigRsvd rsvd:%u", value);
    (void)EventCenter_GlobalInvokeEvent2(kEventRsvd, &value, sizeof(value));
    return 0;
}

uint32_t WLAN_TrigRadar(uint32_t argc, char *argv[])
{
    (void)argc;
    (void)argv;
    QZ_PROC_DBG_TraceN(kTraceRadar, WLAN_UNIT_NAME, __LINE__, "WLAN_TrigRadar");
    QZ_HOOK_FUNC *table = FBT_REPORT_Hook_GetReportFunc();
    auto trigger =
        table == nullptr ? nullptr : reinterpret_cast<QZ_REPORT_RADAR_TRIGGER_FN>(table[QZ_REPORT_HOOK_RADAR_TRIGGER]);
    if (trigger == nullptr) {
        WLAN_LAST_WORD(1, table == nullptr, 0);
        return 1;
    }
    uint32_t ret = trigger(0);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    return 0;
}
