// Neighbour maps and the hidden-node check: the gateway's map from its own
// radios, each satellite AP's map from the smart-home link module, and the
// comparison that finds hidden nodes (heard by the AP only) and exposed nodes
// (heard by the gateway only).
#define WLAN_UNIT_NAME "wlan_log"
#include <string.h>

#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "wlan_internal.h"

static_assert(sizeof(WLAN_NEIGH_ENTRY_S) == 210, "neighbour entry layout");
static_assert(offsetof(WLAN_NEIGH_ENTRY_S, acSsid) == 4, "neighbour entry layout");
static_assert(offsetof(WLAN_NEIGH_ENTRY_S, acBssid) == 37, "neighbour entry layout");
static_assert(offsetof(WLAN_NEIGH_ENTRY_S, uiChannel) == 79, "neighbour entry layout");
static_assert(offsetof(WLAN_NEIGH_ENTRY_S, acRssi) == 83, "neighbour entry layout");
static_assert(offsetof(WLAN_NEIGH_ENTRY_S, uiFlag) == 105, "neighbour entry layout");
static_assert(offsetof(WLAN_NEIGH_ENTRY_S, acBand) == 159, "neighbour entry layout");
static_assert(offsetof(WLAN_NEIGH_MAP_S, uiNum) == 64, "neighbour map layout");
static_assert(offsetof(WLAN_NEIGH_MAP_S, astEntry) == 68, "neighbour map layout");
static_assert(sizeof(WLAN_NEIGH_MAP_S) == 53828, "neighbour map layout");
static_assert(WLAN_OWN_BSSID_LIST_LEN == 96, "own-BSSID list: 16 addresses of 6 bytes");

