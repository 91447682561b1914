// Radio index and type mapping: radio instances, radio indexes, SSID indexes
// and radio type texts.
#define WLAN_UNIT_NAME "wlan_spec"
#include "qz_wlan_query.h"
#include "wlan_answer_cache.h"
#include "wlan_internal.h"
#include "wlan_query_internal.h"

namespace {

constexpr uint32_t kRadioCount = 3;
constexpr uint32_t kThirdRadio = 2;         // radio index of instance 3
constexpr uint32_t kFourSsidMaxOffset = 3;  // what a band of fewer than two SSIDs is taken for
constexpr uint32_t kTraceRadioType = 326;
constexpr char kFeature5GHigh[] = "FT_WLAN_SUPPORT_5G_HIGH";

constexpr const char *kRadioTypes[kRadioCount] = {"2.4G", "5G", "6G"};
constexpr char kRadioType5GHigh[] = "5G-2";

// The feature service's raw answer, asked once for the process's life (the
// feature event does not reach it).
constinit WlanAnswerWord g_i5GHighCache{WLAN_NOT_ASKED};

// The type texts of this product, indexed by radio index; the constant table
// itself is never changed.
struct RadioTypeTable {
    const char *types[kRadioCount];
};

RadioTypeTable BuildRadioTypes()
{
    RadioTypeTable table = {{kRadioTypes[0], kRadioTypes[1], kRadioTypes[2]}};
    if (WLAN_CheckSupport5GHigh() == 1) {
        table.types[kThirdRadio] = kRadioType5GHigh;
    }
    return table;
}

// The index of the first of `count` entries equal to the text ignoring case,
// or kRadioCount.
uint32_t FindRadioType(const RadioTypeTable &table, const char *text, uint32_t count)
{
    for (uint32_t i = 0; i < count; i++) {
        if (QZ_OS_StrCaseCmp(text, table.types[i]) == 0) {
            return i;
        }
    }
    return kRadioCount;
}

}  // namespace

uint32_t WLAN_CheckRadioInstValid(uint32_t radioInst)
{
    return radioInst - 1 < kRadioCount ? 1u : 0u;
}

uint32_t WLAN_GetMaxIndex_SingleBand(void)
{
    if (QZ_WLAN_Spec_GetSsidPerBand() < 2) {
        return kFourSsidMaxOffset;
    }
    return QZ_WLAN_Spec_GetSsidPerBand() - 1;
}

uint32_t WLAN_GetChipIndex(uint32_t ssidIndex)
{
    uint32_t perBand = QZ_WLAN_Spec_GetSsidPerBand();
    if (perBand == 0) {
        return 0;
    }
    // Beyond the third block the SSID is taken for the first radio's.
    uint32_t radioIndex = ssidIndex / perBand;
    return radioIndex < kRadioCount ? radioIndex : 0u;
}

uint32_t WLAN_GetRadioInst(uint32_t ssidIndex)
{
    return WLAN_GetChipIndex(ssidIndex) + 1;
}

uint32_t WLAN_GetDefIndex_ByRadioInst(uint32_t radioInst)
{
    if (WLAN_CheckRadioInstValid(radioInst) == 0) {
        return 0;
    }
    return QZ_WLAN_Spec_GetSsidPerBand() * (radioInst - 1);
}

uint32_t WLAN_GetDefIndex_BySSIDIndex(uint32_t ssidIndex)
{
    return WLAN_GetDefIndex_ByRadioInst(WLAN_GetRadioInst(ssidIndex));
}

uint32_t WLAN_CheckSupport5GHigh(void)
{
    return WLAN_FeatureOnce(g_i5GHighCache, kFeature5GHigh);
}

uint32_t WLAN_ConvertRadioInst(uint32_t radioInst)
{
    if (radioInst == kThirdRadio + 1 && WLAN_CheckSupport5GHigh() == 1) {
        return kThirdRadio;  // the second 5 GHz radio is configured as the 5 GHz radio
    }
    return radioInst;
}

uint32_t WLAN_GetRadioTypeByIndex(uint32_t radioIndex, char *buf, uint32_t size)
{
    if (radioIndex >= kRadioCount || buf == nullptr) {
        WLAN_LAST_WORD(1, radioIndex, 0);
        return 1;
    }
    RadioTypeTable table = BuildRadioTypes();
    int ret = strcpy_s(buf, size, table.types[radioIndex]);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, size, 0);
        return static_cast<uint32_t>(ret);
    }
    return 0;
}

uint32_t WLAN_GetRadioTypeByInst(uint32_t radioInst, char *buf, uint32_t size)
{
    if (WLAN_CheckRadioInstValid(radioInst) == 0) {
        WLAN_LAST_WORD(1, radioInst, 0);
        return 1;
    }
    return WLAN_GetRadioTypeByIndex(radioInst - 1, buf, size);
}

uint32_t WLAN_GetRadioIndexByType(const char *radioType)
{
    if (radioType == nullptr) {
        return 0;
    }
    uint32_t radioIndex = FindRadioType(BuildRadioTypes(), radioType, kRadioCount);
    return radioIndex < kRadioCount ? radioIndex : 0u;
}

uint32_t WLAN_GetRadioInstByType(const char *radioType)
{
    if (radioType == nullptr) {
        return 1;
    }
    return WLAN_GetRadioIndexByType(radioType) + 1;
}

uint32_t WLAN_CheckRadioTypeValid(const char *radioType)
{
    if (radioType == nullptr) {
        return 0;
    }
    QZ_PROC_DBG_TraceN(kTraceRadioType, WLAN_UNIT_NAME, __LINE__, "[CAPI]radioType:[%s]", radioType);
    RadioTypeTable table = BuildRadioTypes();
    uint32_t count = WLAN_GetCfgWlanNum() > kRadioCount ? kRadioCount : WLAN_GetCfgWlanNum();
    return FindRadioType(table, radioType, count) < kRadioCount ? 1u : 0u;
}

void WLAN_SPEC_ResetCache(void)
{
    g_i5GHighCache.store(WLAN_NOT_ASKED, std::memory_order_relaxed);
}
