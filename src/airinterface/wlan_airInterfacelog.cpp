// The air-interface log: the sampling timer, the user table with its anchor
// classification, and the record file with its archive. After start-up all of
// it runs in the timer callback, which the timer service never re-enters, so
// the state needs no lock.
#define WLAN_UNIT_NAME "wlan_airInterfacelog"
#include <string.h>

#include "wlan_airinterface_internal.h"
#include "qz_wlan_log.h"
#include "wlan_internal.h"

static_assert(offsetof(WLAN_AIR_USER_S, isAnchor) == 18 && offsetof(WLAN_AIR_USER_S, isOnline) == 19 &&
                  offsetof(WLAN_AIR_USER_S, rssi) == 20 && offsetof(WLAN_AIR_USER_S, powerSave) == 24 &&
                  offsetof(WLAN_AIR_USER_S, txRate) == 28 && offsetof(WLAN_AIR_USER_S, rxRate) == 32 &&
                  offsetof(WLAN_AIR_USER_S, realTimeTxRate) == 40 && offsetof(WLAN_AIR_USER_S, txBytes) == 48 &&
                  offsetof(WLAN_AIR_USER_S, checkCount) == 56 && sizeof(WLAN_AIR_USER_S) == 64,
              "user record: same layout on 32-bit ARM and x86-64");
static_assert(offsetof(WLAN_AIR_USER_LIST_S, users) == 8, "user list layout");
static_assert(sizeof(WLAN_AIR_HEADER) - 1 == 76, "header line");

WLAN_AIR_USER_LIST_S *g_pstAirUserTable;
WLAN_AIR_USER_LIST_S *g_pstAirUserSample;
uint32_t g_airInterfaceTimer;
namespace wlan_air {
uint8_t isExist;
uint32_t lineNum;
}  // namespace wlan_air

#define AIR_TRACE(...) QZ_PROC_DBG_TraceN(544u, WLAN_UNIT_NAME, __LINE__, __VA_ARGS__)

namespace {

constexpr uint32_t kTimerArg1 = 300;
constexpr uint32_t kTimerArg2 = 12;
constexpr uint32_t kMacTailOffset = 9;  // "aa:bb:cc:" precedes the last three octets
constexpr uint32_t kTimeTextLen = 128;
constexpr uint32_t kTimeStructLen = 44;  // the platform's local-time structure on the target
constexpr uint32_t kRateTextLen = 13;
constexpr uint32_t kLineLen = 100;
constexpr uint32_t kOpenAppend = 0x402;  // read-write, append
constexpr uint32_t kOpenMode = 0x1A0;    // 0640
constexpr uint32_t kCreateMode = 0x1A2;  // passed to the platform unchanged
constexpr char kCmdRemoveArchive[] = "rm -rf " WLAN_AIR_ARCHIVE_FILE;
constexpr char kCmdPack[] = "tar -czf " WLAN_AIR_ARCHIVE_FILE " " WLAN_AIR_RECORD_FILE;
constexpr char kCmdKeepHeader[] = "sed -i '1!d' " WLAN_AIR_RECORD_FILE;

const char *MacTail(const char *mac)
{
    return mac + kMacTailOffset;
}

// The timer service calls back without looking at a result.
void AirTimerCallback(void)
{
    (void)WLAN_AirInterfaceTimerProc();
}

void FreeLists(void)
{
    WLAN_FREE(g_pstAirUserTable);
    g_pstAirUserTable = nullptr;
    WLAN_FREE(g_pstAirUserSample);
    g_pstAirUserSample = nullptr;
}

// The adapter's byte count, unaligned in its record. false (reported) when
// the copy fails: the station is then skipped like one whose query failed.
bool ReadTxBytes(const WLAN_STA_STATS *stats, uint64_t *bytes)
{
    *bytes = 0;
    int err = memcpy_s(bytes, sizeof(*bytes), stats->aucTxBytes, sizeof(stats->aucTxBytes));
    if (err != 0) {
        WLAN_LAST_WORD(err, sizeof(stats->aucTxBytes), 0);
        return false;
    }
    return true;
}

constexpr uint32_t kMacLen = sizeof(WLAN_AIR_USER_S{}.userMac);

// The first sample record, in sample order, whose MAC text equals mac, or the
// sample's num. A plain scan is enough: at most 256 x 256 comparisons a cycle,
// and a whole cycle of 256 stations takes about 0.004 % of one x86-64 core at
// the 3-second period (bench_wlan).
uint32_t FindSample(const WLAN_AIR_USER_LIST_S *sample, const char *mac)
{
    for (uint32_t j = 0; j < sample->num; j++) {
        if (QZ_OS_StrNCmp(mac, sample->users[j].userMac, kMacLen) == 0) {
            return j;
        }
    }
    return sample->num;
}

}  // namespace

