// Device-model queries: operator words, region, product name, serial number,
// uplink port, product capabilities and the fit-AP mode.
#define WLAN_UNIT_NAME "wlan_dm"
#include <atomic>
#include <string.h>

#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "wlan_answer_cache.h"
#include "wlan_internal.h"
#include "wlan_query_internal.h"

namespace {

constexpr uint32_t kRegionChina = 2;
constexpr uint32_t kFitApMode = 1;
constexpr uint32_t k16SsidDefault5gInst = 9;
constexpr uint32_t kTraceUpPort = 550;
constexpr char kFallbackProductName[] = "ONT";
constexpr char kFeatureStartWithNoChip[] = "FT_WLAN_START_WITH_NO_CHIP";

// The configuration word is cached once it reads back non-empty. The first
// caller to find it empty fills it in place; callers meanwhile read their own
// copy, so nobody waits and nobody reads a half-written word. (The topology
// lock's first creation looks alike but its callers must wait for the lock.)
enum CfgWordState : uint32_t { kCfgEmpty, kCfgFilling, kCfgFilled };
constinit char g_acCfgWordCache[QZ_DM_WORD_LEN] = {};
constinit std::atomic<uint32_t> g_uiCfgWordState{kCfgEmpty};

constinit WlanAnswerWord g_iStartWithNoChipCache{WLAN_NOT_ASKED};
constinit WlanAnswerWord g_iDefault5gInstCache{WLAN_NOT_ASKED};
constinit WlanAnswerWord g_iMultilinkCache{WLAN_NOT_ASKED};
constinit std::atomic<uint32_t> g_uiFitApMode{0};

// A text attribute into a cleared buffer; a failed read leaves it empty.
void ReadTextAttr(uint32_t attr, char *buf, uint32_t size)
{
    memset(buf, 0, size);
    (void)QZ_DM_PDGetAttr(attr, size, buf);
}

uint32_t BinWordIs(const char *word)
{
    char binWord[QZ_DM_WORD_LEN];
    ReadTextAttr(QZ_DM_ATTR_BIN_WORD, binWord, sizeof(binWord));
    return QZ_OS_StrCaseCmp(binWord, word) == 0 ? 1u : 0u;
}

// The configuration word: the cache, filled by this call if it was empty; null
// while another caller is filling it.
const char *CachedCfgWord()
{
    uint32_t state = kCfgEmpty;
    if (g_uiCfgWordState.compare_exchange_strong(state, kCfgFilling, std::memory_order_acquire)) {
        // Not examined: an attribute that cannot be read leaves its cleared buffer empty.
        (void)QZ_DM_PDGetAttr(QZ_DM_ATTR_CFG_WORD, QZ_DM_WORD_LEN, g_acCfgWordCache);
        if (g_acCfgWordCache[0] == '\0') {
            g_uiCfgWordState.store(kCfgEmpty, std::memory_order_release);
            return "";  // read back empty: asked again next time
        }
        g_uiCfgWordState.store(kCfgFilled, std::memory_order_release);
        return g_acCfgWordCache;
    }
    return state == kCfgFilled ? g_acCfgWordCache : nullptr;
}

}  // namespace

uint32_t WLAN_DM_IsBinWordCmcc(void)
{
    return BinWordIs("CMCC");
}

uint32_t WLAN_DM_IsBinWordE8c(void)
{
    return BinWordIs("E8C");
}

uint32_t WLAN_DM_IsBinWordA8c(void)
{
    return BinWordIs("A8C");
}

uint32_t WLAN_DM_IsCfgWordMatch(const char *word)
{
    if (word == nullptr) {
        return 0;
    }
    const char *cfgWord = CachedCfgWord();
    char fresh[QZ_DM_WORD_LEN];
    if (cfgWord == nullptr) {
        // Another caller is filling the cache: this call reads its own copy.
        ReadTextAttr(QZ_DM_ATTR_CFG_WORD, fresh, sizeof(fresh));
        cfgWord = fresh;
    }
    return QZ_OS_StrCaseCmp(cfgWord, word) == 0 ? 1u : 0u;
}

uint32_t WLAN_DM_IsCfgWordContained(const char *word)
{
    if (word == nullptr) {
        return 0;
    }
    char cfgWord[QZ_DM_WORD_LEN];
    ReadTextAttr(QZ_DM_ATTR_CFG_WORD, cfgWord, sizeof(cfgWord));
    return QZ_OS_StrNCaseCmp(word, cfgWord, QZ_OS_StrLen(word)) == 0 ? 1u : 0u;
}

uint32_t WLAN_IsSupportCtrgAndUbus(void)
{
    if (QZ_TOLP_CheckIsEquipMode() == 1) {
        return 0;
    }
    if (WLAN_FT_QZ_TOLP_FEATURE_CTRG(0) != 0) {
        return 1;
    }
    return WLAN_FT_FT_SMART_UBUS_SUPPORT(0);
}

uint32_t WLAN_IsTianyiE8C(void)
{
    if (WLAN_DM_IsBinWordE8c() != 1) {
        return 0;
    }
    return WLAN_IsSupportCtrgAndUbus() == 1 ? 1u : 0u;
}

uint32_t WLAN_DM_IsAreaChina(void)
{
    uint32_t region = 0;
    uint32_t ret = QZ_DM_PDGetAttr(QZ_DM_ATTR_REGION, sizeof(region), &region);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return 0;
    }
    return region == kRegionChina ? 1u : 0u;
}

