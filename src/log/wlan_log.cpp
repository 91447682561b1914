// The four log rings, their lock, show and clear commands, the AP-selection
// text, and the debug-log and operation-log writers.
#define WLAN_UNIT_NAME "wlan_log"
#include "qz_wlan_log.h"

#include <string.h>

#include "wlan_internal.h"
#include "wlan_line_format.h"

static_assert(offsetof(WLAN_LOG_TBL_S, uiWritePos) == WLAN_LOG_RING_SIZE, "ring layout");

WLAN_LOG_TBL_S g_stWlanLog;
WLAN_LOG_TBL_S g_stApLEDLog;
WLAN_LOG_TBL_S g_stZarvoErrorLog;
WLAN_LOG_TBL_S g_vitransLog;
QZ_OS_MUTEX_S g_stWlanLogMutex;
char g_ApSelectLog[WLAN_AP_SELECT_LOG_SIZE];

namespace {

constexpr uint32_t kRingTextMax = WLAN_LOG_RING_SIZE - 1;  // the last byte stays 0
constexpr uint32_t kShowPiece = 200;
constexpr uint32_t kShowPauseMs = 5;
constexpr uint32_t kTimeTextLen = 128;
constexpr uint32_t kDebugLineLen = 256;
constexpr uint32_t kTagLen = 32;
constexpr uint32_t kQueryRecordLen = 128;

struct SubmoduleTag {
    uint32_t subModule;
    char tag[kTagLen];
};

constexpr SubmoduleTag kSubmoduleTags[] = {
    {0, "[FBT]"},
    {1, "[FBT]"},
    {2, "[XLINK]"},
    {3, "[BSD]"},
};
constexpr char kDefaultTag[] = "[WLAN]";

void ClearRingLocked(WLAN_LOG_TBL_S *ring)
{
    (void)memset_s(ring->acLog, sizeof(ring->acLog), 0, sizeof(ring->acLog));
    ring->uiWritePos = 0;
}

}  // namespace

uint32_t WLAN_CMD_LogInit(void)
{
    // A plain mutex over static storage: the platform's init has nothing to
    // allocate and cannot fail there; the answer is the last clear's status.
    (void)QZ_OS_MutexInit(&g_stWlanLogMutex, 0);
    WLAN_LOG_TBL_S *rings[] = {&g_stWlanLog, &g_stApLEDLog, &g_stZarvoErrorLog, &g_vitransLog};
    int ret = 0;
    for (WLAN_LOG_TBL_S *ring : rings) {
        ret = memset_s(ring, sizeof(*ring), 0, sizeof(*ring));
    }
    return static_cast<uint32_t>(ret);
}

WLAN_LOG_TBL_S *WLAN_CMD_LOG_TblGet(void)
{
    return &g_stWlanLog;
}

WLAN_LOG_TBL_S *WLAN_CMD_APLEDLOG_TblGet(void)
{
    return &g_stApLEDLog;
}

WLAN_LOG_TBL_S *WLAN_CMD_ZarvoErrLOG_TblGet(void)
{
    return &g_stZarvoErrorLog;
}

WLAN_LOG_TBL_S *WLAN_CMD_VitransLog_TblGet(void)
{
    return &g_vitransLog;
}

char *WLAN_Select_LOG_TblGet(void)
{
    return g_ApSelectLog;
}

uint32_t QZ_WLAN_GetTimeBuf(char *dest, uint32_t size)
{
    QZ_OS_TIMEVAL_S tv;
    struct tm tm;
    char timeText[kTimeTextLen];
    memset(&tv, 0, sizeof(tv));
    memset(&tm, 0, sizeof(tm));
    memset(timeText, 0, sizeof(timeText));
    // The time queries are not examined: a failed one leaves its output zeroed.
    (void)QZ_OS_GetLocalTimeVal(&tv);
    (void)QZ_TIMER_GetConfigDSTTime(&tm);
    (void)QZ_TIMER_TimeToDSTStr(&tm, timeText, sizeof(timeText));
    int ret = sprintf_s(dest, size, "\r\n[%s:%06u]", timeText, tv.uiUsec);
    if (ret <= 0) {
        WLAN_LAST_WORD(1, ret, 0);
        return 0;
    }
    return static_cast<uint32_t>(ret);
}

