/*
 * Air-interface log: a periodic timer samples every associated station,
 * classifies heavy users as anchor users and appends one line per anchor user
 * and cycle to "/var/wifi_airInterface", packed into
 * "/var/wifi_airInterface.tar.gz" whenever it holds 50000 record lines.
 *
 * The host calls WLAN_InitAirInterface once at start (after WLAN_CMD_LogInit,
 * since a failure is written to the debug log). There is no stop operation:
 * the lists and the timer live until the process ends.
 */
#ifndef QZ_WLAN_AIRINTERFACE_H
#define QZ_WLAN_AIRINTERFACE_H

#include "qz_wlan_common.h"

QZ_WLAN_EXTERN_C_BEGIN

/* Allocates the user table and the sample list and starts the sampling timer.
 * 0 on success; 1 when a list cannot be allocated; otherwise the timer
 * service's code. On failure nothing stays allocated and no timer runs. */
QZ_WLAN_API uint32_t WLAN_InitAirInterface(void);

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_AIRINTERFACE_H */
