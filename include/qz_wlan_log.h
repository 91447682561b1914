/*
 * Diagnostic logging: four in-memory text rings, the AP-selection text, the
 * debug-log and operation-log writers.
 *
 * WLAN_CMD_LogInit must run before any ring is written. Appends, clears and
 * AP-selection saves are serialised by g_stWlanLogMutex; no logging call
 * allocates memory. A record that does not fit is dropped whole.
 */
#ifndef QZ_WLAN_LOG_H
#define QZ_WLAN_LOG_H

#include "qz_wlan_common.h"

QZ_WLAN_EXTERN_C_BEGIN

#define WLAN_LOG_RING_SIZE 10240u
#define WLAN_LOG_RECORD_SIZE 200u
#define WLAN_AP_SELECT_LOG_SIZE 1024u

typedef struct {
    char acLog[WLAN_LOG_RING_SIZE];
    uint32_t uiWritePos;
} WLAN_LOG_TBL_S;

QZ_WLAN_API extern WLAN_LOG_TBL_S g_stWlanLog;
QZ_WLAN_API extern WLAN_LOG_TBL_S g_stApLEDLog;
QZ_WLAN_API extern WLAN_LOG_TBL_S g_stZarvoErrorLog;
QZ_WLAN_API extern WLAN_LOG_TBL_S g_vitransLog;
QZ_WLAN_API extern QZ_OS_MUTEX_S g_stWlanLogMutex;
QZ_WLAN_API extern char g_ApSelectLog[WLAN_AP_SELECT_LOG_SIZE];

QZ_WLAN_API uint32_t WLAN_CMD_LogInit(void);

QZ_WLAN_API WLAN_LOG_TBL_S *WLAN_CMD_LOG_TblGet(void);
QZ_WLAN_API WLAN_LOG_TBL_S *WLAN_CMD_APLEDLOG_TblGet(void);
QZ_WLAN_API WLAN_LOG_TBL_S *WLAN_CMD_ZarvoErrLOG_TblGet(void);
QZ_WLAN_API WLAN_LOG_TBL_S *WLAN_CMD_VitransLog_TblGet(void);
QZ_WLAN_API char *WLAN_Select_LOG_TblGet(void);

/* Writes "\r\n[<local time>:<usec>]" into dest; its length, or 0 on failure. */
QZ_WLAN_API uint32_t QZ_WLAN_GetTimeBuf(char *dest, uint32_t size);