// ---- Start-up -------------------------------------------------------------

uint32_t WLAN_AirInterfaceStartTimer(void)
{
    if (g_airInterfaceTimer != 0) {
        return 0;
    }
    uint32_t ret = QZ_TIMER_CreateRealTimer(&g_airInterfaceTimer);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    ret = QZ_TIMER_StartRealTimerD(g_airInterfaceTimer, kTimerArg1, kTimerArg2, AirTimerCallback,
                                   "WLAN_SetTimerAirInterface");
    if (ret != 0) {
        // Releasing a timer that never started: nothing more can be done.
        (void)QZ_TIMER_ReleaseRealTimer(g_airInterfaceTimer);
        g_airInterfaceTimer = 0;
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    return 0;
}

uint32_t WLAN_InitAirInterface(void)
{
    g_pstAirUserTable = static_cast<WLAN_AIR_USER_LIST_S *>(WLAN_MALLOC(sizeof(WLAN_AIR_USER_LIST_S)));
    if (g_pstAirUserTable == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        WLAN_DebugLog(0, 4, "WLAN_InitAirInterface fail");
        return 1;
    }
    g_pstAirUserSample = static_cast<WLAN_AIR_USER_LIST_S *>(WLAN_MALLOC(sizeof(WLAN_AIR_USER_LIST_S)));
    if (g_pstAirUserSample == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        FreeLists();
        WLAN_DebugLog(0, 4, "WLAN_InitAirInterface fail");
        return 1;
    }
    uint32_t ret = WLAN_AirInterfaceStartTimer();
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        FreeLists();
        WLAN_DebugLog(0, 4, "WLAN_InitAirInterface fail %u", ret);
        return ret;
    }
    return 0;
}

// ---- One cycle -----------------------------------------------------------

uint32_t WLAN_AirInterfaceTimerProc(void)
{
    (void)memset_s(g_pstAirUserSample, sizeof(*g_pstAirUserSample), 0, sizeof(*g_pstAirUserSample));
    WLAN_AirInterfaceGetUsers(g_pstAirUserSample);
    WLAN_AirInterfaceUpdateUsers(g_pstAirUserSample);
    return WLAN_AirInterfaceWriteUsers();
}

void WLAN_AirInterfaceGetUsers(WLAN_AIR_USER_LIST_S *list)
{
    WLAN_ADPT_STA_INFO sta;
    (void)memset_s(&sta, sizeof(sta), 0, sizeof(sta));
    uint32_t ssidNum = QZ_WLAN_GetSsidNum();
    for (uint32_t s = 0; s < ssidNum; s++) {
        if (WLAN_VAP_IsCfgEmpty(s) != 0) {
            continue;
        }
        uint32_t count = 0;
        uint32_t ret = QZ_WLAN_GetIfAssociatedNum(s, &count);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, s, 0);
            continue;
        }
        // Once the list is full the remaining SSIDs are visited but none of
        // their stations is read.
        for (uint32_t k = 1; k <= count && list->num < WLAN_AIR_USER_MAX; k++) {
            ret = WLAN_ADPT_GetIfAssociatedDevice(s, k, &sta);
            if (ret != 0) {
                WLAN_LAST_WORD(ret, s, k);
                continue;
            }
            if (sta.uiActive == 0) {
                continue;
            }
            ret = WLAN_AirInterfaceGetOneUser(&sta, &list->users[list->num]);
            if (ret != 0) {
                WLAN_LAST_WORD(ret, s, k);
                continue;
            }
            list->num++;
        }
    }
}