namespace {

constexpr uint32_t kTraceNeigh = 141;
constexpr uint32_t kMacLen = 6;
constexpr uint32_t kRadioSlots = 4;
constexpr uint32_t kNeighListLen = 128;
constexpr uint32_t kNeighPerRadio = 128;
constexpr uint32_t kLastBand24Channel = 14;
constexpr uint32_t kBssidTextLen = QZ_NEIGH_RECORD_SSID_OFFSET - QZ_NEIGH_RECORD_BSSID_OFFSET;
constexpr uint32_t kSsidTextLen = QZ_NEIGH_RECORD_CHANNEL_OFFSET - QZ_NEIGH_RECORD_SSID_OFFSET;
constexpr uint32_t kErrNoOntMap = 0xF7603004u;

#define NEIGH_TRACE(...) QZ_PROC_DBG_TraceN(kTraceNeigh, WLAN_UNIT_NAME, __LINE__, __VA_ARGS__)

// An AP map is filled by another module: its counts and texts are not
// trusted to stay inside the map. Text fields are printed with their field
// size as precision, so an unterminated field ends at its own bytes.
uint32_t EntriesInMap(const WLAN_NEIGH_MAP_S *map)
{
    return map->uiNum < WLAN_NEIGH_MAP_ENTRIES ? map->uiNum : WLAN_NEIGH_MAP_ENTRIES;
}

// The entry's BSSID as bytes; false (and zero bytes) when it is no MAC text.
bool BssidBytes(const WLAN_NEIGH_ENTRY_S *entry, uint8_t *mac)
{
    char text[sizeof(entry->acBssid) + 1];
    (void)memset_s(mac, kMacLen, 0, kMacLen);
    // Not examined: a BSSID that cannot be copied stays empty and matches no other.
    (void)memcpy_s(text, sizeof(text), entry->acBssid, sizeof(entry->acBssid));
    text[sizeof(entry->acBssid)] = '\0';
    return UTIL_MacStrToHex(text, mac, kMacLen) == 0;
}

bool InBssidList(const uint8_t *mac, const uint8_t *list, uint32_t index)
{
    return QZ_OS_MemCmp(mac, list + kMacLen * index, kMacLen) == 0;
}

// Marks the gateway entries that are the AP itself.
void MarkSelfBssids(WLAN_NEIGH_ENTRY_S *ont, const uint8_t *ontMac, const uint8_t *apBssids)
{
    for (uint32_t i = 0; i < WLAN_OWN_BSSID_NUM; i++) {
        if (InBssidList(ontMac, apBssids, i)) {
            NEIGH_TRACE("find self bssid %.33s\r\n", ont->acBssid);
            ont->uiFlag = WLAN_NEIGH_MARK;
        }
    }
}

// An AP entry's BSSID as bytes. The comparison meets each AP entry once per
// gateway entry, and the text does not change meanwhile: converted once per AP.
struct ApMac {
    uint8_t mac[kMacLen];
    bool valid;
};

void ConvertApBssids(const WLAN_NEIGH_MAP_S *apMap, uint32_t apCount, ApMac *macs)
{
    for (uint32_t p = 0; p < apCount; p++) {
        macs[p].valid = BssidBytes(&apMap->astEntry[p], macs[p].mac);
    }
}

// Compares one gateway entry with the AP entries that are unmarked or on its
// channel; a compared AP entry keeps mark 0 unless its BSSID is the same.
void MatchApEntries(WLAN_NEIGH_ENTRY_S *ont, const uint8_t *ontMac, bool ontMacValid, WLAN_NEIGH_MAP_S *apMap,
                    const ApMac *apMacs, uint32_t apCount)
{
    for (uint32_t p = 0; p < apCount; p++) {
        WLAN_NEIGH_ENTRY_S *ap = &apMap->astEntry[p];
        if (ap->uiChannel != 0 && ap->uiChannel != ont->uiChannel) {
            continue;
        }
        NEIGH_TRACE("channel match bssid %.33s bssid %.33s\r\n", ap->acBssid, ont->acBssid);
        ap->uiChannel = 0;
        if (ontMacValid && apMacs[p].valid && memcmp(apMacs[p].mac, ontMac, kMacLen) == 0) {
            NEIGH_TRACE("find same ssid %.33s bssid %.33s\r\n", ont->acSsid, ont->acBssid);
            ont->uiFlag = WLAN_NEIGH_MARK;
            ap->uiChannel = WLAN_NEIGH_MARK;
        }
    }
}

void PrintNode(const char *kind, uint32_t apNumber, const WLAN_NEIGH_ENTRY_S *entry)
{
    WLAN_CONSOLE("Warning: find %s for AP%u!!! band %.9s ssid %.33s bssid %.33s rssi %.9s\r\n", kind, apNumber,
                 entry->acBand, entry->acSsid, entry->acBssid, entry->acRssi);
}

// Exposed nodes: gateway entries the AP did not account for. Clears every
// mark for the next AP.
void ReportExposed(uint32_t apNumber, WLAN_NEIGH_MAP_S *ontMap)
{
    uint32_t entries = EntriesInMap(ontMap);
    for (uint32_t g = 0; g < entries; g++) {
        WLAN_NEIGH_ENTRY_S *ont = &ontMap->astEntry[g];
        if (ont->uiFlag != WLAN_NEIGH_MARK) {
            PrintNode("Exposed node", apNumber, ont);
        }
        ont->uiFlag = 0;
    }
}

// Hidden nodes: AP entries compared and not found, unless they are the
// gateway itself.
void ReportHidden(uint32_t apNumber, const WLAN_NEIGH_MAP_S *apMap, const uint8_t *ontBssids)
{
    uint32_t entries = EntriesInMap(apMap);
    for (uint32_t p = 0; p < entries; p++) {
        const WLAN_NEIGH_ENTRY_S *ap = &apMap->astEntry[p];
        uint8_t mac[kMacLen];
        if (ap->uiChannel == 0 && WLAN_CMD_CheckApBssid(ap, mac, kMacLen, ontBssids) == 1) {
            PrintNode("Hidden", apNumber, ap);
        }
    }
}

void ClearOntMarks(WLAN_NEIGH_MAP_S *ontMap)
{
    uint32_t entries = EntriesInMap(ontMap);
    for (uint32_t g = 0; g < entries; g++) {
        ontMap->astEntry[g].uiFlag = 0;
    }
}

void GetOntBssids(uint8_t *list)
{
    for (uint32_t vap = 0; vap < WLAN_OWN_BSSID_NUM; vap++) {
        uint8_t *slot = list + kMacLen * vap;
        uint32_t ret = WLAN_VAP_GetHexBssid(vap, slot, kMacLen);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, vap, 0);
            (void)memset_s(slot, kMacLen, 0, kMacLen);
        }
    }
}

template <typename Fn>
Fn HookEntry(QZ_HOOK_FUNC *table, uint32_t index)
{
    return table == nullptr ? nullptr : reinterpret_cast<Fn>(table[index]);
}

}  // namespace

