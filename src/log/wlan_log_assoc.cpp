// Snapshot of the stations associated to the gateway's own VAPs, refreshed on
// demand from the driver adapter, with the listing and the RSSI query.
#define WLAN_UNIT_NAME "wlan_log"
#include <string.h>

#include "qz_wlan_log.h"
#include "wlan_internal.h"

namespace {

constexpr uint32_t kRecordLen = QZ_ASSOC_DEV_RECORD_LEN;
constexpr uint32_t kRssiOffset = QZ_ASSOC_DEV_RSSI_OFFSET;
constexpr uint32_t kVapMax = 16;
constexpr uint32_t kLineLen = 256;
constexpr uint32_t kListLen = 33664;  // 128 lines of 263 bytes
constexpr uint32_t kTraceStations = 149;

// Each record keeps one zero byte after it, so the MAC and RSSI texts read
// from it end inside the table even when the adapter left them unterminated.
struct AssocSta {
    char acRecord[kRecordLen];
    char cEnd;
};

struct AssocStaTbl {
    uint32_t uiStaNum;
    AssocSta astSta[WLAN_ASSOC_STA_MAX];
};

AssocStaTbl g_stAssocStaTbl;

uint32_t StationsInTable()
{
    return g_stAssocStaTbl.uiStaNum < WLAN_ASSOC_STA_MAX ? g_stAssocStaTbl.uiStaNum : WLAN_ASSOC_STA_MAX;
}

// Takes the stations of one VAP; 1 when the table would overflow.
uint32_t TakeVapStations(uint32_t vap, uint32_t stations, char *work)
{
    for (uint32_t i = 1; i <= stations; i++) {
        if (g_stAssocStaTbl.uiStaNum > WLAN_ASSOC_STA_MAX - 1) {
            WLAN_LAST_WORD(1, g_stAssocStaTbl.uiStaNum, vap);
            return 1;
        }
        (void)memset_s(work, kRecordLen, 0, kRecordLen);
        uint32_t ret = QZ_WLAN_GetIfAssociatedDevice(vap, i, work);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, vap, i);
            continue;
        }
        QZ_PROC_DBG_TraceN(kTraceStations, WLAN_UNIT_NAME, __LINE__, "RSSI: %.*s",
                           static_cast<int>(kRecordLen - kRssiOffset), work + kRssiOffset);
        AssocSta *slot = &g_stAssocStaTbl.astSta[g_stAssocStaTbl.uiStaNum];
        // A record that cannot be copied is skipped like one that cannot be
        // fetched: counting it would list an empty station.
        int err = memcpy_s(slot->acRecord, sizeof(slot->acRecord), work, kRecordLen);
        if (err != 0) {
            WLAN_LAST_WORD(static_cast<uint32_t>(err), vap, i);
            continue;
        }
        slot->cEnd = '\0';
        g_stAssocStaTbl.uiStaNum++;
    }
    return 0;
}

}  // namespace

uint32_t WLAN_CMD_UpdateWlAssociated(uint32_t first, uint32_t end)
{
    uint32_t vapStations[kVapMax];
    (void)memset_s(&g_stAssocStaTbl, sizeof(g_stAssocStaTbl), 0, sizeof(g_stAssocStaTbl));
    (void)memset_s(vapStations, sizeof(vapStations), 0, sizeof(vapStations));
    char *work = static_cast<char *>(WLAN_MALLOC(kRecordLen));
    if (work == nullptr) {
        WLAN_LAST_WORD(1, first, end);
        return 1;
    }
    for (uint32_t vap = first; vap < end; vap++) {
        // The per-VAP counts cover VAPs 0 to 15 only.
        if (vap >= kVapMax) {
            WLAN_LAST_WORD(1, vap, end);
            break;
        }
        if (WLAN_VAP_IsCfgEmpty(vap) != 0) {
            continue;
        }
        // Not examined: a count that cannot be read stays 0.
        (void)QZ_WLAN_GetIfAssociatedNum(vap, &vapStations[vap]);
        uint32_t max = WLAN_GetStaNumMax();
        uint32_t stations = vapStations[vap] < max ? vapStations[vap] : max;
        if (TakeVapStations(vap, stations, work) != 0) {
            WLAN_FREE(work);
            return 1;
        }
    }
    QZ_PROC_DBG_TraceN(kTraceStations, WLAN_UNIT_NAME, __LINE__, "STA numbers:%u", g_stAssocStaTbl.uiStaNum);
    WLAN_FREE(work);
    return 0;
}

uint32_t WLAN_CMD_AssociListPrintProc(void)
{
    char *text = static_cast<char *>(WLAN_MALLOC(kListLen));
    if (text == nullptr) {
        WLAN_LAST_WORD(1, kListLen, 0);
        return 1;
    }
    uint32_t stations = StationsInTable();
    for (uint32_t i = 0; i < stations; i++) {
        char line[kLineLen];
        (void)memset_s(line, sizeof(line), 0, sizeof(line));
        int len = sprintf_s(line, sizeof(line), "assoclist %s\n", g_stAssocStaTbl.astSta[i].acRecord);
        if (len <= 0) {
            WLAN_LAST_WORD(1, len, i);
            WLAN_LAST_WORD(1, i, stations);
            continue;
        }
        int ret = strcat_s(text, kListLen, line);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, i, stations);
        }
    }
    // Console output: nothing to do when the console fails.
    (void)QZ_OS_Printf("%s", text);
    WLAN_FREE(text);
    return 0;
}

uint32_t WLAN_CMD_RssiPrintProc(const char *mac)
{
    if (mac == nullptr) {
        return 0;
    }
    uint32_t stations = StationsInTable();
    for (uint32_t i = 0; i < stations; i++) {
        const char *record = g_stAssocStaTbl.astSta[i].acRecord;
        if (QZ_OS_StrCaseCmp(record, mac) == 0) {
            // Console output: nothing to do when the console fails.
            (void)QZ_OS_Printf("%s\n", record + kRssiOffset);
            break;
        }
    }
    return 0;
}