uint32_t WLAN_AirInterfaceGetOneUser(const WLAN_ADPT_STA_INFO *sta, WLAN_AIR_USER_S *user)
{
    // The adapter's text is not trusted to be terminated within its field.
    int err = strncpy_s(user->userMac, sizeof(user->userMac), sta->acMac, sizeof(user->userMac) - 1);
    if (err != 0) {
        WLAN_LAST_WORD(err, 0, 0);
        return 1;
    }
    WLAN_STA_STATS stats;
    (void)memset_s(&stats, sizeof(stats), 0, sizeof(stats));
    uint32_t ret = WLAN_GetStaStasByMac(user->userMac, &stats);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    uint64_t txBytes = 0;
    if (!ReadTxBytes(&stats, &txBytes)) return 1;
    user->rssi = sta->cRssi;
    user->powerSave = static_cast<uint8_t>(sta->uiPowerSave);
    user->txRate = sta->uiTxRate;
    user->rxRate = sta->uiRxRate;
    user->txBytes = txBytes;
    // Labelled rxBytes, but the value is txBytes: the trace reads as released.
    AIR_TRACE("userMac xx:xx:xx:%s, rssi %d, powerSave %u, txRate %u, rxRate %u, rxBytes %llu", MacTail(user->userMac),
              user->rssi, user->powerSave, user->txRate, user->rxRate, static_cast<unsigned long long>(user->txBytes));
    return 0;
}

void WLAN_AirInterfaceUpdateUsers(const WLAN_AIR_USER_LIST_S *sample)
{
    uint32_t n = sample->num;
    // An empty sample needs no markers (and a zero-byte block may not exist).
    uint8_t *matched = nullptr;
    if (n != 0) {
        matched = static_cast<uint8_t *>(WLAN_MALLOC(n));
        if (matched == nullptr) {
            WLAN_LAST_WORD(1, n, 0);
            return;
        }
    }
    WLAN_AIR_USER_S *users = g_pstAirUserTable->users;
    for (uint32_t i = 0; i < WLAN_AIR_USER_MAX; i++) {
        if (users[i].isOnline != 1) {
            continue;
        }
        users[i].isOnline = 0;
        uint32_t j = FindSample(sample, users[i].userMac);
        if (j < n) {
            WLAN_AirInterfaceUpdateOneUser(i, &sample->users[j]);
            matched[j] = 1;
        }
        if (users[i].isOnline == 1) {
            WLAN_AirInterfaceUserIdentify(i);
        } else {
            AIR_TRACE("DelUser userMac[xx:xx:xx:%s] index[%u]", MacTail(users[i].userMac), i);
            (void)memset_s(&users[i], sizeof(users[i]), 0, sizeof(users[i]));
        }
    }
    for (uint32_t j = 0; j < n; j++) {
        if (matched[j] == 0) {
            WLAN_AirInterfaceAddUser(&sample->users[j]);
            AIR_TRACE("AddUser loop=%u", j);
        }
    }
    WLAN_FREE(matched);
}

void WLAN_AirInterfaceUpdateOneUser(uint32_t i, const WLAN_AIR_USER_S *user)
{
    WLAN_AIR_USER_S *slot = &g_pstAirUserTable->users[i];
    slot->isOnline = 1;
    slot->rssi = user->rssi;
    slot->txRate = user->txRate;
    slot->rxRate = user->rxRate;
    slot->powerSave = user->powerSave;
    AIR_TRACE("old txBytes[%llu] new txBytes[%llu]", static_cast<unsigned long long>(slot->txBytes),
              static_cast<unsigned long long>(user->txBytes));
    // A counter that went backwards (the station re-associated) gives no
    // rate this cycle and becomes the new reference.
    slot->realTimeTxRate = user->txBytes < slot->txBytes ? 0 : (user->txBytes - slot->txBytes) / WLAN_AIR_RATE_DIVISOR;
    slot->txBytes = user->txBytes;
    AIR_TRACE("realTimeTxRate[%llu]", static_cast<unsigned long long>(slot->realTimeTxRate));
}

