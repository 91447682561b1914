// The feature cache: one accessor and one cache word per feature name, the
// refresh table and the refresh event. All of it is generated from the one
// list of names in qz_wlan_feature.def.
#define WLAN_UNIT_NAME "wlan_feature"
#include "qz_wlan_feature.h"

#include "wlan_answer_cache.h"
#include "wlan_feature_internal.h"
#include "wlan_internal.h"

namespace {

constexpr int32_t kFtSupported = 1;

using FtCache = WlanAnswerWord;

// A refresh puts the word back to unasked first, so that a reader meanwhile
// asks the platform itself instead of taking the old answer.
[[gnu::noinline]] uint32_t FtRefresh(FtCache &cache, const char *name)
{
    cache.store(WLAN_NOT_ASKED, std::memory_order_relaxed);
    int32_t answer = QZ_Feature_IsSupportByFeatureName(name);
    cache.store(answer, std::memory_order_relaxed);
    return answer == kFtSupported ? 1u : 0u;
}

[[gnu::always_inline]] inline uint32_t FtAnswer(FtCache &cache, const char *name, uint32_t refresh)
{
    return refresh == 0 ? WLAN_FeatureOnce(cache, name) : FtRefresh(cache, name);
}

// The event centre hands over the event's data; for this event it is the
// feature name with its terminator.
uint32_t FtOnRefreshEvent(const void *data, uint32_t len)
{
    (void)len;
    return WLAN_FT_RefreshFeatureByEvent(static_cast<const char *>(data));
}

}  // namespace

// Names (the same constant the accessor passes and its table rows point to),
// cache words starting at "not asked", accessors.
#define WLAN_FT_FEATURE(name)                                        \
    namespace {                                                      \
    constexpr char kFtName_##name[] = #name;                         \
    constinit FtCache g_iFtCache_##name{WLAN_NOT_ASKED};             \
    }                                                                \
    uint32_t WLAN_FT_##name(uint32_t refresh)                        \
    {                                                                \
        return FtAnswer(g_iFtCache_##name, kFtName_##name, refresh); \
    }
#define WLAN_FT_FEATURE_NO_ROW(name) WLAN_FT_FEATURE(name)
#include "qz_wlan_feature.def"

namespace {
constexpr uint32_t kFtRowCount = 0
#define WLAN_FT_FEATURE(name) +1
#define WLAN_FT_FEATURE_ROW(name) +1
#include "qz_wlan_feature.def"
    ;
static_assert(kFtRowCount == WLAN_FT_TABLE_ROWS, "every refresh row comes from the list");
}  // namespace

WLAN_FT_FUNC_S g_ftFuncTable[WLAN_FT_TABLE_ROWS] = {
#define WLAN_FT_FEATURE(name) {kFtName_##name, WLAN_FT_##name},
#define WLAN_FT_FEATURE_ROW(name) WLAN_FT_FEATURE(name)
#include "qz_wlan_feature.def"
};

uint32_t WLAN_FT_RefreshFeatureByEvent(const char *name)
{
    if (name == nullptr) {
        return 0;
    }
    // Every matching row: a name standing in two rows is asked twice.
    for (uint32_t i = 0; i < WLAN_FT_TABLE_ROWS; i++) {
        if (QZ_OS_StrCmp(g_ftFuncTable[i].pcFeatureName, name) == 0) {
            (void)g_ftFuncTable[i].pfnAccessor(1);
        }
    }
    return 0;
}

uint32_t WLAN_FT_Init(void)
{
    // Not reported here: the host gets the event centre's answer as it is.
    return EventCenter_SubscribeEvent(WLAN_FT_EVENT_REFRESH, FtOnRefreshEvent);
}

void WLAN_FT_ResetCaches(void)
{
#define WLAN_FT_FEATURE(name) g_iFtCache_##name.store(WLAN_NOT_ASKED, std::memory_order_relaxed);
#define WLAN_FT_FEATURE_NO_ROW(name) WLAN_FT_FEATURE(name)
#include "qz_wlan_feature.def"
}
