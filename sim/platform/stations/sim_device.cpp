// The device model (product attributes, upstream port, equipment mode) and
// the WLAN service's radio counts, answered from the profile's "device" and
// "wlan" sections.
#include <cstring>
#include <mutex>

#include "qz_platform.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {

// Failure codes of a read, distinct so tests can tell them apart.
constexpr uint32_t kAttrMissing = 0x1D000001;
constexpr uint32_t kAttrBadArg = 0x1D000002;

// A text attribute: an empty profile text means the product has none. The
// text is cut to the buffer, which always ends with a NUL.
uint32_t ReadText(const std::string &text, uint32_t size, void *buffer)
{
    if (text.empty()) return kAttrMissing;
    size_t n = std::min<size_t>(text.size(), size - 1);
    memcpy(buffer, text.data(), n);
    static_cast<char *>(buffer)[n] = '\0';
    return 0;
}

}  // namespace

extern "C" {

uint32_t QZ_DM_PDGetAttr(uint32_t attrId, uint32_t size, void *buffer)
{
    uint32_t ret;
    if (Faulted("QZ_DM_PDGetAttr", &ret)) return ret;
    if (buffer == nullptr || size == 0) return kAttrBadArg;
    std::lock_guard<std::mutex> lock(ModelMutex());
    const SimDevice &d = Model().device;
    switch (attrId) {
        case QZ_DM_ATTR_PRODUCT_NAME:
            return ReadText(d.productName, size, buffer);
        case QZ_DM_ATTR_BIN_WORD:
            return ReadText(d.binWord, size, buffer);
        case QZ_DM_ATTR_CFG_WORD:
            return ReadText(d.cfgWord, size, buffer);
        case QZ_DM_ATTR_GATEWAY_SN:
            return ReadText(d.serialNumber, size, buffer);
        case QZ_DM_ATTR_AP_SN:
            return ReadText(d.apSerialNumber, size, buffer);
        case QZ_DM_ATTR_REGION:
            if (size < sizeof(d.region)) return kAttrBadArg;
            memcpy(buffer, &d.region, sizeof(d.region));
            return 0;
        default:
            return kAttrMissing;
    }
}

uint32_t QZ_DM_GetCurUpUserPortID_Ext(uint32_t *portId)
{
    uint32_t ret;
    if (Faulted("QZ_DM_GetCurUpUserPortID_Ext", &ret)) return ret;
    if (portId == nullptr) return kAttrBadArg;
    std::lock_guard<std::mutex> lock(ModelMutex());
    *portId = Model().device.upPortId;
    return 0;
}

uint32_t QZ_TOLP_CheckIsEquipMode(void)
{
    uint32_t ret;
    if (Faulted("QZ_TOLP_CheckIsEquipMode", &ret)) return ret;
    std::lock_guard<std::mutex> lock(ModelMutex());
    return Model().device.equipMode;
}

uint32_t QZ_WLAN_Spec_GetSsidPerBand(void)
{
    uint32_t ret;
    if (Faulted("QZ_WLAN_Spec_GetSsidPerBand", &ret)) return ret;
    std::lock_guard<std::mutex> lock(ModelMutex());
    return Model().wlan.ssidPerBand;
}

uint32_t WLAN_GetCfgWlanNum(void)
{
    uint32_t ret;
    if (Faulted("WLAN_GetCfgWlanNum", &ret)) return ret;
    std::lock_guard<std::mutex> lock(ModelMutex());
    return Model().wlan.cfgRadios;
}

uint32_t WLAN_GetSsidIndexFor5G(void)
{
    uint32_t ret;
    if (Faulted("WLAN_GetSsidIndexFor5G", &ret)) return ret;
    std::lock_guard<std::mutex> lock(ModelMutex());
    return Model().device.ssidIndexFor5G;
}

}  // extern "C"
