/*
 * Product feature switches: one accessor per feature name, each keeping the
 * platform's last answer in a cache word of its own.
 *
 * An accessor WLAN_FT_<name>(refresh) answers 1 when the product has the
 * feature, else 0. With refresh 0 it answers from its cache and asks the
 * platform only while nothing is cached; with refresh non-zero it asks again
 * and replaces the cached answer. Any thread may call the accessors, also
 * before WLAN_FT_Init.
 *
 * Platform event 4343 carries a feature name; WLAN_FT_Init subscribes
 * WLAN_FT_RefreshFeatureByEvent to it, which re-asks every accessor whose
 * name stands in g_ftFuncTable.
 */
#ifndef QZ_WLAN_FEATURE_H
#define QZ_WLAN_FEATURE_H

#include "qz_wlan_common.h"

QZ_WLAN_EXTERN_C_BEGIN

#define WLAN_FT_EVENT_REFRESH 4343u
#define WLAN_FT_TABLE_ROWS 261u

typedef uint32_t (*WLAN_FT_ACCESSOR)(uint32_t refresh);

/* One row of the refresh table: the name the accessor asks for, and the
 * accessor. */
typedef struct {
    const char *pcFeatureName;
    WLAN_FT_ACCESSOR pfnAccessor;
} WLAN_FT_FUNC_S;

/* The refresh table: no count and no terminating row. */
QZ_WLAN_API extern WLAN_FT_FUNC_S g_ftFuncTable[WLAN_FT_TABLE_ROWS];

#define WLAN_FT_FEATURE(name) QZ_WLAN_API uint32_t WLAN_FT_##name(uint32_t refresh);
#define WLAN_FT_FEATURE_NO_ROW(name) WLAN_FT_FEATURE(name)
#include "qz_wlan_feature.def"

/* Re-asks the accessor of every row named `name` (exact, case-sensitive);
 * a name in no row changes nothing. Always 0. */
QZ_WLAN_API uint32_t WLAN_FT_RefreshFeatureByEvent(const char *name);

/* Subscribes the refresh to event 4343; the event centre's result. */
QZ_WLAN_API uint32_t WLAN_FT_Init(void);

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_FEATURE_H */