void WLAN_AirInterfaceAddUser(const WLAN_AIR_USER_S *user)
{
    WLAN_AIR_USER_S *users = g_pstAirUserTable->users;
    uint32_t i = 0;
    while (i < WLAN_AIR_USER_MAX && users[i].isOnline != 0) {
        i++;
    }
    if (i < WLAN_AIR_USER_MAX) {
        int err = strncpy_s(users[i].userMac, sizeof(users[i].userMac), user->userMac, sizeof(users[i].userMac) - 1);
        if (err != 0) {
            WLAN_LAST_WORD(err, i, 0);
            return;
        }
        users[i].checkCount = 0;
        users[i].isAnchor = 0;
        users[i].isOnline = 1;
        users[i].rssi = user->rssi;
        users[i].powerSave = user->powerSave;
        users[i].txRate = user->txRate;
        users[i].rxRate = user->rxRate;
        users[i].txBytes = user->txBytes;
        users[i].realTimeTxRate = 0;
    }
    AIR_TRACE("AddUser userMac xx:xx:xx:%s, rssi %d, txRate %u, rxRate %u, powerSave=%u index %u",
              MacTail(user->userMac), user->rssi, user->txRate, user->rxRate, user->powerSave, i);
}

void WLAN_AirInterfaceUserIdentify(uint32_t i)
{
    WLAN_AIR_USER_S *slot = &g_pstAirUserTable->users[i];
    bool heavy = slot->realTimeTxRate > WLAN_AIR_RATE_THRESHOLD;
    if (slot->isAnchor == 0) {
        if (!heavy) {
            slot->checkCount = 0;
        } else if (++slot->checkCount >= WLAN_AIR_ANCHOR_CYCLES) {
            slot->isAnchor = 1;
            slot->checkCount = WLAN_AIR_ANCHOR_CYCLES;
        }
    } else if (heavy) {
        slot->checkCount = WLAN_AIR_ANCHOR_CYCLES;
    } else if (slot->checkCount == 0 || --slot->checkCount == 0) {
        slot->checkCount = 0;
        slot->isAnchor = 0;
    }
    AIR_TRACE("UserIdentify userMac xx:xx:xx:%s, checkCount=%u, isAnchor=%u", MacTail(slot->userMac), slot->checkCount,
              slot->isAnchor);
}

// ---- Record file and archive ---------------------------------------------

uint32_t WLAN_AirInterfaceWriteUsers(void)
{
    // The platform's local-time structure is 44 bytes on the target; the
    // buffer is cleared over whichever is larger here.
    union {
        struct tm tm;
        uint8_t raw[kTimeStructLen];
    } when;
    char timeText[kTimeTextLen];
    (void)memset_s(&when, sizeof(when), 0, sizeof(when));
    (void)memset_s(timeText, sizeof(timeText), 0, sizeof(timeText));
    // The time queries are not examined: a failed one leaves its output zeroed.
    (void)QZ_TIMER_GetConfigDSTTime(&when.tm);
    (void)QZ_TIMER_TimeToDSTStr(&when.tm, timeText, sizeof(timeText));

    AIR_TRACE("isExist[%u] lineNum[%u]", wlan_air::isExist, wlan_air::lineNum);
    int32_t fd = -1;
    uint32_t ret = WLAN_AirInterfaceOpenFile(&fd, &wlan_air::isExist, &wlan_air::lineNum);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    const WLAN_AIR_USER_S *users = g_pstAirUserTable->users;
    for (uint32_t i = 0; i < WLAN_AIR_USER_MAX; i++) {
        if (users[i].isAnchor == 0 || users[i].isOnline == 0) {
            continue;
        }
        AIR_TRACE("write i[%u] lineNum[%u]", i, wlan_air::lineNum);
        if (wlan_air::lineNum == WLAN_AIR_FILE_LINES) {
            // Closing what it opened: a failed close leaves nothing to undo.
            (void)QZ_OS_Close(fd);
            if (WLAN_AirInterfacePack(&wlan_air::lineNum) != 0) {
                WLAN_LAST_WORD(i, 1, 0);
                return 1;
            }
            if (WLAN_AirInterfaceOpenFile(&fd, &wlan_air::isExist, &wlan_air::lineNum) != 0) {
                WLAN_LAST_WORD(1, i, 0);
                return 1;
            }
        }
        if (WLAN_AirInterfaceWriteOneUser(i, timeText, fd) != 0) {
            WLAN_LAST_WORD(i, 1, 0);
            AIR_TRACE("write fail");
            continue;
        }
        wlan_air::lineNum++;
    }
    // Closing what it opened: a failed close leaves nothing to undo.
    (void)QZ_OS_Close(fd);
    return 0;
}

