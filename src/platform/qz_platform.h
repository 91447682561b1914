/*
 * The gateway platform as the library sees it: every outside call the library
 * makes, with its C prototype. Nothing here is defined by libqz_wlan_base; the
 * host process provides all of it when it loads the library.
 *
 * Conventions: unsigned 32-bit statuses, 0 for success; sizes are destination
 * sizes in bytes; texts are NUL-terminated unless a length is passed.
 */
#ifndef QZ_PLATFORM_H
#define QZ_PLATFORM_H

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <time.h>

#include "qz_wlan_common.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Operating-system layer ------------------------------------------- */

/* QZ_OS_MUTEX_S (a plain non-recursive mutex stored in place) is shared with
 * the public headers, which export the log lock. */

typedef struct {
    uint32_t uiSec;
    uint32_t uiUsec;
} QZ_OS_TIMEVAL_S;

#define QZ_OS_CMD_BUF_LEN 1020u

/* Options of SSP_ExecShellCmd: an 8-bit field then two 32-bit fields. */
typedef struct {
    uint8_t ucFlag;
    uint32_t uiMode;
    uint32_t uiTimeout;
} SSP_EXEC_OPT_S;

void *QZ_OS_MemMallocSet(uint32_t size, uint32_t line, const char *file);
void QZ_OS_MemFreeD(void *block, const char *file, uint32_t line);

uint32_t QZ_OS_MutexInit(QZ_OS_MUTEX_S *mutex, uint32_t attr);
uint32_t QZ_OS_MutexLock(QZ_OS_MUTEX_S *mutex);
uint32_t QZ_OS_MutexUnLock(QZ_OS_MUTEX_S *mutex);

uint32_t QZ_OS_StrLen(const char *text);
uint32_t QZ_OS_StrNLen(const char *text, uint32_t limit);
int32_t QZ_OS_StrCmp(const char *a, const char *b);
int32_t QZ_OS_StrNCmp(const char *a, const char *b, uint32_t limit);
int32_t QZ_OS_StrCaseCmp(const char *a, const char *b);
int32_t QZ_OS_StrNCaseCmp(const char *a, const char *b, uint32_t limit);
char *QZ_OS_StrChr(const char *text, int32_t ch);
int32_t QZ_OS_MemCmp(const void *a, const void *b, uint32_t len);
int32_t QZ_OS_IsHexChar(char ch);
int32_t QZ_OS_Isspace(int32_t ch);
uint32_t QZ_OS_StrToUInt32(const char *text, uint32_t *value);
unsigned long QZ_OS_Strtoul(const char *text, char **end, int32_t base);

int32_t QZ_OS_Open(const char *path, int32_t flags, uint32_t mode);
int32_t QZ_OS_Creat(const char *path, uint32_t mode);
int32_t QZ_OS_Write(int32_t fd, const void *data, uint32_t len);
int32_t QZ_OS_Close(int32_t fd);
int32_t QZ_OS_GetLastErr(void);

typedef struct QZ_OS_FILE QZ_OS_FILE;
QZ_OS_FILE *QZ_OS_Fopen(const char *path, const char *mode);
int32_t QZ_OS_Fputs(const char *text, QZ_OS_FILE *file);
int32_t QZ_OS_Fclose(QZ_OS_FILE *file);
uint32_t QZ_OS_GetFileSize(const char *path, uint32_t *size);
int32_t QZ_OS_Remove(const char *path);
int32_t QZ_OS_Rename(const char *oldPath, const char *newPath);

