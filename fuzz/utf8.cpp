// Forced UTF-8 on arbitrary bytes and destination sizes: nothing written past
// the byte kept for the terminator, and the output is valid UTF-8.
#include <cstdlib>

#include "fuzz_support.h"
#include "qz_wlan_util.h"

namespace {

bool ValidUtf8(const unsigned char *s)
{
    while (*s != 0) {
        int extra = *s < 0x80 ? 0 : (*s & 0xE0) == 0xC0 ? 1 : (*s & 0xF0) == 0xE0 ? 2 : (*s & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) return false;
        for (int i = 1; i <= extra; i++) {
            if ((s[i] & 0xC0) != 0x80) return false;
        }
        s += extra + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    qzfuzz::SetUpPlatform();
    const uint32_t dstSize = data[0];  // 0 to 255, the small and refused sizes included
    std::vector<char> src = qzfuzz::Text(data + 1, size - 1);
    std::vector<unsigned char> dst(dstSize + 1, 0);
    dst[dstSize] = 0xEE;  // guard
    (void)WLAN_ForceToEncodeUtf8(src.data(), reinterpret_cast<char *>(dst.data()), dstSize);
    if (dst[dstSize] != 0xEE) abort();
    if (dstSize > 0 && (dst[dstSize - 1] != 0 || !ValidUtf8(dst.data()))) abort();
    qzfuzz::DropRecords();
    return 0;
}