uint32_t WLAN_AirInterfaceOpenFile(int32_t *fd, uint8_t *exist, uint32_t *lines)
{
    if (*exist == 0) {
        // Creating truncates what an earlier run of the process left behind.
        *fd = QZ_OS_Creat(WLAN_AIR_RECORD_FILE, kCreateMode);
        if (*fd < 0) {
            WLAN_LAST_WORD(1, *fd, 0);
            return 1;
        }
        int32_t written = QZ_OS_Write(*fd, WLAN_AIR_HEADER, sizeof(WLAN_AIR_HEADER) - 1);
        if (written < 0) {
            WLAN_LAST_WORD(1, written, QZ_OS_GetLastErr());
            // Closing what it opened: a failed close leaves nothing to undo.
            (void)QZ_OS_Close(*fd);
            return 1;
        }
        *exist = 1;
        *lines = 0;
        return 0;
    }
    *fd = QZ_OS_Open(WLAN_AIR_RECORD_FILE, kOpenAppend, kOpenMode);
    if (*fd < 0) {
        WLAN_LAST_WORD(1, *fd, 0);
        return 1;
    }
    return 0;
}

uint32_t WLAN_AirInterfaceWriteOneUser(uint32_t i, const char *timeText, int32_t fd)
{
    const WLAN_AIR_USER_S *user = &g_pstAirUserTable->users[i];
    AIR_TRACE("WLAN_AirInterfaceWriteOneUser start");
    char rate[kRateTextLen];
    (void)memset_s(rate, sizeof(rate), 0, sizeof(rate));
    int len = sprintf_s(rate, sizeof(rate), "%uM/%uM", user->txRate, user->rxRate);
    if (len <= 0) {
        WLAN_LAST_WORD(1, len, i);
        return 1;
    }
    uint32_t ifIndex = 0;
    uint32_t staId = 0;
    uint32_t ret = QZ_WIFI_DRV_GetIfIndexByMac(user->userMac, &ifIndex, &staId);
    AIR_TRACE("staid[%u] ret1[%u]", staId, ret);
    if (ret != 0) {
        WLAN_LAST_WORD(1, ret, i);
        staId = 0;
    }
    char line[kLineLen];
    (void)memset_s(line, sizeof(line), 0, sizeof(line));
    len = sprintf_s(line, sizeof(line), "xx:xx:xx:%s %-6u %s  %-4d %-13s %s\r\n", MacTail(user->userMac), staId,
                    timeText, user->rssi, rate, user->powerSave == 1 ? "on" : "off");
    if (len <= 0) {
        WLAN_LAST_WORD(1, len, i);
        return 1;
    }
    AIR_TRACE("buff[%s]", line);
    int32_t written = QZ_OS_Write(fd, line, QZ_OS_StrLen(line));
    if (written < 0) {
        WLAN_LAST_WORD(1, written, QZ_OS_GetLastErr());
        return 1;
    }
    return 0;
}

uint32_t WLAN_AirInterfacePack(uint32_t *lines)
{
    AIR_TRACE("pack start");
    // Without the old archive removed, tar still replaces it.
    if (WLAN_AirInterfaceExecCmd(kCmdRemoveArchive) != 0) {
        WLAN_LAST_WORD(1, 0, 0);
    }
    if (WLAN_AirInterfaceExecCmd(kCmdPack) != 0) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    if (WLAN_AirInterfaceExecCmd(kCmdKeepHeader) != 0) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    *lines = 0;
    AIR_TRACE("pack success");
    return 0;
}

uint32_t WLAN_AirInterfaceExecCmd(const char *cmd)
{
    char buf[QZ_OS_CMD_BUF_LEN];
    (void)memset_s(buf, sizeof(buf), 0, sizeof(buf));
    int32_t len = QZ_OS_CmdFormat(buf, "%s", cmd);
    if (len <= 0) {
        WLAN_LAST_WORD(len, 0, 0);
        return 1;
    }
    const SSP_EXEC_OPT_S opt = {0, 1, 0};
    uint32_t ret = SSP_ExecShellCmd(&opt, buf, 0);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return 1;
    }
    AIR_TRACE("%s", QZ_OS_GetCmdStr(buf));
    return 0;
}