uint32_t QZ_OS_GetLocalTimeVal(QZ_OS_TIMEVAL_S *tv);
uint32_t QZ_OS_GetLocalTime(struct tm *tm);
void QZ_OS_SleepMs(uint32_t ms);
int32_t QZ_OS_Printf(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

int32_t QZ_OS_CmdFormat(char *cmdBuf, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
const char *QZ_OS_GetCmdStr(const char *cmdBuf);
uint32_t SSP_ExecShellCmd(const SSP_EXEC_OPT_S *opt, const char *cmdBuf, uint32_t reserved);

void *QZ_OS_LoadLibrary(const char *path, int32_t mode);
void *QZ_OS_FindSymbol(void *library, const char *name);
int32_t QZ_OS_CloseLibrary(void *library);

uint32_t QZ_OS_GetIfIpAndMac(const char *ifName, uint32_t *ipAddr, uint8_t *mac);
uint32_t QZ_OS_IpAddrToStr(uint32_t ipAddr, char *text, uint32_t size);
uint32_t QZ_OS_GetHostByName4(const char *host, const char *reserved);

/* ---- Process diagnostics and logs ------------------------------------- */

uint32_t QZ_PROC_DBG_LastWord(const char *file, uint32_t line, uint32_t code, uint32_t value1, uint32_t value2,
                              uint32_t value3, uint32_t value4);
void QZ_PROC_DBG_TraceS(uint32_t a, uint32_t b, uint32_t c, uint32_t level, const char *fmt, ...)
    __attribute__((format(printf, 5, 6)));
void QZ_PROC_DBG_TraceN(uint32_t traceId, const char *file, uint32_t line, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));
uint32_t QZ_PROC_DBG_Log_RecordEx(uint32_t kind, uint32_t level, const char *text, uint32_t len);
void WIFI_LOG_Record(uint32_t logClass, uint32_t module, const char *fmt, ...) __attribute__((format(printf, 3, 4)));
uint32_t WIFI_LOG_WriteFile(const char *path, const char *text, uint32_t len);
uint32_t WIFI_GetHideMacStatus(void);

/* ---- Time and timers --------------------------------------------------- */

typedef void (*QZ_TIMER_CALLBACK)(void);

uint32_t QZ_TIMER_GetConfigDSTTime(struct tm *tm);
uint32_t QZ_TIMER_TimeToDSTStr(const struct tm *tm, char *text, uint32_t size);
uint32_t QZ_TIMER_CreateRealTimer(uint32_t *handle);
uint32_t QZ_TIMER_StartRealTimerD(uint32_t handle, uint32_t arg1, uint32_t arg2, QZ_TIMER_CALLBACK callback,
                                  const char *name);
uint32_t QZ_TIMER_ReleaseRealTimer(uint32_t handle);

/* ---- Feature service and event centre --------------------------------- */

typedef uint32_t (*EVENT_CALLBACK)(const void *data, uint32_t len);

int32_t QZ_Feature_IsSupportByFeatureName(const char *name);
uint32_t EventCenter_SubscribeEvent(uint32_t event, EVENT_CALLBACK callback);
uint32_t EventCenter_GlobalInvokeEvent2(uint32_t event, const void *data, uint32_t len);

/* ---- WLAN service and driver-adapter queries --------------------------- */

uint32_t QZ_WLAN_Spec_GetSsidPerBand(void);
uint32_t QZ_WLAN_GetSsidNum(void);
uint32_t QZ_WLAN_GetWlanNum(void);
uint32_t WLAN_GetCfgWlanNum(void);
uint32_t WLAN_GetStaNumMax(void);
uint32_t WLAN_GetSsidIndexFor5G(void);
uint32_t WLAN_VAP_IsCfgEmpty(uint32_t ssidIndex);
uint32_t QZ_WLAN_GetIfAssociatedNum(uint32_t ssidIndex, uint32_t *count);
uint32_t QZ_WLAN_GetIfAssociatedDevice(uint32_t ssidIndex, uint32_t staNumber, void *record);
uint32_t WLAN_ADPT_GetIfAssociatedDevice(uint32_t ssidIndex, uint32_t staNumber, void *record);
uint32_t WLAN_GetStaStasByMac(const char *mac, void *stats);
uint32_t QZ_WIFI_DRV_GetIfIndexByMac(const char *mac, uint32_t *ifIndex, uint32_t *staId);
uint32_t QZ_WLAN_GetCurrentChannel(uint32_t ssidIndex, uint32_t *channel);
uint32_t WLAN_VAP_GetHexBssid(uint32_t ssidIndex, uint8_t *bssid, uint32_t len);
uint32_t WLAN_Adpt_GetNeighborhoodAPInfo(uint32_t ssidIndex, uint32_t neighbourNumber, void *record);
uint32_t WLAN_GetWifiNeighbor_CliNeighNum(uint32_t *counts, uint32_t countSlots, void *list, uint32_t listSlots);

/* ---- MAC text converters ---------------------------------------------- */

uint32_t UTIL_MacHexToStr(const uint8_t *mac, uint32_t count, char *text, uint32_t size);
uint32_t UTIL_MacStrToHex(const char *text, uint8_t *mac, uint32_t count);

/* ---- Bounded memory and text operations -------------------------------- */

int memcpy_s(void *dest, size_t destMax, const void *src, size_t count);
int memset_s(void *dest, size_t destMax, int ch, size_t count);
int strcpy_s(char *dest, size_t destMax, const char *src);
int strncpy_s(char *dest, size_t destMax, const char *src, size_t count);
int strcat_s(char *dest, size_t destMax, const char *src);
int sprintf_s(char *dest, size_t destMax, const char *fmt, ...) __attribute__((format(printf, 3, 4)));
int vsprintf_s(char *dest, size_t destMax, const char *fmt, va_list ap) __attribute__((format(printf, 3, 0)));
int vsnprintf_s(char *dest, size_t destMax, size_t count, const char *fmt, va_list ap)
    __attribute__((format(printf, 4, 0)));
int sscanf_s(const char *buffer, const char *fmt, ...);

/* ---- Calls of single areas (inter-process, hook tables, device model,
 *      configuration database, JSON, random bytes, sibling modules) are
 *      declared below, grouped by the area that uses them. ------------- */

/* ---- Sibling modules of the WLAN service: command shell ---------------- */

/* The CLI module's entry for type-1020 Wi-Fi command messages. */
uint32_t WLAN_CLI_WifiCmdMsgProc(const void *msg, uint32_t type, uint32_t a3, uint32_t a4);

#ifdef __cplusplus
}
#endif

#endif /* QZ_PLATFORM_H */
