// Configuration-database parameter lists: building a key or parameter list in
// one call, and applying one delivered parameter through a descriptor table.
#define WLAN_UNIT_NAME "wlan_db"
#include "qz_wlan_query.h"
#include "wlan_internal.h"

namespace {

// Creates the list with the builder's own arguments. 0, or the code already
// reported.
template <typename Element>
uint32_t AllocList(uint32_t *handle, Element *elements, uint32_t count)
{
    if (handle == nullptr || elements == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    uint32_t ret = QZ_XML_DBAllocParaList(handle, elements, count);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, count, 0);
    }
    return ret;
}

void ApplyUint32(const WLAN_DB_PARA_DESC_S &row, const void *value)
{
    uint32_t delivered = *static_cast<const uint32_t *>(value);
    if (row.uiAlwaysChanged != 1) {
        *row.pucChanged = delivered != *static_cast<const uint32_t *>(row.pOldValue) ? 1 : 0;
    }
    *static_cast<uint32_t *>(row.pDest) = delivered;
}

void ApplyString(const WLAN_DB_PARA_DESC_S &row, const void *value)
{
    const char *delivered = static_cast<const char *>(value);
    if (row.uiAlwaysChanged != 1) {
        *row.pucChanged = QZ_OS_StrCmp(delivered, static_cast<const char *>(row.pOldValue)) != 0 ? 1 : 0;
    }
    char *dest = static_cast<char *>(row.pDest);
    (void)memset_s(dest, row.uiDestSize, 0, row.uiDestSize);
    if (row.uiDestSize == 0) {
        return;
    }
    int ret = strcpy_s(dest, row.uiDestSize, delivered);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, row.uiParaId, row.uiDestSize);
    }
}

}  // namespace

uint32_t WLAN_DB_AllocAppendKeyList(uint32_t *handle, WLAN_DB_KEY_S *keys, uint32_t count)
{
    uint32_t ret = AllocList(handle, keys, count);
    if (ret != 0) {
        return ret;
    }
    for (uint32_t i = 0; i < count; i++) {
        // Keys are always 32-bit values; the list refers to the array's field.
        ret =
            QZ_XML_DBAppendAllParaToParaList(*handle, keys[i].uiParaId, 0, WLAN_DB_TYPE_UINT32, 0, &keys[i].uiValue, 0);
        if (ret != 0) {
            // Releasing on the way out of a failure: nothing more can be done.
            (void)QZ_XML_DBFreeParaList(*handle);
            (void)QZ_PROC_DBG_LastWord(WLAN_UNIT_NAME, __LINE__, ret, i, count, keys[i].uiParaId,
                                       static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&keys[i].uiValue)));
            return ret;
        }
    }
    return 0;
}

uint32_t WLAN_DB_AllocAppendParaList(uint32_t *handle, WLAN_DB_PARA_S *paras, uint32_t count)
{
    uint32_t ret = AllocList(handle, paras, count);
    if (ret != 0) {
        return ret;
    }
    for (uint32_t i = 0; i < count; i++) {
        ret = QZ_XML_DBAppendAllParaToParaList(*handle, paras[i].uiParaId, 0, paras[i].uiType, 0, paras[i].pValue, 0);
        if (ret != 0) {
            // Releasing on the way out of a failure: nothing more can be done.
            (void)QZ_XML_DBFreeParaList(*handle);
            WLAN_LAST_WORD(ret, paras[i].uiParaId, paras[i].uiType);
            return ret;
        }
    }
    return 0;
}

void WLAN_DB_GetParaByCmo(uint32_t paraId, const void *value, const WLAN_DB_PARA_DESC_S *table, uint32_t count)
{
    const WLAN_DB_PARA_DESC_S *row = nullptr;
    for (uint32_t i = 0; table != nullptr && i < count; i++) {
        if (table[i].uiParaId == paraId) {
            row = &table[i];
            break;
        }
    }
    if (row == nullptr || value == nullptr) {
        WLAN_LAST_WORD(1, count, paraId);
        return;
    }
    if (row->uiAlwaysChanged == 1) {
        *row->pucChanged = 1;
    }
    switch (row->uiType) {
        case WLAN_DB_TYPE_UINT32:
            ApplyUint32(*row, value);
            break;
        case WLAN_DB_TYPE_STRING:
            ApplyString(*row, value);
            break;
        default:
            WLAN_LAST_WORD(1, row->uiType, paraId);
            break;
    }
}
