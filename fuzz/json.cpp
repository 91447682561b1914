// The JSON member helpers on objects and items made from arbitrary bytes:
// the first byte picks the item's type and the destination size, the rest is
// a JSON document and a key. A text read back always ends inside its
// destination; a refused item changes nothing.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "qz_sim.h"
#include "qz_sim_util.h"
#include "qz_wlan_util.h"

namespace {

void Check(bool ok)
{
    if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    qzfuzz::SetUpPlatform();
    if (size < 2) return -1;
    const uint32_t type = data[0] & 3u;              // 0 int, 1 string, 3 object; 2 is refused
    const uint32_t destSize = (data[0] >> 2) & 63u;  // 0 to 63
    const std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    const size_t split = rest.find('\n');
    const qzsim::json doc = qzsim::json::parse(rest.substr(0, split), nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) return -1;
    const std::string key = split == std::string::npos ? "k" : rest.substr(split + 1);

    void *obj = qzsim::JsonNew(doc);
    std::vector<char> dest(destSize + 1, '\x5A');
    int32_t number = 0;
    void *value = type == 0 ? static_cast<void *>(&number) : dest.data();
    WLAN_JSON_ITEM get = {key.c_str(), value, type, destSize};
    if (WLAN_GetJsonItem(obj, &get) == 0 && type == 1) Check(memchr(dest.data(), '\0', destSize) != nullptr);
    Check(dest[destSize] == '\x5A');  // nothing past the destination

    void *child = qzsim::JsonNew();
    WLAN_JSON_ITEM add = {key.c_str(),
                          type == 3   ? child
                          : type == 0 ? static_cast<void *>(&number)
                                      : dest.data(),
                          type, 0};
    dest[destSize] = '\0';
    (void)WLAN_AddJsonItem(&add, obj);
    qzsim::JsonFree(child);
    qzsim::JsonFree(obj);
    qzfuzz::DropRecords();
    return 0;
}
