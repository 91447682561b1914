// Topology debug files: one time-stamped line per call into the current file
// of a family of ten, rotated by size. Also the calendar-time comparison that
// the topology functions of the service use.
#define WLAN_UNIT_NAME "wlan_log"
#include <string.h>

#include <atomic>

#include "wlan_log_line.h"
#include "qz_wlan_roam_topo.h"
#include "wlan_internal.h"
#include "wlan_line_format.h"

uint32_t g_uiTopoFileIndex = 1;

namespace {

// The topology lock. This unit has no start-up call, so the lock must work
// from the first call on any thread without one. A spinlock on an
// atomic_flag would need nothing, but the holder does file I/O (open, write,
// close, and ten renames in a rotation) and can be preempted there; on the
// gateway's single core a waiter of higher real-time priority would then spin
// and starve the holder for good. So waiters block in a platform mutex (the
// library may not call pthread itself), which the first caller creates; the
// atomic word only orders that one creation, and the rare callers that meet
// it half done sleep instead of spinning. (Unlike the configuration word's
// first read, a caller here cannot go on without what the first one makes.)
enum : uint32_t { kLockUnset, kLockCreating, kLockReady };
constinit std::atomic<uint32_t> g_uiTopoLockState{kLockUnset};
constinit QZ_OS_MUTEX_S g_stTopoMutex = {};
constexpr uint32_t kCreateWaitMs = 1;

// false (reported) when the mutex cannot be created; the next call tries again.
bool TopoLock()
{
    for (;;) {
        uint32_t state = g_uiTopoLockState.load(std::memory_order_acquire);
        if (state == kLockReady) {
            break;
        }
        uint32_t expected = kLockUnset;
        if (state == kLockUnset &&
            g_uiTopoLockState.compare_exchange_strong(expected, kLockCreating, std::memory_order_acq_rel)) {
            uint32_t ret = QZ_OS_MutexInit(&g_stTopoMutex, 0);
            if (ret != 0) {
                g_uiTopoLockState.store(kLockUnset, std::memory_order_release);
                WLAN_LAST_WORD(ret, 0, 0);
                return false;
            }
            g_uiTopoLockState.store(kLockReady, std::memory_order_release);
            break;
        }
        QZ_OS_SleepMs(kCreateWaitMs);
    }
    (void)QZ_OS_MutexLock(&g_stTopoMutex);
    return true;
}

void TopoUnlock()
{
    (void)QZ_OS_MutexUnLock(&g_stTopoMutex);
}

bool TopoFileName(uint32_t number, char *name, uint32_t size)
{
    int ret = sprintf_s(name, size, WLAN_TOPO_FILE_FORMAT, number);
    if (ret <= 0) {
        WLAN_LAST_WORD(1, ret, number);
        return false;
    }
    return true;
}

// Drops the oldest file and moves the others one place down; file 10 is then
// free for the next write. Failed deletes and renames are not examined: the
// family goes on with file 10 either way.
void RotateFamily()
{
    char oldName[WLAN_TOPO_NAME_SIZE];
    char newName[WLAN_TOPO_NAME_SIZE];
    if (TopoFileName(1, newName, sizeof(newName))) {
        // Not examined: a file that cannot be removed is overwritten by the next use.
        (void)QZ_OS_Remove(newName);
    }
    for (uint32_t n = 1; n < WLAN_TOPO_FILE_COUNT; n++) {
        if (TopoFileName(n + 1, oldName, sizeof(oldName)) && TopoFileName(n, newName, sizeof(newName))) {
            // Not examined: a failed rotation keeps appending to the current file.
            (void)QZ_OS_Rename(oldName, newName);
        }
    }
}

// The file choice of WLAN_CMD_GetNewFileName; the caller holds the lock.
uint32_t ChooseFileLocked(char *dest, uint32_t size)
{
    char current[WLAN_TOPO_NAME_SIZE];
    memset(current, 0, sizeof(current));
    if (!TopoFileName(g_uiTopoFileIndex, current, sizeof(current))) {
        return 1;
    }
    uint32_t fileSize = 0;
    if (QZ_OS_GetFileSize(current, &fileSize) != 0) {
        fileSize = 0;  // not there yet: empty
    }
    if (fileSize > WLAN_TOPO_FILE_LIMIT) {
        if (g_uiTopoFileIndex < WLAN_TOPO_FILE_COUNT) {
            g_uiTopoFileIndex++;
            if (!TopoFileName(g_uiTopoFileIndex, current, sizeof(current))) {
                return 1;
            }
        } else {
            RotateFamily();
        }
    }
    int ret = strcpy_s(dest, size, current);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, g_uiTopoFileIndex, size);
        return static_cast<uint32_t>(ret);
    }
    return 0;
}

