// The roaming module of the WLAN service, as far as "debug scn" reaches it:
// its displays, three sub-handlers and the friend-station list, from the
// profile section "roaming" and the associated stations of the model.
//
// Sub-handler lines (words after "debug scn"):
//   roam MAC AP     manual roam of a station to an AP instance
//   thresh N        packets left before a roam is allowed
//   dfx on|off      the module's own debug log
#include <cstring>
#include <mutex>
#include <strings.h>

#include "qz_platform.h"
#include "qz_sim_shell.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {

// The manual-roam log keeps its newest lines, as the module's own log would.
constexpr size_t kRoamLogKept = 64;

struct Candidate {
    uint32_t ap;
    int32_t rssi;
};

struct Roaming {
    std::mutex mu;
    std::vector<FriendSta> friends;  // may exceed 32 to model a bad answer
    std::vector<Candidate> candidates;
    std::vector<std::string> log;
    uint32_t restPktThresh = 100;
    bool dfx = false;
};

Roaming &Ro()
{
    static Roaming roaming;
    return roaming;
}

void Print(const std::string &text)
{
    ConsoleWrite(text.data(), text.size());
}

bool Is(char *argv[], uint32_t i, const char *word)
{
    return strcasecmp(argv[i], word) == 0;
}

bool ParseFriend(const json &obj, const std::string &p, FriendSta *f, std::string *error)
{
    std::string mac;
    long long order = 0;
    if (!CheckKeys(obj, {"mac", "offlineOrder"}, p, error) || !ReadString(obj, "mac", &mac, p, error) ||
        !ReadInt(obj, "offlineOrder", 0, UINT32_MAX, &order, p, error)) {
        return false;
    }
    if (!ParseMac(mac, &f->mac)) {
        *error = p + ".mac: required, a MAC address";
        return false;
    }
    f->offlineOrder = static_cast<uint32_t>(order);
    return true;
}

bool ParseCandidate(const json &obj, const std::string &p, Candidate *c, std::string *error)
{
    long long ap = 0;
    long long rssi = -70;
    if (!CheckKeys(obj, {"ap", "rssi"}, p, error) || !ReadInt(obj, "ap", 0, 32, &ap, p, error) ||
        !ReadInt(obj, "rssi", -128, 0, &rssi, p, error)) {
        return false;
    }
    *c = {static_cast<uint32_t>(ap), static_cast<int32_t>(rssi)};
    return true;
}

template <typename T, typename Parse>
bool ParseList(const json &obj, const char *key, size_t max, Parse parse, std::vector<T> *out, std::string *error)
{
    const std::string p = std::string("roaming.") + key;
    if (!obj.contains(key)) return true;
    const json &list = obj[key];
    if (!list.is_array() || list.size() > max) {
        *error = p + ": must be an array of at most " + std::to_string(max);
        return false;
    }
    for (size_t i = 0; i < list.size(); i++) {
        T item{};
        if (!parse(list[i], p + "[" + std::to_string(i) + "]", &item, error)) return false;
        out->push_back(item);
    }
    return true;
}

bool ParseRoaming(const json *value, ProfileApply *apply, std::string *error)
{
    std::vector<FriendSta> friends;
    std::vector<Candidate> candidates;
    std::vector<std::string> log;
    if (value != nullptr) {
        if (!CheckKeys(*value, {"friends", "candidates", "log"}, "roaming", error) ||
            !ParseList(*value, "friends", 64, ParseFriend, &friends, error) ||
            !ParseList(*value, "candidates", 32, ParseCandidate, &candidates, error)) {
            return false;
        }
        if (value->contains("log")) {
            const json &lines = (*value)["log"];
            for (const auto &line : lines) {
                if (!line.is_string()) {
                    *error = "roaming.log: must be an array of strings";
                    return false;
                }
                log.push_back(line.get<std::string>());
            }
        }
    }
    *apply = [friends, candidates, log] {
        std::lock_guard<std::mutex> lock(Ro().mu);
        Ro().friends = friends;
        Ro().candidates = candidates;
        Ro().log = log;
        Ro().restPktThresh = 100;
        Ro().dfx = false;
    };
    return true;
}
QZSIM_PROFILE_SECTION("roaming", ParseRoaming);

}  // namespace

namespace qzsim {

std::vector<FriendSta> FriendStations()
{
    std::lock_guard<std::mutex> lock(Ro().mu);
    return Ro().friends;
}

}  // namespace qzsim

