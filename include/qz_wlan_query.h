/*
 * Platform queries: conversions between radio instances, radio indexes, SSID
 * indexes and radio type texts; device-model predicates and getters;
 * configuration-database parameter lists.
 *
 * Radio instance 1..3 (2.4 GHz, 5 GHz, third radio), radio index 0..2
 * (instance - 1), SSID indexes in blocks of the platform's SSIDs per band.
 * The third radio reads "6G", or "5G-2" on a product with the second 5 GHz
 * radio. Mapping functions answer a bad argument with a usable default
 * (index 0, instance 1); the status functions answer 0 or a failure code.
 * Product answers that cannot change are cached for the process's life.
 */
#ifndef QZ_WLAN_QUERY_H
#define QZ_WLAN_QUERY_H

#include "qz_wlan_common.h"

QZ_WLAN_EXTERN_C_BEGIN

/* ---- Radio index and type mapping ---------------------------------------- */

#define WLAN_RADIO_INST_MAX 3u
/* Longest radio type text ("5G-2") with its terminator. */
#define WLAN_RADIO_TYPE_LEN 5u

QZ_WLAN_API uint32_t WLAN_CheckRadioInstValid(uint32_t radioInst);
/* The largest SSID offset within one band: SSIDs per band - 1, or 3. */
QZ_WLAN_API uint32_t WLAN_GetMaxIndex_SingleBand(void);
QZ_WLAN_API uint32_t WLAN_GetChipIndex(uint32_t ssidIndex);
QZ_WLAN_API uint32_t WLAN_GetRadioInst(uint32_t ssidIndex);
QZ_WLAN_API uint32_t WLAN_GetDefIndex_ByRadioInst(uint32_t radioInst);
QZ_WLAN_API uint32_t WLAN_GetDefIndex_BySSIDIndex(uint32_t ssidIndex);
QZ_WLAN_API uint32_t WLAN_CheckSupport5GHigh(void);
/* Instance 3 becomes 2 on a product with the second 5 GHz radio. */
QZ_WLAN_API uint32_t WLAN_ConvertRadioInst(uint32_t radioInst);
QZ_WLAN_API uint32_t WLAN_GetRadioTypeByIndex(uint32_t radioIndex, char *buf, uint32_t size);
QZ_WLAN_API uint32_t WLAN_GetRadioTypeByInst(uint32_t radioInst, char *buf, uint32_t size);
/* Letter case is ignored; a text naming no radio answers index 0. */
QZ_WLAN_API uint32_t WLAN_GetRadioIndexByType(const char *radioType);
QZ_WLAN_API uint32_t WLAN_GetRadioInstByType(const char *radioType);
/* 1 when the text names one of the product's configured radios. */
QZ_WLAN_API uint32_t WLAN_CheckRadioTypeValid(const char *radioType);

/* ---- Device-model queries -------------------------------------------------- */

QZ_WLAN_API uint32_t WLAN_DM_IsBinWordCmcc(void);
QZ_WLAN_API uint32_t WLAN_DM_IsBinWordE8c(void);
QZ_WLAN_API uint32_t WLAN_DM_IsBinWordA8c(void);
/* The configuration word (cached once non-empty) equals `word`. */
QZ_WLAN_API uint32_t WLAN_DM_IsCfgWordMatch(const char *word);
/* The configuration word (read afresh) begins with `word`. */
QZ_WLAN_API uint32_t WLAN_DM_IsCfgWordContained(const char *word);
QZ_WLAN_API uint32_t WLAN_IsSupportCtrgAndUbus(void);
QZ_WLAN_API uint32_t WLAN_IsTianyiE8C(void);
QZ_WLAN_API uint32_t WLAN_DM_IsAreaChina(void);
/* The product name, or "ONT" when the device model has none. */
QZ_WLAN_API uint32_t QZ_WLAN_GetProductName(char *dest, uint32_t size);
/* The serial number; an empty text when the device model has none. */
QZ_WLAN_API void WLAN_Get_SN(char *dest, uint32_t size);
QZ_WLAN_API void WLAN_Get_UpPortId(uint32_t *portId);
QZ_WLAN_API uint32_t WLAN_IsSupportAndlink(void);
QZ_WLAN_API uint32_t WLAN_BponGatewayStartWithNoChip(void);
QZ_WLAN_API uint32_t WLAN_DM_GetDefault5gInst(void);
QZ_WLAN_API uint32_t WLAN_DM_IsSupportMultilink(void);
/* Records the fit-AP mode (1: managed access point) in the general log ring;
 * call after WLAN_CMD_LogInit. The last call wins. */
QZ_WLAN_API void WLAN_FITAP_Init(uint32_t mode);
QZ_WLAN_API uint32_t WLAN_IsFitApMode(void);

/* ---- Configuration-database parameter lists --------------------------------- */

#define WLAN_DB_TYPE_UINT32 1u
#define WLAN_DB_TYPE_STRING 6u

/* A key parameter; the list refers to uiValue in place. */
typedef struct {
    uint32_t uiParaId;
    uint32_t uiValue;
} WLAN_DB_KEY_S;

/* A parameter and where its value is read from or written to. */
typedef struct {
    uint32_t uiParaId;
    void *pValue;
    uint32_t uiType;
} WLAN_DB_PARA_S;

/* One row of the table WLAN_DB_GetParaByCmo applies a delivered value with. */
typedef struct {
    uint32_t uiParaId;
    uint32_t uiType;
    uint32_t uiAlwaysChanged;
    const void *pOldValue;
    uint8_t *pucChanged;
    void *pDest;
    uint32_t uiDestSize;
} WLAN_DB_PARA_DESC_S;

/* Build a parameter list of `count` elements; on failure the list is
 * already released and *handle must not be used. The elements must outlive
 * the list. */
QZ_WLAN_API uint32_t WLAN_DB_AllocAppendKeyList(uint32_t *handle, WLAN_DB_KEY_S *keys, uint32_t count);
QZ_WLAN_API uint32_t WLAN_DB_AllocAppendParaList(uint32_t *handle, WLAN_DB_PARA_S *paras, uint32_t count);
/* Stores the delivered value (a uint32_t or a text) through the row of
 * `paraId` and sets its changed flag. */
QZ_WLAN_API void WLAN_DB_GetParaByCmo(uint32_t paraId, const void *value, const WLAN_DB_PARA_DESC_S *table,
                                      uint32_t count);

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_QUERY_H */
