// Inter-process calls of the WLAN process: the topology text (0x48600C02),
// the AP instance list (0x47310024) and the relation-neighbour records
// (0x4731004A), from the profile sections "topology" and "relations".
#include <algorithm>
#include <cstring>
#include <mutex>

#include "qz_platform.h"
#include "qz_sim_shell.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

constexpr const char *kDefaultProcName = "wifi_srv";
// The newest calls are kept for inspection: a long-running host stays flat.
constexpr size_t kCallsKept = 256;
constexpr uint32_t kNoInstance = QZ_RELATION_NO_INST;
constexpr int32_t kSilent = -128;

struct Neighbour {
    uint32_t instance;
    int32_t rssi;
};

struct Relations {
    bool countSet = false;
    uint32_t count = 0;  // answered count; defaults to the list's length
    std::vector<uint32_t> apInstances;
    std::vector<std::vector<Neighbour>> records = std::vector<std::vector<Neighbour>>(QZ_RELATION_RECORDS);
};

struct RpcState {
    std::mutex mu;
    std::string topology;
    Relations relations;
    std::string procName = kDefaultProcName;
    std::vector<RpcCallRecord> calls;
};

RpcState &R()
{
    static RpcState state;
    return state;
}

void ResetRpc()
{
    std::lock_guard<std::mutex> lock(R().mu);
    R().procName = kDefaultProcName;
    R().calls.clear();
}
QZSIM_ON_RESET(ResetRpc);

bool ParseTopology(const json *value, ProfileApply *apply, std::string *error)
{
    std::string text;
    if (value != nullptr) {
        if (!value->is_string()) {
            *error = "topology: must be a string";
            return false;
        }
        text = value->get<std::string>();
    }
    *apply = [text] { SetTopologyText(text); };
    return true;
}
QZSIM_PROFILE_SECTION("topology", ParseTopology);

bool ParseNeighbours(const json &list, const std::string &path, std::vector<Neighbour> *out, std::string *error)
{
    if (!list.is_array() || list.size() > QZ_RELATION_NEIGHBORS) {
        *error = path + ": must be an array of at most 8 neighbours";
        return false;
    }
    for (size_t j = 0; j < list.size(); j++) {
        const std::string p = path + "[" + std::to_string(j) + "]";
        long long instance = -1;
        long long rssi = kSilent;
        if (!CheckKeys(list[j], {"inst", "rssi"}, p, error) ||
            !ReadInt(list[j], "inst", 0, UINT32_MAX, &instance, p, error) ||
            !ReadInt(list[j], "rssi", INT32_MIN, INT32_MAX, &rssi, p, error)) {
            return false;
        }
        if (instance < 0) {
            *error = p + ".inst: required";
            return false;
        }
        out->push_back({static_cast<uint32_t>(instance), static_cast<int32_t>(rssi)});
    }
    return true;
}

bool ParseRelations(const json *value, ProfileApply *apply, std::string *error)
{
    Relations rel;
    const std::string p = "relations";
    if (value != nullptr) {
        long long count = -1;
        if (!CheckKeys(*value, {"count", "apInstances", "neighbors"}, p, error) ||
            !ReadInt(*value, "count", 0, UINT32_MAX, &count, p, error)) {
            return false;
        }
        rel.countSet = count >= 0;
        rel.count = rel.countSet ? static_cast<uint32_t>(count) : 0;
        if (value->contains("apInstances")) {
            const json &list = (*value)["apInstances"];
            if (!list.is_array() || list.size() > QZ_AP_INST_MAX) {
                *error = p + ".apInstances: must be an array of at most 32 instance numbers";
                return false;
            }
            for (const auto &inst : list) {
                if (!inst.is_number_integer() || inst.get<long long>() < 0 || inst.get<long long>() > UINT32_MAX) {
                    *error = p + ".apInstances: instance numbers are unsigned 32-bit";
                    return false;
                }
                rel.apInstances.push_back(inst.get<uint32_t>());
            }
        }
        if (value->contains("neighbors")) {
            const json &map = (*value)["neighbors"];
            if (!map.is_object()) {
                *error = p + ".neighbors: must be an object of instance: [neighbours]";
                return false;
            }
            for (auto it = map.begin(); it != map.end(); ++it) {
                size_t k = 0;
                try {
                    k = std::stoul(it.key());
                } catch (...) {
                    k = QZ_RELATION_RECORDS;
                }
                if (k >= QZ_RELATION_RECORDS) {
                    *error = p + ".neighbors." + it.key() + ": instance must be 0 to 32";
                    return false;
                }
                if (!ParseNeighbours(it.value(), p + ".neighbors." + it.key(), &rel.records[k], error)) return false;
            }
        }
    }
    *apply = [rel] {
        std::lock_guard<std::mutex> lock(R().mu);
        R().relations = rel;
    };
    return true;
}
QZSIM_PROFILE_SECTION("relations", ParseRelations);

void PutU32(uint8_t *dest, uint32_t value)
{
    memcpy(dest, &value, sizeof(value));
}

