/* The public headers compile as C99 and link against the shared library. */
#include <stdio.h>
#include <string.h>

#include "qz_wlan_common.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "qz_wlan_shell.h"
#include "qz_wlan_util.h"
#include "qz_wlan_version.h"

/* The version macros are usable in preprocessor conditions. */
#if QZ_WLAN_BASE_VERSION_MAJOR != 1
#error "version 1 expected"
#endif

int main(void)
{
    WLAN_LOG_TBL_S *ring;
    if (WLAN_CMD_LogInit() != 0) {
        return 1;
    }
    if (WLAN_GetMinNum(0xFFFFFFFFu, 1u) != 1u || WLAN_EndWithZip("a.zip") != 1u) {
        return 1;
    }
    ring = WLAN_CMD_LOG_TblGet();
    QZ_WLAN_CpLog(ring, "c99", 3);
    if (ring != &g_stWlanLog || strcmp(ring->acLog, "c99") != 0 || ring->uiWritePos != 3) {
        fprintf(stderr, "ring not written through the C interface\n");
        return 1;
    }
    if (g_ftFuncTable[35].pfnAccessor != WLAN_FT_QZ_FEATURE_ZQ || WLAN_GetRadioInstByType("5g") != 2) {
        fprintf(stderr, "feature table or radio mapping not reachable from C\n");
        return 1;
    }
    if (strcmp(QZ_WLAN_BASE_SONAME, "libqz_wlan_base.so.1") != 0 || QZ_WLAN_BASE_VERSION_STRING[0] != '1') {
        fprintf(stderr, "version header: %s %s\n", QZ_WLAN_BASE_SONAME, QZ_WLAN_BASE_VERSION_STRING);
        return 1;
    }
    return sizeof(WLAN_DBG_CMD_ENTRY) >= 8 * 48 ? 0 : 1;
}
