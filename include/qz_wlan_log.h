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

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_LOG_H */
