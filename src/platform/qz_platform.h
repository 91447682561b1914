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

/* ---- Utilities: JSON objects and random bytes -------------------------- */

/* JSON objects are opaque handles of the platform's JSON library. A member
 * object's handle stays valid as long as the object that holds it. */
uint32_t JSON_ObjAddKeyValueInt(void *obj, const char *key, int32_t value);
uint32_t JSON_ObjAddKeyValueString(void *obj, const char *key, const char *value);
uint32_t JSON_ObjAddKeyValue(void *obj, const char *key, void *value);
uint32_t JSON_ObjGetValueInt(void *obj, const char *key, int32_t *value);
uint32_t JSON_ObjGetValueString(void *obj, const char *key, char *value, uint32_t size);
uint32_t JSON_ObjGetValueObj(void *obj, const char *key, void **value);

/* Fills len bytes with random data. */
uint32_t OS_GetRandomEx(void *buf, uint32_t len);

/* ---- Device model and configuration database: platform queries ------- */

/* Copies product attribute `attrId` into the buffer, at most size bytes
 * (texts NUL-terminated); 0 on success. */
uint32_t QZ_DM_PDGetAttr(uint32_t attrId, uint32_t size, void *buffer);
/* The product attributes the library reads, and their sizes. */
#define QZ_DM_ATTR_PRODUCT_NAME 11u
#define QZ_DM_ATTR_GATEWAY_SN 0x11000035u
#define QZ_DM_ATTR_AP_SN 0x1100003Bu
#define QZ_DM_ATTR_BIN_WORD 0x11000044u
#define QZ_DM_ATTR_CFG_WORD 0x11000045u
#define QZ_DM_ATTR_REGION 0x11000099u
#define QZ_DM_WORD_LEN 25u
#define QZ_DM_GATEWAY_SN_LEN 65u
#define QZ_DM_AP_SN_LEN 21u
/* Stores the identifier of the current upstream user port. */
uint32_t QZ_DM_GetCurUpUserPortID_Ext(uint32_t *portId);
/* 1 when the device runs in equipment (factory test) mode. */
uint32_t QZ_TOLP_CheckIsEquipMode(void);

/* Parameter lists of the XML configuration database, known by a 32-bit
 * handle. The allocation receives the builder's element array and count
 * unchanged; an appended parameter refers to its value in place. */
uint32_t QZ_XML_DBAllocParaList(uint32_t *handle, const void *elements, uint32_t count);
uint32_t QZ_XML_DBAppendAllParaToParaList(uint32_t handle, uint32_t paraId, uint32_t reserved1, uint32_t type,
                                          uint32_t reserved2, void *value, uint32_t reserved3);
uint32_t QZ_XML_DBFreeParaList(uint32_t handle);

/* ---- Sibling modules of the WLAN service: command shell ---------------- */

/* The CLI module's entry for type-1020 Wi-Fi command messages. */
uint32_t WLAN_CLI_WifiCmdMsgProc(const void *msg, uint32_t type, uint32_t a3, uint32_t a4);

/* Handlers of sibling modules registered by the catalogue ("debug ap", "scen"). */
uint32_t WLAN_CMD_ApDebug(uint32_t argc, char *argv[]);
uint32_t WLAN_CLI_InstallScene(uint32_t argc, char *argv[]);

/* ---- Inter-process calls: command shell --------------------------------- */

/* The platform's header of an inter-process call, zero-filled before use. */
#define QZ_MSG_BLOCK_LEN 88u
#define QZ_MSG_BLOCK_CALLER_OFFSET 4u
#define QZ_MSG_BLOCK_TARGET_OFFSET 40u
#define QZ_MSG_BLOCK_NAME_LEN 32u
typedef struct {
    unsigned char aucRaw[QZ_MSG_BLOCK_LEN];
} QZ_MSG_BLOCK_S;

/* A synchronous call into another process; 0 means the answer is in the
 * buffer. */
uint32_t QZ_MSG_RpcCall(QZ_MSG_BLOCK_S *block, uint32_t msgNo, uint32_t reserved, const void *request,
                        uint32_t requestLen, void *answer, uint32_t answerSize, uint32_t timeoutMs);
uint32_t QZ_WLAN_InitMsgBlock(QZ_MSG_BLOCK_S *block);
const char *QZ_MSG_GetCurProcName(void);

/* ---- Hook tables of sibling modules: command shell and neighbour maps --- */

