// Local MAC addresses, channel sorting, text shown through a temporary file,
// white space and printable checks, JSON members, the encoders' argument check.
#define WLAN_UNIT_NAME "wlan_base"
#include "qz_wlan_util.h"

#include <string.h>

#include "wlan_base_internal.h"
#include "wlan_internal.h"

namespace {

constexpr uint32_t kMacBytes = 6;
constexpr uint8_t kLocalAdminBit = 0x02;
constexpr int32_t kOpenCreateRw = 0x42;  // read-write, create when missing
constexpr uint32_t kTempFileMode = 0640;

// The path becomes one word of the shell command "cat %s": refused are the
// characters the shell would take as syntax (blanks and control characters,
// quotes, backslash, ; | & $ < > ( ) ` { }, glob and history characters) and
// a leading ~ or #. Any other path is opened as it is; an empty one fails at
// the open.
constexpr char kShellSyntax[] = "'\"\\;|&$<>()`{}*?[]!";

bool IsShellWord(const char *path)
{
    if (path[0] == '~' || path[0] == '#') return false;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(path); *p != '\0'; p++) {
        if (*p <= ' ' || *p == 0x7F || memchr(kShellSyntax, *p, sizeof(kShellSyntax) - 1) != nullptr) return false;
    }
    return true;
}

enum class JsonWay { kAdd, kGet };

// Adding and getting a member take the same steps: a missing item is refused,
// the item's type picks the JSON call, and a failed call is reported with the
// type. Only the calls differ, and how a type other than the three is refused
// (silently on add, reported on get). Adding only reads the item.
uint32_t MoveJsonItem(JsonWay way, void *obj, WLAN_JSON_ITEM *item)
{
    if (item == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    bool get = way == JsonWay::kGet;
    uint32_t ret;
    switch (item->uiType) {
        case WLAN_JSON_TYPE_INT:
            if (!get && item->pValue == nullptr) {
                WLAN_LAST_WORD(1, item->uiType, 0);
                return 1;
            }
            ret = get ? JSON_ObjGetValueInt(obj, item->pcKey, static_cast<int32_t *>(item->pValue))
                      : JSON_ObjAddKeyValueInt(obj, item->pcKey, *static_cast<const int32_t *>(item->pValue));
            break;
        case WLAN_JSON_TYPE_STRING:
            ret = get ? JSON_ObjGetValueString(obj, item->pcKey, static_cast<char *>(item->pValue), item->uiSize)
                      : JSON_ObjAddKeyValueString(obj, item->pcKey, static_cast<const char *>(item->pValue));
            break;
        case WLAN_JSON_TYPE_OBJECT:
            ret = get ? JSON_ObjGetValueObj(obj, item->pcKey, &item->pValue)
                      : JSON_ObjAddKeyValue(obj, item->pcKey, item->pValue);
            break;
        default:
            if (get) {
                WLAN_LAST_WORD(1, item->uiType, 0);
            }
            return 1;
    }
    if (ret != 0) WLAN_LAST_WORD(ret, item->uiType, 0);
    return ret;
}

}  // namespace

void WLAN_GenerateLocalMac(const char *baseMac, char *dst, uint32_t size, uint32_t offset)
{
    if (baseMac == nullptr || dst == nullptr || size < WLAN_MAC_STR_LEN) {
        WLAN_LAST_WORD(1, size, 0);
        return;
    }
    uint8_t base[kMacBytes];
    memset(base, 0, sizeof(base));
    uint32_t ret = UTIL_MacStrToHex(baseMac, base, kMacBytes);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return;
    }
    if (offset == 0) {
        base[0] |= kLocalAdminBit;
        // Six bytes into a destination whose size was checked: cannot fail.
        (void)UTIL_MacHexToStr(base, kMacBytes, dst, size);
        return;
    }
    uint8_t derived[kMacBytes];
    memset(derived, 0, sizeof(derived));
    WLAN_AddMacOffset(base, derived, sizeof(derived), offset);
    // Six bytes into a destination whose size was checked: cannot fail.
    (void)UTIL_MacHexToStr(derived, kMacBytes, dst, size);
}

