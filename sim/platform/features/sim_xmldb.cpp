// The XML configuration database's parameter lists, kept in memory: each
// list remembers what was appended to it, and a freed handle is refused.
#include <map>
#include <mutex>
#include <vector>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

constexpr uint32_t kBadHandle = 0x1E000001;
constexpr uint32_t kBadArg = 0x1E000002;

struct XmlDb {
    std::mutex mu;
    uint32_t nextHandle = 1;
    std::map<uint32_t, std::vector<XmlDbPara>> lists;  // live lists only
};

XmlDb &D()
{
    static XmlDb db;
    return db;
}

void ResetXmlDb()
{
    std::lock_guard<std::mutex> lock(D().mu);
    D().lists.clear();
    D().nextHandle = 1;
}
QZSIM_ON_RESET(ResetXmlDb);

}  // namespace

namespace qzsim {

std::optional<std::vector<XmlDbPara>> XmlDbList(uint32_t handle)
{
    std::lock_guard<std::mutex> lock(D().mu);
    auto it = D().lists.find(handle);
    if (it == D().lists.end()) return std::nullopt;
    return it->second;
}

size_t XmlDbLiveLists()
{
    std::lock_guard<std::mutex> lock(D().mu);
    return D().lists.size();
}

}  // namespace qzsim

extern "C" {

uint32_t QZ_XML_DBAllocParaList(uint32_t *handle, const void *elements, uint32_t count)
{
    (void)elements;
    (void)count;
    uint32_t ret;
    if (Faulted("QZ_XML_DBAllocParaList", &ret)) return ret;
    if (handle == nullptr) return kBadArg;
    std::lock_guard<std::mutex> lock(D().mu);
    *handle = D().nextHandle++;
    D().lists[*handle];
    return 0;
}

uint32_t QZ_XML_DBAppendAllParaToParaList(uint32_t handle, uint32_t paraId, uint32_t reserved1, uint32_t type,
                                          uint32_t reserved2, void *value, uint32_t reserved3)
{
    (void)reserved1;
    (void)reserved2;
    (void)reserved3;
    uint32_t ret;
    if (Faulted("QZ_XML_DBAppendAllParaToParaList", &ret)) return ret;
    std::lock_guard<std::mutex> lock(D().mu);
    auto it = D().lists.find(handle);
    if (it == D().lists.end()) return kBadHandle;
    if (value == nullptr) return kBadArg;
    it->second.push_back({paraId, type, value});
    return 0;
}

uint32_t QZ_XML_DBFreeParaList(uint32_t handle)
{
    uint32_t ret;
    if (Faulted("QZ_XML_DBFreeParaList", &ret)) return ret;
    std::lock_guard<std::mutex> lock(D().mu);
    return D().lists.erase(handle) == 1 ? 0 : kBadHandle;
}

}  // extern "C"