void WLAN_LOG_SaveWlanLog(WLAN_LOG_TBL_S *ring, const char *fmt, ...)
{
    char record[WLAN_LOG_RECORD_SIZE];
    memset(record, 0, sizeof(record));
    uint32_t prefix = QZ_WLAN_GetTimeBuf(record, sizeof(record));
    bool fits = false;
    va_list ap;
    va_start(ap, fmt);
    int msg = WLAN_FormatBehind(record, sizeof(record), prefix, &fits, fmt, ap);
    va_end(ap);
    if (msg <= 0) {
        WLAN_LAST_WORD(1, msg, prefix);
        return;
    }
    if (!fits) {
        return;  // does not fit: dropped whole, never cut
    }
    QZ_WLAN_CpLog(ring, record, prefix + static_cast<uint32_t>(msg));
}

void QZ_WLAN_CpLog(WLAN_LOG_TBL_S *ring, const char *data, uint32_t len)
{
    (void)QZ_OS_MutexLock(&g_stWlanLogMutex);
    if (ring->uiWritePos == 0) {
        (void)memset_s(ring->acLog, sizeof(ring->acLog), 0, sizeof(ring->acLog));
    } else if (ring->uiWritePos + len >= WLAN_LOG_RING_SIZE || ring->uiWritePos + len < len) {
        ring->uiWritePos = 0;  // wrap: older text behind the new record stays
    }
    int ret = memcpy_s(ring->acLog + ring->uiWritePos, kRingTextMax - ring->uiWritePos, data, len);
    if (ret == 0) {
        ring->uiWritePos += len;
    } else {
        WLAN_LAST_WORD(ret, len, ring->uiWritePos);
    }
    (void)QZ_OS_MutexUnLock(&g_stWlanLogMutex);
}

uint32_t WLAN_CMD_ShowlogInner(WLAN_LOG_TBL_S *ring, const char *closing)
{
    // Appends run concurrently; each piece is copied under the lock so the
    // display never races them. Nothing past the length measured here is read.
    (void)QZ_OS_MutexLock(&g_stWlanLogMutex);
    uint32_t remaining = QZ_OS_StrNLen(ring->acLog, WLAN_LOG_RING_SIZE);
    (void)QZ_OS_MutexUnLock(&g_stWlanLogMutex);
    uint32_t pieces = remaining / kShowPiece + 1;
    const char *readPos = ring->acLog;
    for (uint32_t i = 0; i < pieces; i++) {
        char piece[kShowPiece + 1];
        memset(piece, 0, sizeof(piece));
        uint32_t take = remaining < kShowPiece ? remaining : kShowPiece;
        (void)QZ_OS_MutexLock(&g_stWlanLogMutex);
        int ret = memcpy_s(piece, kShowPiece, readPos, take);
        (void)QZ_OS_MutexUnLock(&g_stWlanLogMutex);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, i, take);
        } else {
            WLAN_CONSOLE("%s", piece);
            QZ_OS_SleepMs(kShowPauseMs);
        }
        remaining -= take;
        readPos += kShowPiece;
    }
    WLAN_CONSOLE("\r\n%s\r\n", closing);
    return 0;
}

uint32_t WLAN_CMD_ClearLogInner(WLAN_LOG_TBL_S *ring, const char *closing)
{
    (void)QZ_OS_MutexLock(&g_stWlanLogMutex);
    ClearRingLocked(ring);
    (void)QZ_OS_MutexUnLock(&g_stWlanLogMutex);
    WLAN_CONSOLE("\r\n%s\r\n", closing);
    return 0;
}

#define WLAN_RING_HANDLER(name, inner, ring, closing) \
    uint32_t name(uint32_t argc, char *argv[])        \
    {                                                 \
        (void)argc;                                   \
        (void)argv;                                   \
        return inner(&(ring), closing);               \
    }