extern "C" {

uint32_t SCN_DisplayScnOnlineStaInfo(void)
{
    uint32_t ret;
    if (Faulted("SCN_DisplayScnOnlineStaInfo", &ret)) return ret;
    std::string text = "scn online sta:\r\n";
    {
        std::lock_guard<std::mutex> lock(ModelMutex());
        for (const SimStation &s : Model().stations) {
            text += "  " + s.mac + " ssid " + std::to_string(s.ssid) + " rssi " + std::to_string(s.rssi) + "\r\n";
        }
    }
    Print(text);
    return 0;
}

uint32_t SCN_DisplayCandidateApInst(void)
{
    uint32_t ret;
    if (Faulted("SCN_DisplayCandidateApInst", &ret)) return ret;
    std::string text = "scn candidate ap:\r\n";
    {
        std::lock_guard<std::mutex> lock(Ro().mu);
        for (const Candidate &c : Ro().candidates) {
            text += "  ap " + std::to_string(c.ap) + " rssi " + std::to_string(c.rssi) + "\r\n";
        }
    }
    Print(text);
    return 0;
}

uint32_t SCN_DisplayRoamLog(void)
{
    uint32_t ret;
    if (Faulted("SCN_DisplayRoamLog", &ret)) return ret;
    std::string text = "scn roam log:\r\n";
    {
        std::lock_guard<std::mutex> lock(Ro().mu);
        for (const std::string &line : Ro().log) text += "  " + line + "\r\n";
    }
    Print(text);
    return 0;
}

uint32_t SCN_ManualTriggerRoam(uint32_t argc, char *argv[])
{
    uint32_t ret;
    if (Faulted("SCN_ManualTriggerRoam", &ret)) return ret;
    if (!qzsim::WordsFit(argc, argv)) return 1;
    std::array<uint8_t, 6> mac{};
    char *end = nullptr;
    if (argc != 5 || !Is(argv, 2, "roam") || !ParseMac(argv[3], &mac)) return 1;
    unsigned long ap = strtoul(argv[4], &end, 10);
    if (*argv[4] == '\0' || *end != '\0' || ap > 32) return 1;
    std::string line = std::string("manual roam ") + argv[3] + " to ap " + std::to_string(ap);
    {
        std::lock_guard<std::mutex> lock(Ro().mu);
        Ro().log.push_back(line);
        if (Ro().log.size() > kRoamLogKept) Ro().log.erase(Ro().log.begin());
    }
    Print(line + "\r\n");
    return 0;
}

uint32_t SCN_SetRoamRestPktThresh(uint32_t argc, char *argv[])
{
    uint32_t ret;
    if (Faulted("SCN_SetRoamRestPktThresh", &ret)) return ret;
    if (!qzsim::WordsFit(argc, argv)) return 1;
    char *end = nullptr;
    if (argc != 4 || !Is(argv, 2, "thresh") || *argv[3] == '\0') return 1;
    unsigned long thresh = strtoul(argv[3], &end, 10);
    if (*end != '\0' || thresh > UINT32_MAX) return 1;
    {
        std::lock_guard<std::mutex> lock(Ro().mu);
        Ro().restPktThresh = static_cast<uint32_t>(thresh);
    }
    Print("roam rest packet threshold " + std::to_string(thresh) + "\r\n");
    return 0;
}

uint32_t SCN_ProcDfxLogByCmd(uint32_t argc, char *argv[])
{
    uint32_t ret;
    if (Faulted("SCN_ProcDfxLogByCmd", &ret)) return ret;
    if (!qzsim::WordsFit(argc, argv)) return 1;
    if (argc != 4 || !Is(argv, 2, "dfx") || !(Is(argv, 3, "on") || Is(argv, 3, "off"))) return 1;
    bool on = Is(argv, 3, "on");
    {
        std::lock_guard<std::mutex> lock(Ro().mu);
        Ro().dfx = on;
    }
    Print(std::string("scn dfx log ") + (on ? "on" : "off") + "\r\n");
    return 0;
}

uint32_t WIFI_SCN_GetFriendStaAll(void *list)
{
    uint32_t ret;
    if (Faulted("WIFI_SCN_GetFriendStaAll", &ret)) return ret;
    if (list == nullptr) return 1;
    auto *out = static_cast<uint8_t *>(list);
    memset(out, 0, QZ_SCN_FRIEND_LIST_LEN);
    std::lock_guard<std::mutex> lock(Ro().mu);
    uint32_t count = static_cast<uint32_t>(Ro().friends.size());
    memcpy(out, &count, sizeof(count));
    for (uint32_t i = 0; i < count && i < QZ_SCN_FRIEND_MAX; i++) {
        uint8_t *slot = out + 4 + QZ_SCN_FRIEND_SLOT_LEN * i;
        memcpy(slot, &Ro().friends[i].offlineOrder, sizeof(uint32_t));
        memcpy(slot + 4, Ro().friends[i].mac.data(), 6);
    }
    return 0;
}

// Adds a friend with its offline order; 1 refuses (no MAC text, a friend
// already, list full).
uint32_t FBT_SCN_AddStaFriend(uint32_t index, const char *mac)
{
    uint32_t ret;
    if (Faulted("FBT_SCN_AddStaFriend", &ret)) return ret;
    FriendSta f{index, {}};
    if (mac == nullptr || !ParseMac(mac, &f.mac)) return 1;
    std::lock_guard<std::mutex> lock(Ro().mu);
    if (Ro().friends.size() >= QZ_SCN_FRIEND_MAX) return 1;
    for (const FriendSta &known : Ro().friends) {
        if (known.mac == f.mac) return 1;
    }
    Ro().friends.push_back(f);
    return 0;
}

}  // extern "C"
