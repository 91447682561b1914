// Hex text and bytes, decimal numbers, a file-name time stamp, a rate, and
// table-driven batch copies that stop at their first failure.
#define WLAN_UNIT_NAME "wlan_datatrans_api"
#include "qz_wlan_util.h"

#include <string.h>

#include "wlan_internal.h"

namespace {

constexpr int32_t kDecimal = 10;
constexpr uint32_t kRateShift = 7;

// A batch without its array is refused as a whole.
bool MissingItems(const void *items, uint32_t count)
{
    if (items != nullptr || count == 0) return false;
    WLAN_LAST_WORD(1, count, 0);
    return true;
}

char Nibble(uint32_t v)
{
    return static_cast<char>(v < 10 ? 0x30 + v : 0x37 + v);
}

}  // namespace

uint32_t QZ_WLAN_IsValidHex(const char *text)
{
    for (const char *p = text; *p != '\0'; p++) {
        if (QZ_OS_IsHexChar(*p) == 0) {
            WLAN_LAST_WORD(1, static_cast<uint32_t>(p - text), 0);
            return 1;
        }
    }
    return 0;
}

uint32_t QZ_WLAN_StrToUInt32(const char *text, uint32_t *value)
{
    if (text == nullptr || value == nullptr) return 1;
    *value = static_cast<uint32_t>(QZ_OS_Strtoul(text, nullptr, kDecimal));
    return 0;
}

uint32_t WLAN_GetTime(char *dst, uint32_t size)
{
    struct tm now;
    memset(&now, 0, sizeof(now));
    // The time queries are not examined: a failed one leaves its output zeroed.
    (void)QZ_OS_GetLocalTime(&now);
    int n = sprintf_s(dst, size, "%04u_%02u_%02u_%02u_%02u_%02u", static_cast<unsigned>(now.tm_year + 1900),
                      static_cast<unsigned>(now.tm_mon + 1), static_cast<unsigned>(now.tm_mday),
                      static_cast<unsigned>(now.tm_hour), static_cast<unsigned>(now.tm_min),
                      static_cast<unsigned>(now.tm_sec));
    if (n <= 0) WLAN_LAST_WORD(1, n, 0);
    return 0;
}

uint32_t WLAN_HexIntToStr(const uint8_t *bytes, uint32_t count, char *text, uint32_t *textLen)
{
    if (bytes == nullptr || text == nullptr || textLen == nullptr) {
        WLAN_LAST_WORD(1, count, 0);
        return 1;
    }
    for (uint32_t i = 0; i < count; i++) {
        text[2 * i] = Nibble(bytes[i] >> 4);
        text[2 * i + 1] = Nibble(bytes[i] & 0x0Fu);
    }
    *textLen = 2 * count;
    text[2 * count] = '\0';
    return 0;
}

void WLAN_HexToStr(char *text, uint32_t size, const uint8_t *bytes, uint32_t count, uint32_t limit)
{
    (void)size;  // the caller sizes the text for the limit
    if (text == nullptr || bytes == nullptr) {
        WLAN_LAST_WORD(1, count, limit);
        return;
    }
    uint32_t len = 0;
    if (WLAN_HexIntToStr(bytes, count < limit ? count : limit, text, &len) != 0) WLAN_LAST_WORD(1, count, limit);
}

void WLAN_HexToInt(char *ch)
{
    if (ch == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return;
    }
    if (*ch < 0x30 || *ch > 0x46) {
        WLAN_LAST_WORD(1, static_cast<uint8_t>(*ch), 0);
        return;
    }
    *ch = static_cast<char>(*ch < 0x3A ? *ch - 0x30 : *ch - 0x37);
}

uint32_t WLAN_HexStrToInt(const char *text, uint32_t len, uint8_t *bytes, uint32_t *count)
{
    if (len < 2 || count == nullptr || bytes == nullptr || text == nullptr || len % 2 != 0) {
        WLAN_LAST_WORD(1, len, 0);
        return 1;
    }
    for (uint32_t i = 0; i < len; i += 2) {
        char high = text[i];
        char low = text[i + 1];
        WLAN_HexToInt(&high);
        WLAN_HexToInt(&low);
        // A refused character enters the sum with its own code.
        bytes[i / 2] = static_cast<uint8_t>(static_cast<uint8_t>(high) * 16u + static_cast<uint8_t>(low));
    }
    *count = len / 2;
    return 0;
}

uint32_t WLAN_RateCalculator(uint64_t amount, uint32_t divisor)
{
    if (divisor == 0) return 0;
    return static_cast<uint32_t>((amount / divisor) >> kRateShift);
}

uint32_t WLAN_TransformStrData(const WLAN_STR_COPY_ITEM *items, uint32_t count)
{
    if (MissingItems(items, count)) return 1;
    for (uint32_t i = 0; i < count; i++) {
        int ret = strcpy_s(items[i].pcDst, items[i].uiDstSize, items[i].pcSrc);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, i, 0);
            return 1;
        }
    }
    return 0;
}

uint32_t WLAN_TransformStrToUint32(const WLAN_STR_TO_UINT_ITEM *items, uint32_t count)
{
    if (MissingItems(items, count)) return 1;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t ret = QZ_OS_StrToUInt32(items[i].pcSrc, items[i].puiValue);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, i, 0);
            return ret;
        }
    }
    return 0;
}

uint32_t WLAN_TransformUint32ToStr(const WLAN_UINT_TO_STR_ITEM *items, uint32_t count)
{
    if (MissingItems(items, count)) return 1;
    for (uint32_t i = 0; i < count; i++) {
        if (sprintf_s(items[i].pcDst, items[i].uiDstSize, "%u", items[i].uiValue) <= 0) {
            WLAN_LAST_WORD(1, i, 0);
            return 1;
        }
    }
    return 0;
}

void WLAN_CopyUintByMask(const WLAN_UINT_MASK_ITEM *items, uint32_t count)
{
    if (MissingItems(items, count)) return;
    for (uint32_t i = 0; i < count; i++) {
        if (items[i].ucCopy == 1) *items[i].puiTarget = items[i].uiValue;
    }
}

uint32_t WLAN_CopyDataByMask(const WLAN_DATA_MASK_ITEM *items, uint32_t count)
{
    if (MissingItems(items, count)) return 1;
    for (uint32_t i = 0; i < count; i++) {
        const WLAN_DATA_MASK_ITEM &item = items[i];
        if (item.ucCopy != 1) continue;
        switch (item.uiType) {
            case WLAN_DATA_TYPE_UINT32:
            case WLAN_DATA_TYPE_UINT32_ALT:
                *static_cast<uint32_t *>(item.pDst) = *static_cast<const uint32_t *>(item.pSrc);
                break;
            case WLAN_DATA_TYPE_STRING: {
                (void)memset_s(item.pDst, item.uiDstSize, 0, item.uiDstSize);
                int ret =
                    strcpy_s(static_cast<char *>(item.pDst), item.uiDstSize, static_cast<const char *>(item.pSrc));
                if (ret != 0) {
                    WLAN_LAST_WORD(ret, i, 0);
                    return static_cast<uint32_t>(ret);
                }
                break;
            }
            default:
                WLAN_LAST_WORD(1, i, 0);
                return 1;
        }
    }
    return 0;
}

uint32_t WLAN_TransNums(const WLAN_NUM_PAIR *pairs, uint32_t count, uint32_t key, uint32_t *value)
{
    if (pairs == nullptr || value == nullptr) return 1;
    for (uint32_t i = 0; i < count; i++) {
        if (pairs[i].uiKey == key) {
            *value = pairs[i].uiValue;
            return 0;
        }
    }
    return 1;
}
