// Handlers and helpers of the wlancmd shell that are not exported: the
// catalogue registers them, tests call them directly.
#ifndef WLAN_DEBUG_INTERNAL_H
#define WLAN_DEBUG_INTERNAL_H

#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t WLAN_CMD_MasterShow(uint32_t argc, char *argv[]);
uint32_t WLAN_CMD_WlCmd(uint32_t argc, char *argv[]);
uint32_t WLAN_CMD_WlAssocList(uint32_t argc, char *argv[]);
uint32_t WLAN_CMD_WlRssi(uint32_t argc, char *argv[]);
uint32_t WLAN_CMD_WlUpdateAssoc(char *argv[]);
uint32_t WLAN_CMD_ScnDebugAddFriend(uint32_t argc, char *argv[]);
uint32_t WLAN_TrigRsvd(uint32_t argc, char *argv[]);
uint32_t WLAN_TrigRadar(uint32_t argc, char *argv[]);
uint32_t WLAN_CMD_ShowRelationNeighbor(uint32_t argc, char *argv[]);

/* AP instance list: count (u32) and 32 instance numbers, 132 bytes. Instance
 * 0 is always in it. */
uint32_t WLAN_IsApInstInList(const uint8_t *list, uint32_t instance);
/* Prints the relation table from the AP instance list and the 33 records. */
void WLAN_PrintRelationNeighbor(const uint8_t *list, const uint8_t *records);

uint32_t WLAN_DBG_RegWlCmd(void);

/* A 32-bit field of a packed answer record (any alignment). */
static inline uint32_t WLAN_ReadU32(const uint8_t *bytes)
{
    uint32_t v;
    memcpy(&v, bytes, sizeof(v));
    return v;
}

#ifdef __cplusplus
}
#endif

#endif /* WLAN_DEBUG_INTERNAL_H */