/* One entry of a hook table: a function address, cast to its real type
 * before the call. A table or an entry may be missing (null). */
typedef void (*QZ_HOOK_FUNC)(void);
QZ_HOOK_FUNC *Hook_GetZarvoFunc(void);
QZ_HOOK_FUNC *FBT_REPORT_Hook_GetReportFunc(void);

/* Smart-home link module entries (counting from 0). The neighbour map is the
 * 53828-byte WLAN_NEIGH_MAP_S; the own-BSSID list 16 MAC addresses of 6 bytes. */
#define QZ_ZARVO_HOOK_GET_AP_NEIGH_MAP 27u
#define QZ_ZARVO_HOOK_GET_AP_SELF_BSSID 30u
#define QZ_ZARVO_HOOK_MASTER_SHOW 55u
typedef uint32_t (*QZ_ZARVO_GET_AP_NEIGH_MAP_FN)(uint32_t apNumber, uint32_t *count, void *map);
typedef uint32_t (*QZ_ZARVO_GET_AP_SELF_BSSID_FN)(uint32_t apNumber, uint8_t *bssids);
typedef uint32_t (*QZ_ZARVO_MASTER_SHOW_FN)(uint32_t argc, char *argv[]);
/* Report module entry: the radar trigger. */
#define QZ_REPORT_HOOK_RADAR_TRIGGER 10u
typedef uint32_t (*QZ_REPORT_RADAR_TRIGGER_FN)(uint32_t arg);

/* ---- Roaming module: command shell --------------------------------------- */

uint32_t SCN_DisplayScnOnlineStaInfo(void);
uint32_t SCN_DisplayCandidateApInst(void);
uint32_t SCN_DisplayRoamLog(void);
/* Sub-handlers of "debug scn": 0 when they recognised and did the command. */
uint32_t SCN_ManualTriggerRoam(uint32_t argc, char *argv[]);
uint32_t SCN_SetRoamRestPktThresh(uint32_t argc, char *argv[]);
uint32_t SCN_ProcDfxLogByCmd(uint32_t argc, char *argv[]);
/* Fills the 324-byte friend-station list. */
uint32_t WIFI_SCN_GetFriendStaAll(void *list);
uint32_t FBT_SCN_AddStaFriend(uint32_t index, const char *mac);

/* Answer layouts, fields packed without gaps, native byte order:
 * - friend-station list: count (u32), then 32 slots of 10 bytes (offline
 *   order u32, MAC bytes);
 * - AP instance list (call 0x47310024): count (u32), 32 instance numbers;
 * - relation-neighbour records (call 0x4731004A): 33 records of 69 bytes,
 *   neighbour j's instance (u32, 0xFFFFFFFF none) at 5 + 4j and its RSSI in
 *   dBm (s32) at 37 + 4j. */
#define QZ_SCN_FRIEND_LIST_LEN 324u
#define QZ_SCN_FRIEND_SLOT_LEN 10u
#define QZ_SCN_FRIEND_MAX 32u
#define QZ_MSG_TOPO_INFO 0x48600C02u
#define QZ_MSG_AP_INST_LIST 0x47310024u
#define QZ_MSG_RELATION_NEIGHBOR 0x4731004Au
#define QZ_AP_INST_LIST_LEN 132u
#define QZ_AP_INST_MAX 32u
#define QZ_RELATION_RECORDS 33u
#define QZ_RELATION_RECORD_LEN 69u
#define QZ_RELATION_NEIGHBORS 8u
#define QZ_RELATION_INST_OFFSET 5u
#define QZ_RELATION_RSSI_OFFSET 37u
#define QZ_RELATION_NO_INST 0xFFFFFFFFu
#define QZ_TOPO_ANSWER_LEN 174080u

/* ---- Driver-adapter records: neighbour maps and station listing --------- */

/* WLAN_Adpt_GetNeighborhoodAPInfo: BSSID text at 4, SSID text at 24, channel
 * (u8) at 61, RSSI (s8) at 62. */
#define QZ_NEIGH_RECORD_LEN 252u
#define QZ_NEIGH_RECORD_BSSID_OFFSET 4u
#define QZ_NEIGH_RECORD_SSID_OFFSET 24u
#define QZ_NEIGH_RECORD_CHANNEL_OFFSET 61u
#define QZ_NEIGH_RECORD_RSSI_OFFSET 62u
/* QZ_WLAN_GetIfAssociatedDevice: MAC text at 0, RSSI text at 1031. */
#define QZ_ASSOC_DEV_RECORD_LEN 1698u
#define QZ_ASSOC_DEV_RSSI_OFFSET 1031u

