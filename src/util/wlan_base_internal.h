/* Internal helpers of the utilities, visible to the unit tests. */
#ifndef WLAN_BASE_INTERNAL_H
#define WLAN_BASE_INTERNAL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Swaps len random pairs of positions. */
void WLAN_ShuffleChars(char *buf, uint32_t len);
/* dst = src plus offset in the last byte, with one carry into the fifth byte
 * (and from there into the fourth); the first three bytes never change. */
void WLAN_AddMacOffset(const uint8_t *src, uint8_t *dst, uint32_t size, uint32_t offset);

#ifdef __cplusplus
}
#endif

#endif /* WLAN_BASE_INTERNAL_H */
