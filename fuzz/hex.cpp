// Hex text to bytes and back: writes stay inside len / 2 bytes, and a text
// of upper-case hex digits survives the round trip.
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "qz_wlan_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    qzfuzz::SetUpPlatform();
    std::vector<char> text(data, data + size);  // not terminated: only len characters are read
    const uint32_t len = static_cast<uint32_t>(size);
    std::vector<uint8_t> bytes(len / 2 + 1);
    uint32_t count = 0;
    if (WLAN_HexStrToInt(text.data(), len, bytes.data(), &count) == 0) {
        if (count != len / 2) abort();
        bool upperHex = true;
        for (char c : text) upperHex = upperHex && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
        std::vector<char> back(2 * count + 1);
        uint32_t backLen = 0;
        if (WLAN_HexIntToStr(bytes.data(), count, back.data(), &backLen) != 0 || backLen != len) abort();
        if (upperHex && memcmp(back.data(), text.data(), len) != 0) abort();
    }
    std::vector<char> z = qzfuzz::Text(data, size);
    (void)QZ_WLAN_IsValidHex(z.data());
    qzfuzz::DropRecords();
    return 0;
}
