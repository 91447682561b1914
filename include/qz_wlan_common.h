/*
 * libqz_wlan_base: conventions shared by every public header.
 *
 * - Statuses are unsigned 32-bit: 0 success, 1 general failure, otherwise the
 *   code of the failing platform call passed on unchanged. Predicates answer
 *   1 or 0.
 * - Every buffer argument comes with its size in bytes; text results are
 *   always NUL-terminated, and a result that does not fit is not written.
 * - The library allocates through the platform and frees what it allocates;
 *   no function hands ownership of a block to its caller unless it says so.
 * - Failures are reported once, by the platform's last-word trace.
 */
#ifndef QZ_WLAN_COMMON_H
#define QZ_WLAN_COMMON_H

#include <stddef.h>
#include <stdint.h>

#if defined(QZ_WLAN_BUILDING)
#define QZ_WLAN_API __attribute__((visibility("default")))
#else
#define QZ_WLAN_API
#endif

#ifdef __cplusplus
#define QZ_WLAN_EXTERN_C_BEGIN extern "C" {
#define QZ_WLAN_EXTERN_C_END }
#else
#define QZ_WLAN_EXTERN_C_BEGIN
#define QZ_WLAN_EXTERN_C_END
#endif

#ifndef QZ_OS_MUTEX_DEFINED
#define QZ_OS_MUTEX_DEFINED
/* A platform mutex stored in place by its owner. */
typedef struct {
    union {
        unsigned char aucRaw[64];
        long long llAlign;
        void *pAlign;
    } u;
} QZ_OS_MUTEX_S;
#endif

/* Every wlancmd handler: word count as the message carries it, and the eight
 * word pointers of the command line. 0 for success. */
typedef uint32_t (*WLAN_DBG_CMD_HANDLER)(uint32_t argc, char *argv[]);

#define WLAN_MAC_STR_LEN 18u

#endif /* QZ_WLAN_COMMON_H */
