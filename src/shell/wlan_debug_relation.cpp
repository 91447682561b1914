// The relation-neighbour table: which access points hear which, and how
// loud, as the WLAN process of the gateway reports it over two calls.
#define WLAN_UNIT_NAME "wlan_debug"
#include <string.h>

#include "qz_wlan_shell.h"
#include "wlan_debug_internal.h"
#include "wlan_internal.h"

namespace {

constexpr uint32_t kRpcTimeoutMs = 5000;
constexpr uint32_t kRecordsLen = QZ_RELATION_RECORDS * QZ_RELATION_RECORD_LEN;
constexpr int32_t kWeakestRssi = -109;

int32_t ReadS32(const uint8_t *bytes)
{
    int32_t v;
    memcpy(&v, bytes, sizeof(v));
    return v;
}

// The block names this process as the caller and the WLAN process as target.
uint32_t PrepareBlock(QZ_MSG_BLOCK_S *block)
{
    (void)memset_s(block, sizeof(*block), 0, sizeof(*block));
    char *target = reinterpret_cast<char *>(block->aucRaw + QZ_MSG_BLOCK_TARGET_OFFSET);
    char *caller = reinterpret_cast<char *>(block->aucRaw + QZ_MSG_BLOCK_CALLER_OFFSET);
    int ret = strcpy_s(target, QZ_MSG_BLOCK_NAME_LEN, "wifi");
    if (ret == 0) {
        ret = strcpy_s(caller, QZ_MSG_BLOCK_NAME_LEN, QZ_MSG_GetCurProcName());
    }
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
    }
    return static_cast<uint32_t>(ret);
}

void PrintNeighbours(const uint8_t *record)
{
    for (uint32_t j = 0; j < QZ_RELATION_NEIGHBORS; j++) {
        uint32_t instance = WLAN_ReadU32(record + QZ_RELATION_INST_OFFSET + sizeof(uint32_t) * j);
        int32_t rssi = ReadS32(record + QZ_RELATION_RSSI_OFFSET + sizeof(int32_t) * j);
        if (instance != QZ_RELATION_NO_INST && rssi >= kWeakestRssi) {
            WLAN_CONSOLE("%u(%d),", instance, rssi);
        }
    }
}

}  // namespace

uint32_t WLAN_IsApInstInList(const uint8_t *list, uint32_t instance)
{
    // The gateway itself (instance 0) is always shown.
    if (instance == 0) {
        return 1;
    }
    uint32_t count = WLAN_ReadU32(list);
    if (count > QZ_AP_INST_MAX) {
        return 0;
    }
    for (uint32_t i = 0; i < count; i++) {
        if (WLAN_ReadU32(list + sizeof(uint32_t) * (i + 1)) == instance) {
            return 1;
        }
    }
    return 0;
}

void WLAN_PrintRelationNeighbor(const uint8_t *list, const uint8_t *records)
{
    WLAN_CONSOLE("apinst    neighbor inst(rssi)\n");
    for (uint32_t k = 0; k < QZ_RELATION_RECORDS; k++) {
        if (WLAN_IsApInstInList(list, k) != 1) {
            continue;
        }
        WLAN_CONSOLE("%-10u", k);
        PrintNeighbours(records + QZ_RELATION_RECORD_LEN * k);
        WLAN_CONSOLE("\n");
    }
}

uint32_t WLAN_CMD_ShowRelationNeighbor(uint32_t argc, char *argv[])
{
    (void)argc;
    (void)argv;
    QZ_MSG_BLOCK_S block;
    uint32_t ret = PrepareBlock(&block);
    if (ret != 0) {
        return ret;
    }
    uint8_t list[QZ_AP_INST_LIST_LEN];
    (void)memset_s(list, sizeof(list), 0, sizeof(list));
    ret = QZ_MSG_RpcCall(&block, QZ_MSG_AP_INST_LIST, 0, nullptr, 0, list, sizeof(list), kRpcTimeoutMs);
    uint32_t count = WLAN_ReadU32(list);
    if (ret != 0 || count > QZ_AP_INST_MAX) {
        WLAN_LAST_WORD(1, ret, count);
        return 1;
    }
    auto *records = static_cast<uint8_t *>(WLAN_MALLOC(kRecordsLen));
    if (records == nullptr) {
        WLAN_LAST_WORD(1, kRecordsLen, 0);
        return 1;
    }
    ret = QZ_MSG_RpcCall(&block, QZ_MSG_RELATION_NEIGHBOR, 0, nullptr, 0, records, kRecordsLen, kRpcTimeoutMs);
    if (ret != 0) {
        WLAN_FREE(records);
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    WLAN_PrintRelationNeighbor(list, records);
    WLAN_FREE(records);
    return 0;
}

uint32_t WLAN_DisplayRelationNeighbor(void)
{
    WLAN_CONSOLE("\n");
    // The display reports its own failures.
    (void)WLAN_CMD_ShowRelationNeighbor(0, nullptr);
    return 0;
}
