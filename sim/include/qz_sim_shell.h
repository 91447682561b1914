// Control API of the simulated sibling modules and processes the wlancmd
// handlers talk to: inter-process calls, hook tables, the roaming module.
// Their data comes from the profile sections "topology", "relations", "aps",
// "master", "roaming" and "neighbours"; Reset() restores the profile's state
// and puts back every hook table and entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qzsim {

// ---- Inter-process calls -------------------------------------------------

// The topology text answered by call 0x48600C02. A text of 174080 bytes or
// more fills the whole answer buffer, without a terminator.
void SetTopologyText(const std::string &text);
// The name QZ_MSG_GetCurProcName answers ("wifi_srv" by default).
void SetCurProcName(const std::string &name);

struct RpcCallRecord {
    uint32_t msgNo;
    uint32_t timeoutMs;
    uint32_t requestLen;
    uint32_t answerSize;
    std::string caller;  // the block's caller-name field
    std::string target;  // the block's target-name field
};
// The newest 256 calls, oldest first.
std::vector<RpcCallRecord> RpcCalls();

// ---- Hook tables ----------------------------------------------------------

enum class HookTable { Zarvo, Report };
// Until the next Reset(): the getter answers no table, or the entry is empty.
void RemoveHookTable(HookTable table);
void RemoveHookEntry(HookTable table, uint32_t index);
// Until the next Reset(): the smart-home link module answers AP apNumber's
// neighbour map with these bytes as they are (zero-padded to the map's size,
// cut at it), and the count their own uiNum field holds: another process's
// record, trusted in nothing.
void SetApNeighborMapBytes(uint32_t apNumber, const std::vector<uint8_t> &bytes);
// Times the report module's radar trigger ran.
size_t RadarTriggers();

// ---- Roaming module -------------------------------------------------------

struct FriendSta {
    uint32_t offlineOrder;
    std::array<uint8_t, 6> mac;
};
std::vector<FriendSta> FriendStations();

}  // namespace qzsim