uint32_t QZ_WLAN_GetProductName(char *dest, uint32_t size)
{
    if (QZ_DM_PDGetAttr(QZ_DM_ATTR_PRODUCT_NAME, size, dest) == 0) {
        return 0;
    }
    int ret = strcpy_s(dest, size, kFallbackProductName);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, size, 0);
        return static_cast<uint32_t>(ret);
    }
    return 0;
}

void WLAN_Get_SN(char *dest, uint32_t size)
{
    char serial[QZ_DM_GATEWAY_SN_LEN];
    char gatewaySn[QZ_DM_GATEWAY_SN_LEN];
    char apSn[QZ_DM_AP_SN_LEN];
    memset(serial, 0, sizeof(serial));
    memset(gatewaySn, 0, sizeof(gatewaySn));
    memset(apSn, 0, sizeof(apSn));
    // Access points keep their serial number in an attribute of their own.
    const char *source = gatewaySn;
    if (WLAN_FT_QZ_TOLP_FEATURE_AP(0) != 0) {
        // Not examined: an attribute that cannot be read leaves its cleared buffer empty.
        (void)QZ_DM_PDGetAttr(QZ_DM_ATTR_AP_SN, sizeof(apSn), apSn);
        source = apSn;
    } else {
        // Not examined: an attribute that cannot be read leaves its cleared buffer empty.
        (void)QZ_DM_PDGetAttr(QZ_DM_ATTR_GATEWAY_SN, sizeof(gatewaySn), gatewaySn);
    }
    int ret = strcpy_s(serial, sizeof(serial), source);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return;
    }
    ret = strcpy_s(dest, size, serial);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, size, QZ_OS_StrLen(serial));
    }
}

void WLAN_Get_UpPortId(uint32_t *portId)
{
    if (portId == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return;
    }
    // Not examined: the port stays as the caller cleared it.
    (void)QZ_DM_GetCurUpUserPortID_Ext(portId);
    QZ_PROC_DBG_TraceN(kTraceUpPort, WLAN_UNIT_NAME, __LINE__, "PortId:%u", *portId);
}

uint32_t WLAN_IsSupportAndlink(void)
{
    if (WLAN_FT_FT_ANDLINK_PRIMARY_GW(0) != 0) {
        return 1;
    }
    return WLAN_FT_FT_DESKCMCCAP_SUPPORT(0);
}

uint32_t WLAN_BponGatewayStartWithNoChip(void)
{
    // Its own cache, apart from the accessor's: the feature event does not
    // reach it.
    return WLAN_FeatureOnce(g_iStartWithNoChipCache, kFeatureStartWithNoChip);
}

// Not an ask-once word: the cached value is computed, 9 replaces it on a
// 16-SSID product, and the cache itself is returned.
uint32_t WLAN_DM_GetDefault5gInst(void)
{
    int32_t cached = g_iDefault5gInstCache.load(std::memory_order_relaxed);
    if (cached != WLAN_NOT_ASKED) {
        return static_cast<uint32_t>(cached);
    }
    // An answer of -1 leaves the cache unfilled, so the next call asks again.
    int32_t inst = static_cast<int32_t>(WLAN_GetSsidIndexFor5G());
    g_iDefault5gInstCache.store(inst, std::memory_order_relaxed);
    if (WLAN_FT_FT_WLAN_SUPPORT_16SSID(0) != 0) {
        g_iDefault5gInstCache.store(k16SsidDefault5gInst, std::memory_order_relaxed);
        return k16SsidDefault5gInst;
    }
    return static_cast<uint32_t>(inst);
}

// Not an ask-once word: the accessor's answer is cached as 0 or 1, and any
// non-zero word reads as yes.
uint32_t WLAN_DM_IsSupportMultilink(void)
{
    int32_t cached = g_iMultilinkCache.load(std::memory_order_relaxed);
    if (cached == WLAN_NOT_ASKED) {
        cached = WLAN_FT_FT_WLAN_MULTILINK(0) != 0 ? 1 : 0;
        g_iMultilinkCache.store(cached, std::memory_order_relaxed);
    }
    return cached != 0 ? 1u : 0u;
}

void WLAN_FITAP_Init(uint32_t mode)
{
    g_uiFitApMode.store(mode, std::memory_order_relaxed);
    WLAN_LOG_SaveWlanLog(WLAN_CMD_LOG_TblGet(), "WLAN fitap init FitApMode %u\r\n", mode);
}

uint32_t WLAN_IsFitApMode(void)
{
    return g_uiFitApMode.load(std::memory_order_relaxed) == kFitApMode ? 1u : 0u;
}

void WLAN_DM_ResetCaches(void)
{
    memset(g_acCfgWordCache, 0, sizeof(g_acCfgWordCache));
    g_uiCfgWordState.store(kCfgEmpty, std::memory_order_relaxed);
    g_iStartWithNoChipCache.store(WLAN_NOT_ASKED, std::memory_order_relaxed);
    g_iDefault5gInstCache.store(WLAN_NOT_ASKED, std::memory_order_relaxed);
    g_iMultilinkCache.store(WLAN_NOT_ASKED, std::memory_order_relaxed);
    g_uiFitApMode.store(0, std::memory_order_relaxed);
}