WLAN_RING_HANDLER(WLAN_CMD_Showlog, WLAN_CMD_ShowlogInner, g_stWlanLog, "wlancmd show log success!")
WLAN_RING_HANDLER(WLAN_CMD_ShowAPLEDlog, WLAN_CMD_ShowlogInner, g_stApLEDLog, "wlancmd show apledlog success!")
// "xlikerrlog" (sic): the closing text reads as released.
WLAN_RING_HANDLER(WLAN_CMD_ShowZarvoErrlog, WLAN_CMD_ShowlogInner, g_stZarvoErrorLog,
                  "wlancmd show xlikerrlog success!")
WLAN_RING_HANDLER(WLAN_CMD_ShowVitransLog, WLAN_CMD_ShowlogInner, g_vitransLog, "wlancmd show vitranslog success!")
WLAN_RING_HANDLER(WLAN_CMD_ClearLog, WLAN_CMD_ClearLogInner, g_stWlanLog, "wlancmd clear log success")
WLAN_RING_HANDLER(WLAN_CMD_ClearAPLEDLog, WLAN_CMD_ClearLogInner, g_stApLEDLog, "wlancmd clear apledlog success")
WLAN_RING_HANDLER(WLAN_CMD_ClearZarvoErrlog, WLAN_CMD_ClearLogInner, g_stZarvoErrorLog,
                  "wlancmd clear xlinkerrlog success")

uint32_t QZ_WLAN_SaveApLog(const char *text)
{
    if (text == nullptr) {
        return 0;
    }
    (void)QZ_OS_MutexLock(&g_stWlanLogMutex);
    (void)memset_s(g_ApSelectLog, sizeof(g_ApSelectLog), 0, sizeof(g_ApSelectLog));
    int ret = strcpy_s(g_ApSelectLog, sizeof(g_ApSelectLog), text);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
    }
    return QZ_OS_MutexUnLock(&g_stWlanLogMutex);
}

void WLAN_Get_Submod_Des(uint32_t subModule, char *dest, uint32_t size)
{
    const char *tag = kDefaultTag;
    for (const SubmoduleTag &row : kSubmoduleTags) {
        if (row.subModule == subModule) {
            tag = row.tag;
            break;
        }
    }
    int ret = strcpy_s(dest, size, tag);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, subModule, size);
    }
}

void WLAN_DebugLog(uint32_t logClass, uint32_t subModule, const char *fmt, ...)
{
    char line[kDebugLineLen];
    char tag[kTagLen];
    memset(line, 0, sizeof(line));
    memset(tag, 0, sizeof(tag));
    WLAN_Get_Submod_Des(subModule, tag, sizeof(tag));
    int tagLen = sprintf_s(line, sizeof(line), "%s", tag);
    if (tagLen <= 0) {
        WLAN_LAST_WORD(1, tagLen, subModule);
        return;
    }
    bool fits = false;
    va_list ap;
    va_start(ap, fmt);
    int msg = WLAN_FormatBehind(line, sizeof(line), static_cast<uint32_t>(tagLen), &fits, fmt, ap);
    va_end(ap);
    if (msg <= 0) {
        WLAN_LAST_WORD(1, msg, subModule);
        return;
    }
    if (!fits) {
        return;  // does not fit: dropped whole
    }
    line[kDebugLineLen - 1] = '\0';
    WIFI_LOG_Record(logClass, 9, "%s\n", line);
}

void WLAN_QueryLog(uint32_t source, const char *terminal, const char *key, const char *value)
{
    char record[kQueryRecordLen];
    memset(record, 0, sizeof(record));
    int ret = sprintf_s(record, sizeof(record), "Source:%u,Terminal:%s,%s:%s", source, terminal, key, value);
    if (ret < 0) {
        WLAN_LAST_WORD(ret, source, 0);
        return;
    }
    // Not examined: the operation log's answer is the log's own.
    (void)QZ_PROC_DBG_Log_RecordEx(6, 4, record, QZ_OS_StrLen(record));
}