uint32_t WLAN_CMD_WifiCheckHiddenNode(uint32_t argc, char *argv[])
{
    (void)argc;
    (void)argv;
    auto *apMap = static_cast<WLAN_NEIGH_MAP_S *>(WLAN_MALLOC(sizeof(WLAN_NEIGH_MAP_S)));
    if (apMap == nullptr) {
        WLAN_LAST_WORD(1, sizeof(WLAN_NEIGH_MAP_S), 0);
        return 1;
    }
    auto *ontMap = static_cast<WLAN_NEIGH_MAP_S *>(WLAN_MALLOC(sizeof(WLAN_NEIGH_MAP_S)));
    if (ontMap == nullptr) {
        WLAN_FREE(apMap);
        WLAN_LAST_WORD(kErrNoOntMap, sizeof(WLAN_NEIGH_MAP_S), 0);
        return kErrNoOntMap;
    }
    uint8_t ontBssids[WLAN_OWN_BSSID_LIST_LEN];
    uint8_t apBssids[WLAN_OWN_BSSID_LIST_LEN];
    (void)memset_s(ontBssids, sizeof(ontBssids), 0, sizeof(ontBssids));
    (void)memset_s(apBssids, sizeof(apBssids), 0, sizeof(apBssids));
    GetOntBssids(ontBssids);

    // A partly built gateway map is still compared; its failure is the result.
    uint32_t result = WLAN_CMD_GetOntNeighborMap(ontMap);
    WLAN_QueryLog(149, "CLI", "Cmd", "GetNeighbourApNum");

    for (uint32_t ap = 1; ap <= WLAN_NEIGH_AP_MAX; ap++) {
        // An AP that cannot answer leaves its map empty and prints nothing.
        (void)WLAN_CMD_GetApNeighborMap(ap, apMap, ontMap, apBssids);
        if (apMap->uiNum == 0) {
            // Marks the own-BSSID pass set must not leak into the next AP.
            ClearOntMarks(ontMap);
            continue;
        }
        ReportExposed(ap, ontMap);
        ReportHidden(ap, apMap, ontBssids);
    }
    WLAN_FREE(ontMap);
    WLAN_FREE(apMap);
    return result;
}

uint32_t WLAN_CMD_GetOntNeighborMap(WLAN_NEIGH_MAP_S *map)
{
    uint32_t counts[kRadioSlots];
    uint8_t list[kNeighListLen];
    uint32_t channel = 0;
    uint32_t entries = 0;
    (void)memset_s(counts, sizeof(counts), 0, sizeof(counts));
    (void)memset_s(list, sizeof(list), 0, sizeof(list));
    if (map == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    uint32_t ret = WLAN_GetWifiNeighbor_CliNeighNum(counts, kRadioSlots, list, kNeighListLen);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, 0, 0);
        return ret;
    }
    // Neighbour counts exist for four radios; a fifth has none to ask for.
    for (uint32_t radio = 1; radio <= QZ_WLAN_GetWlanNum() && radio <= kRadioSlots; radio++) {
        uint32_t ssid = WLAN_GetDefIndex_ByRadioInst(radio);
        ret = QZ_WLAN_GetCurrentChannel(ssid, &channel);
        NEIGH_TRACE("uiChannel=%u", channel);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, ssid, radio);
            return ret;
        }
        for (uint32_t a = 1; a <= kNeighPerRadio && a <= counts[radio - 1]; a++) {
            ret = WLAN_CMD_GetNeighMapByCurrentChan(ssid, a, channel, &entries, map);
            if (ret != 0) {
                WLAN_LAST_WORD(ret, ssid, a);
                return ret;
            }
        }
    }
    return 0;
}

uint32_t WLAN_CMD_GetNeighMapByCurrentChan(uint32_t ssidIndex, uint32_t neighbour, uint32_t channel, uint32_t *count,
                                           WLAN_NEIGH_MAP_S *map)
{
    uint8_t record[QZ_NEIGH_RECORD_LEN];
    (void)memset_s(record, sizeof(record), 0, sizeof(record));
    if (count == nullptr || map == nullptr) {
        WLAN_LAST_WORD(1, ssidIndex, neighbour);
        return 1;
    }
    uint32_t ret = WLAN_Adpt_GetNeighborhoodAPInfo(ssidIndex, neighbour, record);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, ssidIndex, neighbour);
        return ret;
    }
    uint32_t neighChannel = record[QZ_NEIGH_RECORD_CHANNEL_OFFSET];
    int32_t rssi = static_cast<int8_t>(record[QZ_NEIGH_RECORD_RSSI_OFFSET]);
    if (neighChannel != channel) {
        return 0;
    }
    uint32_t k = *count;
    if (k >= WLAN_NEIGH_MAP_ENTRIES) {
        // The map is full: further neighbours are left out, the building goes on.
        WLAN_LAST_WORD(1, k, neighbour);
        return 0;
    }
    WLAN_NEIGH_ENTRY_S *entry = &map->astEntry[k];
    const char *bssid = reinterpret_cast<const char *>(record + QZ_NEIGH_RECORD_BSSID_OFFSET);
    const char *ssid = reinterpret_cast<const char *>(record + QZ_NEIGH_RECORD_SSID_OFFSET);
    int err = strncpy_s(entry->acBssid, sizeof(entry->acBssid), bssid, kBssidTextLen);
    if (err != 0) {
        WLAN_LAST_WORD(err, ssidIndex, neighbour);
    }
    err = strncpy_s(entry->acSsid, sizeof(entry->acSsid), ssid, kSsidTextLen);
    if (err != 0) {
        WLAN_LAST_WORD(err, ssidIndex, neighbour);
    }
    if (sprintf_s(entry->acRssi, sizeof(entry->acRssi), "%d", rssi) <= 0) {
        WLAN_LAST_WORD(1, rssi, neighbour);
    }
    entry->uiChannel = neighChannel;
    err = strcpy_s(entry->acBand, sizeof(entry->acBand), neighChannel > kLastBand24Channel ? "5G" : "2G");
    if (err != 0) {
        WLAN_LAST_WORD(err, neighChannel, neighbour);
    }
    NEIGH_TRACE("band %s ssid %s, bssid %s, rssi %s, channel %u, ontIndex=%u", entry->acBand, entry->acSsid,
                entry->acBssid, entry->acRssi, neighChannel, k);
    (*count)++;
    map->uiNum++;
    return 0;
}

