/*
 * Records the Wi-Fi driver adapters fill for the air-interface log. Their
 * layout is the adapters'; only the fields the library reads are named. Every
 * field sits at the same offset on 32-bit ARM and x86-64: there is no 64-bit
 * member, so no padding differs between the two ABIs.
 */
#ifndef QZ_ADPT_RECORDS_H
#define QZ_ADPT_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Filled by WLAN_ADPT_GetIfAssociatedDevice: one associated station. */
typedef struct {
    uint8_t aucRsvd0[4];
    char acMac[18]; /* "aa:bb:cc:dd:ee:ff" */
    uint8_t aucRsvd1[10];
    uint32_t uiTxRate;
    uint32_t uiRxRate;
    int8_t cRssi;
    uint8_t aucRsvd2[11];
    uint32_t uiPowerSave; /* low byte used; 1 is on */
    uint8_t aucRsvd3[80];
    uint32_t uiActive; /* non-zero for a station to be sampled */
    uint8_t aucRsvd4[468];
} WLAN_ADPT_STA_INFO;

/* Filled by WLAN_GetStaStasByMac: the station's counters. The 64-bit byte
 * counter is only 4-aligned in the record, so it is kept as bytes. */
typedef struct {
    uint8_t aucRsvd0[8];
    uint8_t aucTxBytes[8]; /* unsigned 64-bit, host byte order */
    uint8_t aucRsvd1[36];
} WLAN_STA_STATS;

#ifdef __cplusplus
static_assert(sizeof(WLAN_ADPT_STA_INFO) == 608, "adapter station record size");
static_assert(offsetof(WLAN_ADPT_STA_INFO, acMac) == 4, "station MAC text");
static_assert(offsetof(WLAN_ADPT_STA_INFO, uiTxRate) == 32, "transmit rate");
static_assert(offsetof(WLAN_ADPT_STA_INFO, uiRxRate) == 36, "receive rate");
static_assert(offsetof(WLAN_ADPT_STA_INFO, cRssi) == 40, "signal strength");
static_assert(offsetof(WLAN_ADPT_STA_INFO, uiPowerSave) == 52, "power-save state");
static_assert(offsetof(WLAN_ADPT_STA_INFO, uiActive) == 136, "sampling word");
static_assert(sizeof(WLAN_STA_STATS) == 52, "statistics record size");
static_assert(offsetof(WLAN_STA_STATS, aucTxBytes) == 8, "byte counter");
#endif

#ifdef __cplusplus
}
#endif

#endif /* QZ_ADPT_RECORDS_H */
