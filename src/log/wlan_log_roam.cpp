// Roam-event lines: one line per roam step of a station, written whole to the
// platform's Wi-Fi log file.
#define WLAN_UNIT_NAME "wlan_log"
#include <string.h>

#include <atomic>

#include "qz_wlan_log.h"
#include "qz_wlan_roam_topo.h"
#include "wlan_internal.h"
#include "wlan_line_format.h"

uint8_t g_ownAPInst;

namespace {

constexpr uint32_t kFieldLen = 32;
constexpr uint32_t kRoamSubModule = 0;  // tagged "[FBT]"

struct RoamAction {
    uint32_t number;
    char name[kFieldLen];
};

// Searched in this order; the offline rows come after the move rows.
constexpr RoamAction kRoamActions[] = {
    {WLAN_ROAM_NETLINK_ONLINE, "NETLINK ONLINE"},
    {WLAN_ROAM_SMARTLINK_ONLINE, "SMARTLINK_ONLINE"},
    {WLAN_ROAM_SCAN_START, "SCAN START"},
    {WLAN_ROAM_SCAN_END, "SCAN END"},
    {WLAN_ROAM_SCAN_FAILED, "SCAN FAILED"},
    {WLAN_ROAM_JUDGE_SUCCESS, "JUDGE SUCCESS"},
    {WLAN_ROAM_JUDGE_FAILED, "JUDGE FAILED"},
    {WLAN_ROAM_MOVE_START, "MOVE START"},
    {WLAN_ROAM_MOVE_END, "MOVE END"},
    {WLAN_ROAM_MOVE_TIMEOUT, "MOVE TIMEOUT"},
    {WLAN_ROAM_NETLINK_OFFLINE, "NETLINK OFFLINE"},
    {WLAN_ROAM_SMARTLINK_OFFLINE, "SMARTLINK OFFLINE"},
    {WLAN_ROAM_KICK_INVALID_STA, "KICK INVALID STA"},
};
static_assert(WLAN_ARRAY_SIZE(kRoamActions) == 13, "roam action table");

const char *BandName(uint32_t band)
{
    switch (band) {
        case WLAN_ROAM_BAND_2G:
            return "2.4G";
        case WLAN_ROAM_BAND_5G:
            return "5G";
        default:
            return "NA";
    }
}

// The MAC as the line shows it: whole when the platform allows full addresses,
// otherwise its first four groups and ":XX:XX". A failure leaves what the
// buffer holds; the line is written anyway.
void ShownMac(const char *mac, char *shown, uint32_t size)
{
    if (WIFI_GetHideMacStatus() != 0) {
        int ret = strcpy_s(shown, size, mac);
        if (ret != 0) {
            WLAN_LAST_WORD(1, ret, 0);
        }
        return;
    }
    int ret = sprintf_s(shown, size, "%.11s:XX:XX", mac);
    if (ret <= 0) {
        WLAN_LAST_WORD(1, ret, 0);
    }
}

// The head of a roam line, everything before the message:
// "<time>[FBT][STA <mac>][Band <band>][AP:<n>][<action>] "; the formatter's result. Kept out of the logging entry point
// so that its field buffers do not add to the caller's stack frame.
__attribute__((noinline)) int FormatHead(char *line, uint32_t size, const char *mac, uint32_t band, uint32_t action)
{
    char stamp[kFieldLen] = {};
    char tag[kFieldLen] = {};
    char actionName[kFieldLen] = {};
    char shownMac[WLAN_MAC_STR_LEN] = {};
    WLAN_AppendRoamTime(stamp, sizeof(stamp));
    WLAN_Get_Submod_Des(kRoamSubModule, tag, sizeof(tag));
    WLAN_TransRoamAction(action, actionName, sizeof(actionName));
    ShownMac(mac, shownMac, sizeof(shownMac));
    uint8_t apInst = std::atomic_ref<uint8_t>(g_ownAPInst).load(std::memory_order_relaxed);
    return sprintf_s(line, size, "%s%s[STA %s][Band %s][AP:%u][%s] ", stamp, tag, shownMac, BandName(band),
                     static_cast<uint32_t>(apInst), actionName);
}

}  // namespace

void WLAN_SetOwnAPInst(uint32_t apInst)
{
    // A single byte read by any thread building a line: relaxed atomic access
    // keeps it a plain uint8_t for C callers without a lock.
    std::atomic_ref<uint8_t>(g_ownAPInst).store(static_cast<uint8_t>(apInst), std::memory_order_relaxed);
}

void WLAN_AppendRoamTime(char *dest, uint32_t size)
{
    struct tm tm;
    memset(&tm, 0, sizeof(tm));
    // Apart from the ring's and topology's stamps: only here is an unreadable clock reported.
    uint32_t ret = QZ_TIMER_GetConfigDSTTime(&tm);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return;
    }
    QZ_OS_TIMEVAL_S tv;
    memset(&tv, 0, sizeof(tv));
    // The time queries are not examined: a failed one leaves its output zeroed.
    (void)QZ_OS_GetLocalTimeVal(&tv);
    // Date and time follow the configured zone; only the milliseconds come
    // from the time of day.
    int len = sprintf_s(dest, size, "%04u-%02u-%02u %02u:%02u:%02u.%03d ", static_cast<uint32_t>(tm.tm_year + 1900),
                        static_cast<uint32_t>(tm.tm_mon + 1), static_cast<uint32_t>(tm.tm_mday),
                        static_cast<uint32_t>(tm.tm_hour), static_cast<uint32_t>(tm.tm_min),
                        static_cast<uint32_t>(tm.tm_sec), static_cast<int32_t>(tv.uiUsec) / 1000);
    if (len < 1) {
        WLAN_LAST_WORD(1, len, 0);
    }
}

void WLAN_TransRoamAction(uint32_t action, char *dest, uint32_t size)
{
    for (const RoamAction &row : kRoamActions) {
        if (row.number == action) {
            int ret = strcpy_s(dest, size, row.name);
            if (ret != 0) {
                WLAN_LAST_WORD(ret, action, size);
            }
            return;
        }
    }
}

void WLAN_RecordRoamLog(const char *mac, uint32_t band, uint32_t action, const char *fmt, ...)
{
    char line[WLAN_ROAM_LINE_SIZE];
    memset(line, 0, sizeof(line));
    if (mac == nullptr) {
        WLAN_LAST_WORD(1, band, action);
        return;
    }
    int head = FormatHead(line, sizeof(line), mac, band, action);
    if (head <= 0) {
        WLAN_LAST_WORD(1, head, action);
        return;
    }
    bool fits = false;
    va_list ap;
    va_start(ap, fmt);
    int msg = WLAN_FormatBehind(line, sizeof(line), static_cast<uint32_t>(head), &fits, fmt, ap);
    va_end(ap);
    if (msg <= 0) {
        WLAN_LAST_WORD(1, msg, action);
        return;
    }
    if (!fits) {
        return;  // longer than the line: dropped whole, never cut
    }
    // A line of exactly 255 bytes has no room left for its newline; that
    // refusal is reported.
    int ret = strcat_s(line, sizeof(line), "\n");
    if (ret != 0) {
        WLAN_LAST_WORD(ret, head, msg);
        return;
    }
    line[sizeof(line) - 1] = '\0';
    // Not examined: the Wi-Fi log's answer is the log's own.
    (void)WIFI_LOG_WriteFile(WLAN_ROAM_LOG_PATH, line, QZ_OS_StrLen(line));
}