void WLAN_AddMacOffset(const uint8_t *src, uint8_t *dst, uint32_t size, uint32_t offset)
{
    int ret = memcpy_s(dst, size, src, kMacBytes);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, size, 0);
        return;
    }
    uint32_t sum = static_cast<uint32_t>(dst[5]) + offset;
    dst[5] = static_cast<uint8_t>(sum);
    if ((sum & 0xFF00u) == 0) return;
    if (dst[4] < 0xFF) {
        dst[4]++;
    } else {
        dst[4] = 0;
        dst[3] = static_cast<uint8_t>(dst[3] + 1);
    }
}

void QZ_WLAN_SortChannels(uint8_t *channels, uint32_t count)
{
    for (uint32_t i = 0; i < count; i++) {
        for (uint32_t j = i; j < count; j++) {
            if (channels[i] >= channels[j]) {
                uint8_t tmp = channels[i];
                channels[i] = channels[j];
                channels[j] = tmp;
            }
        }
    }
}

uint32_t WLAN_CatFile(const char *data, const char *path, uint32_t len)
{
    if (path == nullptr || !IsShellWord(path)) {
        WLAN_LAST_WORD(1, len, 0);
        return 1;
    }
    char cmd[QZ_OS_CMD_BUF_LEN];
    memset(cmd, 0, sizeof(cmd));
    int32_t fd = QZ_OS_Open(path, kOpenCreateRw, kTempFileMode);
    if (fd == -1) {
        WLAN_LAST_WORD(WLAN_ERR_FILE_OPEN, 0, 0);
        return WLAN_ERR_FILE_OPEN;
    }
    int32_t written = QZ_OS_Write(fd, data, len);
    // Closing what it opened: a failed close leaves nothing to undo.
    (void)QZ_OS_Close(fd);
    if (written <= 0) {
        // Not examined: a file that cannot be removed is overwritten by the next use.
        (void)QZ_OS_Remove(path);
        WLAN_LAST_WORD(1, QZ_OS_GetLastErr(), 0);
        return 1;
    }
    int32_t formatted = QZ_OS_CmdFormat(cmd, "cat %s", path);
    if (formatted <= 0) {
        // Not examined: a file that cannot be removed is overwritten by the next use.
        (void)QZ_OS_Remove(path);
        WLAN_LAST_WORD(1, formatted, 0);
        return 1;
    }
    const SSP_EXEC_OPT_S opt = {0, 1, 0};
    // Not examined: the shell's answer says nothing about the text shown.
    (void)SSP_ExecShellCmd(&opt, cmd, 0);
    // Not examined: a file that cannot be removed is overwritten by the next use.
    (void)QZ_OS_Remove(path);
    return 0;
}

char *QZ_WLAN_StrStrip(char *text)
{
    if (text == nullptr) return nullptr;
    while (*text != '\0' && QZ_OS_Isspace(static_cast<unsigned char>(*text)) != 0) text++;
    return text;
}

uint32_t QZ_OS_IsPrintable(char ch)
{
    return static_cast<int8_t>(ch) > 31 ? 1u : 0u;
}

uint32_t QZ_OS_IsPrintableStr(const char *text)
{
    if (text == nullptr) {
        WLAN_LAST_WORD(0xFFFFFFFFu, 0, 0);
        return 0;
    }
    while (QZ_OS_IsPrintable(*text) != 0) text++;
    return *text == '\0' ? 1u : 0u;
}

uint32_t WLAN_AddJsonItem(const WLAN_JSON_ITEM *item, void *obj)
{
    return MoveJsonItem(JsonWay::kAdd, obj, const_cast<WLAN_JSON_ITEM *>(item));
}

uint32_t WLAN_GetJsonItem(void *obj, WLAN_JSON_ITEM *item)
{
    return MoveJsonItem(JsonWay::kGet, obj, item);
}

uint32_t WLAN_EncodeParaInValid(const char *in, const char *out, uint32_t size)
{
    return (in == nullptr || out == nullptr || size < 2) ? 1u : 0u;
}
