// The binary search against a plain scan of the sorted set, and the list
// filter against a model of it.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "qz_wlan_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    qzfuzz::SetUpPlatform();
    const uint8_t ch = data[0];
    std::vector<uint8_t> set(data + 1, data + size);
    std::sort(set.begin(), set.end());
    const bool present = std::find(set.begin(), set.end(), ch) != set.end();
    uint32_t found =
        WLAN_BinarySearchChar(ch, reinterpret_cast<const char *>(set.data()), static_cast<uint32_t>(set.size()));
    if (found != (present ? 1u : 0u)) abort();

    // Source and filter of the same count, from the two halves of the input.
    const size_t count = (size - 1) / 2;
    const char *src = reinterpret_cast<const char *>(data + 1);
    const char *filter = src + count;
    std::vector<char> dst(count + 1, '\0');
    dst[count] = '\x5A';  // guard
    WLAN_FilterList(src, filter, dst.data(), static_cast<uint32_t>(count));
    std::vector<char> model;
    for (size_t i = 0; i < count; i++) {
        if (src[i] == '\0') continue;
        bool drop = false;
        for (size_t j = 0; j < count; j++) drop = drop || (filter[j] != '\0' && filter[j] == src[i]);
        if (!drop) model.push_back(src[i]);
    }
    if (dst[count] != '\x5A' || (!model.empty() && memcmp(dst.data(), model.data(), model.size()) != 0)) abort();
    qzfuzz::DropRecords();
    return 0;
}