uint32_t WLAN_CMD_GetApNeighborMap(uint32_t apNumber, WLAN_NEIGH_MAP_S *apMap, WLAN_NEIGH_MAP_S *ontMap,
                                   uint8_t *apBssids)
{
    if (apMap == nullptr || ontMap == nullptr || apBssids == nullptr) {
        WLAN_LAST_WORD(1, apNumber, 0);
        return 1;
    }
    QZ_HOOK_FUNC *table = Hook_GetZarvoFunc();
    (void)memset_s(apMap, sizeof(*apMap), 0, sizeof(*apMap));
    uint32_t count = 0;
    auto getMap = HookEntry<QZ_ZARVO_GET_AP_NEIGH_MAP_FN>(table, QZ_ZARVO_HOOK_GET_AP_NEIGH_MAP);
    auto getSelf = HookEntry<QZ_ZARVO_GET_AP_SELF_BSSID_FN>(table, QZ_ZARVO_HOOK_GET_AP_SELF_BSSID);
    // Without the link module's table or entries the AP stays empty (skipped).
    if (getMap == nullptr || getSelf == nullptr) {
        WLAN_LAST_WORD(1, table == nullptr, apNumber);
        return 1;
    }
    uint32_t ret = getMap(apNumber, &count, apMap);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, count, apNumber);
        return ret;
    }
    ret = getSelf(apNumber, apBssids);
    if (ret != 0) {
        WLAN_LAST_WORD(ret, reinterpret_cast<uintptr_t>(apBssids), apNumber);
        return ret;
    }
    uint32_t apCount = count < WLAN_NEIGH_MAP_ENTRIES ? count : WLAN_NEIGH_MAP_ENTRIES;
    uint32_t ontCount = EntriesInMap(ontMap);
    ApMac apMacs[WLAN_NEIGH_MAP_ENTRIES];
    ConvertApBssids(apMap, ontCount == 0 ? 0 : apCount, apMacs);
    for (uint32_t g = 0; g < ontCount; g++) {
        WLAN_NEIGH_ENTRY_S *ont = &ontMap->astEntry[g];
        uint8_t ontMac[kMacLen];
        bool ontMacValid = BssidBytes(ont, ontMac);
        if (ontMacValid) {
            MarkSelfBssids(ont, ontMac, apBssids);
        }
        if (ont->uiFlag == WLAN_NEIGH_MARK) {
            continue;
        }
        MatchApEntries(ont, ontMac, ontMacValid, apMap, apMacs, apCount);
    }
    return 0;
}

uint32_t WLAN_CMD_CheckApBssid(const WLAN_NEIGH_ENTRY_S *entry, uint8_t *mac, uint32_t macLen, const uint8_t *ontBssids)
{
    if (entry == nullptr || mac == nullptr || macLen < kMacLen || ontBssids == nullptr) {
        WLAN_LAST_WORD(1, macLen, 0);
        return 1;
    }
    if (!BssidBytes(entry, mac)) {
        return 1;
    }
    for (uint32_t i = 0; i < WLAN_OWN_BSSID_NUM; i++) {
        if (InBssidList(mac, ontBssids, i)) {
            NEIGH_TRACE("find ont self bssid %.33s\r\n", entry->acBssid);
            return 0;
        }
    }
    return 1;
}
