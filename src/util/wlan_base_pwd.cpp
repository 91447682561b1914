// Random passwords, the shuffle they get, a keyed byte scrambler and two
// small character-set operations.
#define WLAN_UNIT_NAME "wlan_base"
#include "qz_wlan_util.h"

#include "wlan_base_internal.h"
#include "wlan_internal.h"

namespace {

constexpr uint32_t kMinPwdLen = 8;
constexpr uint32_t kKeyBytes = 4;

struct CharClass {
    const char *chars;
    uint32_t count;
};

constexpr char kDigits[] = "0123456789";
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr char kSymbols[] = "~!@#$^&*()";

constexpr CharClass kClasses[] = {
    {kDigits, sizeof(kDigits) - 1},
    {kLetters, sizeof(kLetters) - 1},
    {kSymbols, sizeof(kSymbols) - 1},
};
static_assert(sizeof(kDigits) - 1 == 10 && sizeof(kLetters) - 1 == 52 && sizeof(kSymbols) - 1 == 10, "classes");

// A failed draw leaves 0: the platform's answer is not examined.
uint32_t Draw()
{
    uint32_t value = 0;
    // Not examined: a random word that cannot be read stays 0.
    (void)OS_GetRandomEx(&value, sizeof(value));
    return value;
}

}  // namespace

uint32_t WLAN_GenerateRandPwd(uint32_t len, char *dst, uint32_t size)
{
    if (len < kMinPwdLen || dst == nullptr || size == 0 || size <= len) {
        WLAN_LAST_WORD(1, len, size);
        return 1;
    }
    for (uint32_t i = 0; i < len; i++) {
        const CharClass &cls = kClasses[i % WLAN_ARRAY_SIZE(kClasses)];
        dst[i] = cls.chars[Draw() % cls.count];
    }
    WLAN_ShuffleChars(dst, len);
    dst[len] = '\0';
    return 0;
}

void WLAN_ShuffleChars(char *buf, uint32_t len)
{
    for (uint32_t n = 0; n < len; n++) {
        uint32_t a = Draw() % len;
        uint32_t b = Draw() % len;
        char tmp = buf[a];
        buf[a] = buf[b];
        buf[b] = tmp;
    }
}

void WLAN_DisturbData(uint32_t key, void *data, uint32_t len)
{
    if (key == 0 || data == nullptr) {
        WLAN_LAST_WORD(WLAN_ERR_NULL_ARG, len, 0);
        return;
    }
    const uint8_t keyLe[kKeyBytes] = {static_cast<uint8_t>(key), static_cast<uint8_t>(key >> 8),
                                      static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 24)};
    uint8_t keyBytes[kKeyBytes];
    int ret = memcpy_s(keyBytes, sizeof(keyBytes), keyLe, sizeof(keyLe));
    if (ret != 0) {
        WLAN_LAST_WORD(ret, len, 0);
        return;
    }
    auto *bytes = static_cast<uint8_t *>(data);
    for (uint32_t i = 0; i < len; i++) bytes[i] ^= keyBytes[i % kKeyBytes];
}

uint32_t WLAN_BinarySearchChar(uint8_t ch, const char *set, uint32_t len)
{
    if (set == nullptr || len == 0) {
        WLAN_LAST_WORD(1, len, 0);
        return 0;
    }
    uint32_t low = 0;
    uint32_t high = len - 1;
    while (low <= high) {
        uint32_t mid = static_cast<uint32_t>((static_cast<uint64_t>(low) + high) / 2);
        uint8_t at = static_cast<uint8_t>(set[mid]);
        if (at == ch) return 1;
        if (at < ch) {
            low = mid + 1;
        } else if (mid == 0) {
            break;  // the character lies below the whole set
        } else {
            high = mid - 1;
        }
    }
    return 0;
}

void WLAN_FilterList(const char *src, const char *filter, char *dst, uint32_t count)
{
    if (count > 0 && (src == nullptr || filter == nullptr || dst == nullptr)) {
        WLAN_LAST_WORD(1, count, 0);
        return;
    }
    uint32_t out = 0;
    for (uint32_t i = 0; i < count; i++) {
        if (src[i] == '\0') continue;
        bool dropped = false;
        for (uint32_t j = 0; j < count && !dropped; j++) {
            dropped = filter[j] != '\0' && filter[j] == src[i];
        }
        if (!dropped) dst[out++] = src[i];
    }
}