uint32_t AnswerTopology(void *answer, uint32_t size)
{
    const std::string &text = R().topology;
    size_t n = std::min<size_t>(text.size(), size);
    memcpy(answer, text.data(), n);
    if (n < size) static_cast<char *>(answer)[n] = '\0';
    return 0;
}

uint32_t AnswerApInstances(void *answer, uint32_t size)
{
    if (size < QZ_AP_INST_LIST_LEN) return 1;
    auto *out = static_cast<uint8_t *>(answer);
    const Relations &rel = R().relations;
    PutU32(out, rel.countSet ? rel.count : static_cast<uint32_t>(rel.apInstances.size()));
    for (size_t i = 0; i < rel.apInstances.size(); i++) PutU32(out + 4 + 4 * i, rel.apInstances[i]);
    return 0;
}

uint32_t AnswerRelations(void *answer, uint32_t size)
{
    if (size < QZ_RELATION_RECORDS * QZ_RELATION_RECORD_LEN) return 1;
    auto *out = static_cast<uint8_t *>(answer);
    for (uint32_t k = 0; k < QZ_RELATION_RECORDS; k++) {
        uint8_t *record = out + QZ_RELATION_RECORD_LEN * k;
        memset(record, 0, QZ_RELATION_RECORD_LEN);
        record[0] = static_cast<uint8_t>(k);  // the other process's own bytes
        const auto &neighbours = R().relations.records[k];
        for (uint32_t j = 0; j < QZ_RELATION_NEIGHBORS; j++) {
            Neighbour n = j < neighbours.size() ? neighbours[j] : Neighbour{kNoInstance, kSilent};
            PutU32(record + QZ_RELATION_INST_OFFSET + 4 * j, n.instance);
            PutU32(record + QZ_RELATION_RSSI_OFFSET + 4 * j, static_cast<uint32_t>(n.rssi));
        }
    }
    return 0;
}

std::string BlockName(const QZ_MSG_BLOCK_S *block, uint32_t offset)
{
    const char *name = reinterpret_cast<const char *>(block->aucRaw + offset);
    return std::string(name, strnlen(name, QZ_MSG_BLOCK_NAME_LEN));
}

}  // namespace

namespace qzsim {

void SetTopologyText(const std::string &text)
{
    std::lock_guard<std::mutex> lock(R().mu);
    R().topology = text;
}

void SetCurProcName(const std::string &name)
{
    std::lock_guard<std::mutex> lock(R().mu);
    R().procName = name;
}

std::vector<RpcCallRecord> RpcCalls()
{
    std::lock_guard<std::mutex> lock(R().mu);
    return R().calls;
}

}  // namespace qzsim

extern "C" {

uint32_t QZ_MSG_RpcCall(QZ_MSG_BLOCK_S *block, uint32_t msgNo, uint32_t, const void *, uint32_t requestLen,
                        void *answer, uint32_t answerSize, uint32_t timeoutMs)
{
    uint32_t ret;
    if (Faulted("QZ_MSG_RpcCall", &ret)) return ret;
    if (block == nullptr || answer == nullptr) return 1;
    std::lock_guard<std::mutex> lock(R().mu);
    R().calls.push_back({msgNo, timeoutMs, requestLen, answerSize, BlockName(block, QZ_MSG_BLOCK_CALLER_OFFSET),
                         BlockName(block, QZ_MSG_BLOCK_TARGET_OFFSET)});
    if (R().calls.size() > kCallsKept) R().calls.erase(R().calls.begin());
    switch (msgNo) {
        case QZ_MSG_TOPO_INFO:
            return AnswerTopology(answer, answerSize);
        case QZ_MSG_AP_INST_LIST:
            return AnswerApInstances(answer, answerSize);
        case QZ_MSG_RELATION_NEIGHBOR:
            return AnswerRelations(answer, answerSize);
        default:
            return 1;  // nobody answers that message
    }
}

uint32_t QZ_WLAN_InitMsgBlock(QZ_MSG_BLOCK_S *block)
{
    uint32_t ret;
    if (Faulted("QZ_WLAN_InitMsgBlock", &ret)) return ret;
    if (block == nullptr) return 1;
    memset(block, 0, sizeof(*block));
    std::lock_guard<std::mutex> lock(R().mu);
    strncpy(reinterpret_cast<char *>(block->aucRaw + QZ_MSG_BLOCK_CALLER_OFFSET), R().procName.c_str(),
            QZ_MSG_BLOCK_NAME_LEN - 1);
    strncpy(reinterpret_cast<char *>(block->aucRaw + QZ_MSG_BLOCK_TARGET_OFFSET), "zarvo", QZ_MSG_BLOCK_NAME_LEN - 1);
    return 0;
}

const char *QZ_MSG_GetCurProcName(void)
{
    uint32_t ret;
    if (Faulted("QZ_MSG_GetCurProcName", &ret)) return nullptr;
    // The text stays valid until the name is changed again.
    std::lock_guard<std::mutex> lock(R().mu);
    return R().procName.c_str();
}

}  // extern "C"