#ifdef __cplusplus
/* The records above are read as bytes at fixed offsets, the same on every
 * target; these checks keep the fields inside their records and apart. */
static_assert(QZ_MSG_BLOCK_CALLER_OFFSET == 4 && QZ_MSG_BLOCK_TARGET_OFFSET == 40 &&
                  QZ_MSG_BLOCK_CALLER_OFFSET + QZ_MSG_BLOCK_NAME_LEN <= QZ_MSG_BLOCK_TARGET_OFFSET &&
                  QZ_MSG_BLOCK_TARGET_OFFSET + QZ_MSG_BLOCK_NAME_LEN <= QZ_MSG_BLOCK_LEN &&
                  sizeof(QZ_MSG_BLOCK_S) == 88,
              "call header: caller name at 4, target name at 40, 88 bytes");
static_assert(sizeof(uint32_t) + QZ_SCN_FRIEND_MAX * QZ_SCN_FRIEND_SLOT_LEN == QZ_SCN_FRIEND_LIST_LEN &&
                  QZ_SCN_FRIEND_SLOT_LEN == sizeof(uint32_t) + 6 && QZ_SCN_FRIEND_LIST_LEN == 324,
              "friend-station list: count, 32 slots of order and MAC, 324 bytes");
static_assert(sizeof(uint32_t) * (1 + QZ_AP_INST_MAX) == QZ_AP_INST_LIST_LEN && QZ_AP_INST_LIST_LEN == 132,
              "AP instance list: count and 32 instances, 132 bytes");
static_assert(QZ_RELATION_INST_OFFSET == 5 && QZ_RELATION_RSSI_OFFSET == 37 &&
                  QZ_RELATION_INST_OFFSET + sizeof(uint32_t) * QZ_RELATION_NEIGHBORS == QZ_RELATION_RSSI_OFFSET &&
                  QZ_RELATION_RSSI_OFFSET + sizeof(int32_t) * QZ_RELATION_NEIGHBORS == QZ_RELATION_RECORD_LEN &&
                  QZ_RELATION_RECORDS * QZ_RELATION_RECORD_LEN == 2277,
              "relation-neighbour answer: 33 records of 69 bytes, instances at 5, RSSIs at 37");
static_assert(QZ_NEIGH_RECORD_BSSID_OFFSET == 4 && QZ_NEIGH_RECORD_SSID_OFFSET == 24 &&
                  QZ_NEIGH_RECORD_CHANNEL_OFFSET == 61 &&
                  QZ_NEIGH_RECORD_BSSID_OFFSET + WLAN_MAC_STR_LEN <= QZ_NEIGH_RECORD_SSID_OFFSET &&
                  QZ_NEIGH_RECORD_SSID_OFFSET + 33 <= QZ_NEIGH_RECORD_CHANNEL_OFFSET &&
                  QZ_NEIGH_RECORD_CHANNEL_OFFSET + 1 == QZ_NEIGH_RECORD_RSSI_OFFSET &&
                  QZ_NEIGH_RECORD_RSSI_OFFSET < QZ_NEIGH_RECORD_LEN && QZ_NEIGH_RECORD_LEN == 252,
              "adapter neighbour record: BSSID at 4, SSID at 24, channel at 61, RSSI at 62, 252 bytes");
static_assert(QZ_ASSOC_DEV_RSSI_OFFSET == 1031 && WLAN_MAC_STR_LEN <= QZ_ASSOC_DEV_RSSI_OFFSET &&
                  QZ_ASSOC_DEV_RSSI_OFFSET < QZ_ASSOC_DEV_RECORD_LEN && QZ_ASSOC_DEV_RECORD_LEN == 1698,
              "associated-device record: MAC at 0, RSSI at 1031, 1698 bytes");
/* The platform fills the gateway's 44-byte calendar time: eleven 32-bit words
 * on a 32-bit target (a 64-bit C library widens the last two). */
static_assert(sizeof(void *) != 4 || sizeof(struct tm) == 44, "calendar time: eleven 32-bit words");
#endif

#ifdef __cplusplus
}
#endif

#endif /* QZ_PLATFORM_H */
