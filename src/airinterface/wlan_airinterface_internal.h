/*
 * Internals of the air-interface log, shared with the unit tests and the
 * benchmark. Everything here runs on the timer thread only, once
 * WLAN_InitAirInterface has returned.
 */
#ifndef WLAN_AIRINTERFACE_INTERNAL_H
#define WLAN_AIRINTERFACE_INTERNAL_H

#include <stddef.h>
#include <stdint.h>

#include "qz_adpt_records.h"
#include "qz_wlan_airinterface.h"

#define WLAN_AIR_USER_MAX 256u
#define WLAN_AIR_ANCHOR_CYCLES 20u
#define WLAN_AIR_RATE_DIVISOR 3000u
#define WLAN_AIR_RATE_THRESHOLD 2048u
#define WLAN_AIR_FILE_LINES 50000u

#define WLAN_AIR_RECORD_FILE "/var/wifi_airInterface"
#define WLAN_AIR_ARCHIVE_FILE "/var/wifi_airInterface.tar.gz"
#define WLAN_AIR_HEADER "MAC               STAID  TIME                 RSSI Tx/RxRate     PowerSave\r\n"

/* One station: a slot of the user table or a record of the sample list (the
 * table-only fields stay 0 in the sample). */
typedef struct {
    char userMac[18];
    uint8_t isAnchor;
    uint8_t isOnline;
    int32_t rssi;
    uint8_t powerSave;
    uint32_t txRate;
    uint32_t rxRate;
    uint64_t realTimeTxRate;
    uint64_t txBytes;
    uint32_t checkCount;
} WLAN_AIR_USER_S;

typedef struct {
    uint32_t num;
    WLAN_AIR_USER_S users[WLAN_AIR_USER_MAX];
} WLAN_AIR_USER_LIST_S;

/* Module state: zero at load. */
extern WLAN_AIR_USER_LIST_S *g_pstAirUserTable;
extern WLAN_AIR_USER_LIST_S *g_pstAirUserSample;
extern uint32_t g_airInterfaceTimer;
namespace wlan_air {
extern uint8_t isExist;   // 1 once this process created the record file
extern uint32_t lineNum;  // record lines since creation or the last packing
}  // namespace wlan_air

/* The sampler. */
uint32_t WLAN_AirInterfaceStartTimer(void);
/* One cycle: sample, reconcile, classify, write. The write step's result. */
uint32_t WLAN_AirInterfaceTimerProc(void);
void WLAN_AirInterfaceGetUsers(WLAN_AIR_USER_LIST_S *list);
uint32_t WLAN_AirInterfaceGetOneUser(const WLAN_ADPT_STA_INFO *sta, WLAN_AIR_USER_S *user);
void WLAN_AirInterfaceUpdateUsers(const WLAN_AIR_USER_LIST_S *sample);
void WLAN_AirInterfaceUpdateOneUser(uint32_t i, const WLAN_AIR_USER_S *user);
/* Stores a new user in the lowest free slot; a full table stores nothing. */
void WLAN_AirInterfaceAddUser(const WLAN_AIR_USER_S *user);
void WLAN_AirInterfaceUserIdentify(uint32_t i);

/* The record file and its archive. */
uint32_t WLAN_AirInterfaceWriteUsers(void);
uint32_t WLAN_AirInterfaceOpenFile(int32_t *fd, uint8_t *exist, uint32_t *lines);
uint32_t WLAN_AirInterfaceWriteOneUser(uint32_t i, const char *timeText, int32_t fd);
uint32_t WLAN_AirInterfacePack(uint32_t *lines);
uint32_t WLAN_AirInterfaceExecCmd(const char *cmd);

#endif /* WLAN_AIRINTERFACE_INTERNAL_H */
