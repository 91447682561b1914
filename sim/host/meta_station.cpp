// Meta-commands that change the associated stations while the host runs:
// joining, leaving, moving between SSIDs and changing traffic.
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "host.h"

namespace {

constexpr char kKeys[] = "ssid, rssi, txRate, rxRate, powerSave, bytesPerCycle, staId, inactive";

bool Refused(const std::string &error, std::string *out)
{
    *out = "refused: " + error;
    return false;
}

// A whole-word decimal number no larger than max.
bool ParseCount(const std::string &word, unsigned long long max, unsigned long long *out)
{
    if (word.empty() || word.size() > 20 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    unsigned long long v = strtoull(word.c_str(), nullptr, 10);
    if (errno != 0 || v > max) return false;
    *out = v;
    return true;
}

bool Add(const std::vector<std::string> &args, std::string *out)
{
    unsigned long long ssid = 0;
    unsigned long long bytes = 0;
    if (args.size() < 2 || args.size() > 3) return false;
    if (!ParseCount(args[1], UINT32_MAX, &ssid)) return Refused("SSID \"" + args[1] + "\" is not a number", out);
    if (args.size() == 3 && !ParseCount(args[2], UINT64_MAX, &bytes)) {
        return Refused("BYTES_PER_CYCLE \"" + args[2] + "\" is not a number", out);
    }
    std::string error;
    if (!qzsim::AddStation(args[0], static_cast<uint32_t>(ssid), bytes, &error)) return Refused(error, out);
    (void)qzsim::OnStationJoined(args[0], static_cast<uint32_t>(ssid));
    *out = "station " + args[0] + " joined SSID " + args[1] + " (" + std::to_string(bytes) + " bytes per cycle)";
    return true;
}

bool Del(const std::vector<std::string> &args, std::string *out)
{
    if (args.size() != 1) return false;
    std::string error;
    uint32_t ssid = 0;
    bool known = qzsim::StationSsid(args[0], &ssid);
    if (!qzsim::RemoveStation(args[0], &error)) return Refused(error, out);
    if (known) (void)qzsim::OnStationLeft(args[0], ssid);
    *out = "station " + args[0] + " left";
    return true;
}

bool Set(const std::vector<std::string> &args, std::string *out)
{
    if (args.size() != 3) return false;
    std::string error;
    uint32_t from = 0;
    bool known = qzsim::StationSsid(args[0], &from);
    if (!qzsim::SetStationKey(args[0], args[1], args[2], &error)) {
        return Refused(error + " (keys: " + kKeys + ")", out);
    }
    // A new SSID is a move: the service records its roam steps.
    uint32_t to = from;
    if (known && args[1] == "ssid" && qzsim::StationSsid(args[0], &to) && to != from) {
        (void)qzsim::OnStationMoved(args[0], from, to);
    }
    *out = "station " + args[0] + " " + args[1] + " = " + args[2];
    return true;
}

bool Station(const std::vector<std::string> &args, std::string *out)
{
    if (args.empty()) return false;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "add") return Add(rest, out);
    if (args[0] == "del") return Del(rest, out);
    if (args[0] == "set") return Set(rest, out);
    return false;
}
HOST_META("station", "add MAC SSID [BYTES_PER_CYCLE] | del MAC | set MAC KEY VALUE",
          "add, remove or change an associated station (KEY: a profile station key)", Station);

bool Stations(const std::vector<std::string> &args, std::string *out)
{
    if (!args.empty()) return false;
    *out = qzsim::DescribeStations();
    if (out->empty()) *out = "no associated station";
    return true;
}
HOST_META("stations", "", "list the associated stations with their byte counters", Stations);

}  // namespace