// Opens the current file (creating it), writes the line when asked, closes it.
// The lock spans the file choice and the write, so no other writer can rotate
// the family between them. Kept out of the logging entry point's frame.
__attribute__((noinline)) void AppendToCurrentFile(const char *line, bool write)
{
    char name[WLAN_TOPO_NAME_SIZE];
    memset(name, 0, sizeof(name));
    if (!TopoLock()) {
        return;
    }
    if (ChooseFileLocked(name, sizeof(name)) == 0) {
        QZ_OS_FILE *file = QZ_OS_Fopen(name, "a");
        if (file != nullptr) {
            if (write) {
                // Not examined: a line that cannot be written is dropped.
                (void)QZ_OS_Fputs(line, file);
            }
            // Closing what it opened: a failed close leaves nothing to undo.
            (void)QZ_OS_Fclose(file);
        }
    }
    TopoUnlock();
}

// The eleven fields, not the bytes: on 64-bit hosts the structure has padding
// that a caller's copy need not have zeroed (the 32-bit target has none).
bool IsAllZero(const struct tm *t)
{
    return t->tm_sec == 0 && t->tm_min == 0 && t->tm_hour == 0 && t->tm_mday == 0 && t->tm_mon == 0 &&
           t->tm_year == 0 && t->tm_wday == 0 && t->tm_yday == 0 && t->tm_isdst == 0 && t->tm_gmtoff == 0 &&
           t->tm_zone == nullptr;
}

// mktime of the first six fields only, so neither the day of week nor the
// daylight-saving flag of the input counts. -1 when it does not convert.
int64_t SecondsOf(const struct tm *in)
{
    struct tm tm;
    memset(&tm, 0, sizeof(tm));
    tm.tm_sec = in->tm_sec;
    tm.tm_min = in->tm_min;
    tm.tm_hour = in->tm_hour;
    tm.tm_mday = in->tm_mday;
    tm.tm_mon = in->tm_mon;
    tm.tm_year = in->tm_year;
    return static_cast<int64_t>(mktime(&tm));
}

}  // namespace

void WLAN_CMD_AppendTimeFormat(char *dest, uint32_t size, uint32_t *len)
{
    if (dest == nullptr || len == nullptr) {
        WLAN_LAST_WORD(1, size, 0);
        return;
    }
    struct tm tm;
    memset(&tm, 0, sizeof(tm));
    // Apart from the roam stamp's code: an unreadable clock is not reported here.
    if (QZ_TIMER_GetConfigDSTTime(&tm) != 0) {
        return;  // the line goes out without its stamp
    }
    int ret = sprintf_s(dest, size, "[%04u-%02u-%02u %02u:%02u:%02u] ", static_cast<uint32_t>(tm.tm_year + 1900),
                        static_cast<uint32_t>(tm.tm_mon + 1), static_cast<uint32_t>(tm.tm_mday),
                        static_cast<uint32_t>(tm.tm_hour), static_cast<uint32_t>(tm.tm_min),
                        static_cast<uint32_t>(tm.tm_sec));
    if (ret <= 0) {
        WLAN_LAST_WORD(1, ret, size);
        return;
    }
    *len += static_cast<uint32_t>(ret);
}

uint32_t WLAN_CMD_GetNewFileName(char *dest, uint32_t size)
{
    if (!TopoLock()) {
        return 1;
    }
    uint32_t ret = ChooseFileLocked(dest, size);
    TopoUnlock();
    return ret;
}

void WLAN_TOPO_DebugLog(const char *fmt, ...)
{
    char line[WLAN_TOPO_LINE_SIZE];
    uint32_t used = 0;
    memset(line, 0, sizeof(line));
    WLAN_CMD_AppendTimeFormat(line, sizeof(line), &used);
    // The line is complete before the lock is taken, so the lock covers only
    // the file choice and the one write.
    bool fits = false;
    va_list ap;
    va_start(ap, fmt);
    int msg = WLAN_FormatBehind(line, sizeof(line), used, &fits, fmt, ap);
    va_end(ap);
    // An empty, failed or overlong message writes nothing, not even the stamp;
    // the file is still opened, so it exists afterwards.
    AppendToCurrentFile(line, msg >= 1 && fits);
}

uint32_t WLAN_LogTimeCompare(const struct tm *first, const struct tm *second)
{
    if (first == nullptr || second == nullptr) {
        WLAN_LAST_WORD(1, WLAN_TIME_INVALID, 0);
        return WLAN_TIME_INVALID;
    }
    if (IsAllZero(first)) {
        return WLAN_TIME_FIRST_ZERO;
    }
    int64_t a = SecondsOf(first);
    if (a == -1) {
        WLAN_LAST_WORD(1, WLAN_TIME_INVALID, 1);
        return WLAN_TIME_INVALID;
    }
    int64_t b = SecondsOf(second);
    if (b == -1) {
        WLAN_LAST_WORD(1, WLAN_TIME_INVALID, 2);
        return WLAN_TIME_INVALID;
    }
    if (a < b) {
        return WLAN_TIME_EARLIER;
    }
    return a > b ? WLAN_TIME_LATER : WLAN_TIME_SAME;
}
