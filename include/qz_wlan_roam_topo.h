/*
 * Roam-event lines and the rotating topology debug files.
 *
 * Roam lines: one line per roam step of a station, written whole to the Wi-Fi
 * log file "/proc/wifilog/debug/2G" through the platform. A line is at most 255
 * bytes before its newline; a longer one is dropped, never cut short. No
 * operation returns an error: failures are reported by a last-word trace.
 *
 * Topology files: "/var/zarvo/topodebug.<n>.log", n from 1 (oldest) to 10
 * (newest), each closed at 131072 bytes (by at most one line more). Each call
 * writes one time-stamped line of at most 255 bytes; no newline is added.
 * Calls are safe from any thread: choosing the file, rotating and writing are
 * serialised, so lines are never interleaved and none is lost in a rotation.
 *
 * Neither family allocates memory or needs an initialisation call.
 */
#ifndef QZ_WLAN_ROAM_TOPO_H
#define QZ_WLAN_ROAM_TOPO_H

#include <time.h>

#include "qz_wlan_common.h"

QZ_WLAN_EXTERN_C_BEGIN

#define WLAN_ROAM_LOG_PATH "/proc/wifilog/debug/2G"
#define WLAN_ROAM_LINE_SIZE 256u

/* Roam action numbers with a name; 0 and numbers above 13 have none. */
#define WLAN_ROAM_NETLINK_ONLINE 1u
#define WLAN_ROAM_SMARTLINK_ONLINE 2u
#define WLAN_ROAM_NETLINK_OFFLINE 3u
#define WLAN_ROAM_SMARTLINK_OFFLINE 4u
#define WLAN_ROAM_SCAN_START 5u
#define WLAN_ROAM_SCAN_END 6u
#define WLAN_ROAM_SCAN_FAILED 7u
#define WLAN_ROAM_JUDGE_SUCCESS 8u
#define WLAN_ROAM_JUDGE_FAILED 9u
#define WLAN_ROAM_MOVE_START 10u
#define WLAN_ROAM_MOVE_END 11u
#define WLAN_ROAM_MOVE_TIMEOUT 12u
#define WLAN_ROAM_KICK_INVALID_STA 13u

/* Band indexes of a roam line; any other index prints as "NA". */
#define WLAN_ROAM_BAND_2G 0u
#define WLAN_ROAM_BAND_5G 1u

#define WLAN_TOPO_FILE_FORMAT "/var/zarvo/topodebug.%u.log"
#define WLAN_TOPO_FILE_COUNT 10u
#define WLAN_TOPO_FILE_LIMIT 131072u
#define WLAN_TOPO_NAME_SIZE 33u
#define WLAN_TOPO_LINE_SIZE 256u

/* Results of WLAN_LogTimeCompare. */
#define WLAN_TIME_EARLIER 0u
#define WLAN_TIME_LATER 1u
#define WLAN_TIME_SAME 2u
#define WLAN_TIME_FIRST_ZERO 3u
#define WLAN_TIME_INVALID 4u

/* The number of this access point printed in every roam line. */
QZ_WLAN_API extern uint8_t g_ownAPInst;

/* Stores the low byte of apInst in g_ownAPInst. */
QZ_WLAN_API void WLAN_SetOwnAPInst(uint32_t apInst);

/* Writes "YYYY-MM-DD hh:mm:ss.mmm " (configured local time, milliseconds of
 * the time of day) into dest; nothing when the local time is not available. */
QZ_WLAN_API void WLAN_AppendRoamTime(char *dest, uint32_t size);

/* Copies the name of a roam action into dest; dest is untouched for a number
 * without a name. */
QZ_WLAN_API void WLAN_TransRoamAction(uint32_t action, char *dest, uint32_t size);

/* One roam line: "<time>[FBT][STA <mac>][Band <band>][AP:<n>][<action>] <message>\n".
 * mac is the 17-character MAC text, masked to "aa:bb:cc:dd:XX:XX" unless the
 * platform allows full addresses; the message must not end with a newline. */
QZ_WLAN_API void WLAN_RecordRoamLog(const char *mac, uint32_t band, uint32_t action, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));

/* Appends "[YYYY-MM-DD hh:mm:ss] <message>" to the current topology file. */
QZ_WLAN_API void WLAN_TOPO_DebugLog(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

/* Writes "[YYYY-MM-DD hh:mm:ss] " at the start of dest and adds its length to
 * *len; nothing (and *len unchanged) when the local time is not available. */
QZ_WLAN_API void WLAN_CMD_AppendTimeFormat(char *dest, uint32_t size, uint32_t *len);

/* Chooses the topology file to write next, rotating the family when the last
 * file is full, and copies its name into dest. 0, or the copy's code. */
QZ_WLAN_API uint32_t WLAN_CMD_GetNewFileName(char *dest, uint32_t size);

/* Compares two calendar times to the second, by their first six fields. One
 * of the WLAN_TIME_ results; WLAN_TIME_FIRST_ZERO whatever the second is. */
QZ_WLAN_API uint32_t WLAN_LogTimeCompare(const struct tm *first, const struct tm *second);

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_ROAM_TOPO_H */