/* Appends one time-stamped record (at most 199 bytes) to the ring. */
QZ_WLAN_API void WLAN_LOG_SaveWlanLog(WLAN_LOG_TBL_S *ring, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
/* Appends raw bytes to the ring. */
QZ_WLAN_API void QZ_WLAN_CpLog(WLAN_LOG_TBL_S *ring, const char *data, uint32_t len);

QZ_WLAN_API uint32_t WLAN_CMD_ShowlogInner(WLAN_LOG_TBL_S *ring, const char *closing);
QZ_WLAN_API uint32_t WLAN_CMD_ClearLogInner(WLAN_LOG_TBL_S *ring, const char *closing);

/* wlancmd handlers (their arguments are not used). */
QZ_WLAN_API uint32_t WLAN_CMD_Showlog(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ShowAPLEDlog(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ShowZarvoErrlog(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ShowVitransLog(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ClearLog(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ClearAPLEDLog(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ClearZarvoErrlog(uint32_t argc, char *argv[]);

/* Replaces the AP-selection text; 0 for a missing text. */
QZ_WLAN_API uint32_t QZ_WLAN_SaveApLog(const char *text);

/* One tagged line to the platform's Wi-Fi log. */
QZ_WLAN_API void WLAN_DebugLog(uint32_t logClass, uint32_t subModule, const char *fmt, ...)
    __attribute__((format(printf, 3, 4)));
QZ_WLAN_API void WLAN_Get_Submod_Des(uint32_t subModule, char *dest, uint32_t size);
/* One operation-log record "Source:%u,Terminal:%s,%s:%s". */
QZ_WLAN_API void WLAN_QueryLog(uint32_t source, const char *terminal, const char *key, const char *value);

/* ---- Neighbour maps and the hidden-node check ------------------------- */

/* The neighbour map is shared byte for byte with the smart-home link module,
 * which fills the satellite APs' maps: fields at fixed offsets, no padding. */
#define WLAN_NEIGH_MAP_ENTRIES 256u
#define WLAN_NEIGH_AP_MAX 32u
#define WLAN_OWN_BSSID_NUM 16u
#define WLAN_OWN_BSSID_LIST_LEN (WLAN_OWN_BSSID_NUM * 6u)
/* Marks: a gateway entry accounted for (uiFlag), an AP entry found in the
 * gateway's map (uiChannel). */
#define WLAN_NEIGH_MARK 15u

typedef struct __attribute__((packed)) {
    unsigned char aucRsv0[4];
    char acSsid[33];  /* 4 */
    char acBssid[33]; /* 37 */
    unsigned char aucRsv1[9];
    uint32_t uiChannel; /* 79: in an AP map also the comparison mark */
    char acRssi[9];     /* 83 */
    unsigned char aucRsv2[13];
    uint32_t uiFlag; /* 105 */
    unsigned char aucRsv3[50];
    char acBand[9]; /* 159: "2G" or "5G" */
    unsigned char aucRsv4[42];
} WLAN_NEIGH_ENTRY_S;

typedef struct __attribute__((packed)) {
    unsigned char aucHeader[64];
    uint32_t uiNum; /* 64 */
    WLAN_NEIGH_ENTRY_S astEntry[WLAN_NEIGH_MAP_ENTRIES];
} WLAN_NEIGH_MAP_S;

/* "check node": builds the gateway's map, compares it with every satellite
 * AP's and prints hidden and exposed nodes. Arguments not used. The result
 * of building the gateway's map; 1 or 0xF7603004 when a map cannot be
 * allocated. */
QZ_WLAN_API uint32_t WLAN_CMD_WifiCheckHiddenNode(uint32_t argc, char *argv[]);
/* Fills a cleared map with the neighbours each radio hears on its current
 * channel (at most 256). 0, or the code of the first failing step. */
QZ_WLAN_API uint32_t WLAN_CMD_GetOntNeighborMap(WLAN_NEIGH_MAP_S *map);
/* Adds neighbour number `neighbour` (from 1) of SSID `ssidIndex` to the map
 * when it is on `channel`; *count is the next free entry. 0 or the adapter's
 * code. */
QZ_WLAN_API uint32_t WLAN_CMD_GetNeighMapByCurrentChan(uint32_t ssidIndex, uint32_t neighbour, uint32_t channel,
                                                       uint32_t *count, WLAN_NEIGH_MAP_S *map);
/* Fetches AP `apNumber`'s map and own BSSIDs (96 bytes) and marks what both
 * maps hold. 0, or the hook's code (1 when the hook is missing). */
QZ_WLAN_API uint32_t WLAN_CMD_GetApNeighborMap(uint32_t apNumber, WLAN_NEIGH_MAP_S *apMap, WLAN_NEIGH_MAP_S *ontMap,
                                               uint8_t *apBssids);
/* 1 when the entry's BSSID is none of the gateway's 16 (mac receives its
 * bytes), 0 when it is one of them. */
QZ_WLAN_API uint32_t WLAN_CMD_CheckApBssid(const WLAN_NEIGH_ENTRY_S *entry, uint8_t *mac, uint32_t macLen,
                                           const uint8_t *ontBssids);

/* ---- Associated-station listing ---------------------------------------- */

#define WLAN_ASSOC_STA_MAX 128u

/* Rebuilds the station snapshot from VAPs first..end-1 (below 16). 0, or 1
 * when the work record cannot be allocated or a 129th station would be
 * taken (the first 128 stay). */
QZ_WLAN_API uint32_t WLAN_CMD_UpdateWlAssociated(uint32_t first, uint32_t end);
/* Prints "assoclist <MAC>" for every station of the snapshot. 0, or 1 when
 * the text buffer cannot be allocated. */
QZ_WLAN_API uint32_t WLAN_CMD_AssociListPrintProc(void);
/* Prints the RSSI text of the first station whose MAC matches, ignoring
 * case; nothing when none does. Returns 0. */
QZ_WLAN_API uint32_t WLAN_CMD_RssiPrintProc(const char *mac);

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_LOG_H */
