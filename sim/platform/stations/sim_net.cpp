// Host names and network interfaces from the profile: "hosts" maps names to
// IPv4 addresses (nothing is looked up on the network), "interfaces" gives
// each interface its address and MAC.
#include <arpa/inet.h>
#include <strings.h>

#include <array>
#include <cstdio>
#include <map>
#include <mutex>

#include "qz_platform.h"
#include "sim_internal.h"
#include "sim_model.h"

using namespace qzsim;

namespace {

struct SimInterface {
    uint32_t ipNet = 0;  // network order
    std::array<uint8_t, 6> mac{};
};

struct CaseLess {
    bool operator()(const std::string &a, const std::string &b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

struct Net {
    std::mutex mu;
    std::map<std::string, uint32_t, CaseLess> hosts;  // network order
    std::map<std::string, SimInterface> interfaces;
};

Net &N()
{
    static Net net;
    return net;
}

bool ParseIpv4(const std::string &text, uint32_t *ipNet)
{
    in_addr addr{};
    if (inet_pton(AF_INET, text.c_str(), &addr) != 1) return false;
    *ipNet = addr.s_addr;
    return true;
}

bool ParseHosts(const json *value, ProfileApply *apply, std::string *error)
{
    std::map<std::string, uint32_t, CaseLess> hosts;
    const json defaults = {{"localhost", "127.0.0.1"}};
    const json &v = value != nullptr ? *value : defaults;
    if (!v.is_object()) {
        *error = "hosts: must be an object of names and IPv4 addresses";
        return false;
    }
    for (auto it = v.begin(); it != v.end(); ++it) {
        uint32_t ip = 0;
        if (!it->is_string() || !ParseIpv4(it->get<std::string>(), &ip)) {
            *error = "hosts." + it.key() + ": must be an IPv4 address";
            return false;
        }
        hosts[it.key()] = ip;
    }
    *apply = [hosts] {
        std::lock_guard<std::mutex> lock(N().mu);
        N().hosts = hosts;
    };
    return true;
}
QZSIM_PROFILE_SECTION("hosts", ParseHosts);

bool ParseInterfaces(const json *value, ProfileApply *apply, std::string *error)
{
    std::map<std::string, SimInterface> interfaces;
    const json defaults = {{"br0", {{"ip", "192.168.1.1"}, {"mac", "02:1a:2b:3c:4d:5e"}}}};
    const json &v = value != nullptr ? *value : defaults;
    if (!v.is_object()) {
        *error = "interfaces: must be an object";
        return false;
    }
    for (auto it = v.begin(); it != v.end(); ++it) {
        const std::string p = "interfaces." + it.key();
        std::string ip;
        std::string mac;
        if (!CheckKeys(*it, {"ip", "mac"}, p, error) || !ReadString(*it, "ip", &ip, p, error) ||
            !ReadString(*it, "mac", &mac, p, error)) {
            return false;
        }
        SimInterface itf;
        if (!ParseIpv4(ip, &itf.ipNet)) {
            *error = p + ".ip: required, an IPv4 address";
            return false;
        }
        if (!ParseMac(mac, &itf.mac)) {
            *error = p + ".mac: required, a MAC address";
            return false;
        }
        interfaces[it.key()] = itf;
    }
    *apply = [interfaces] {
        std::lock_guard<std::mutex> lock(N().mu);
        N().interfaces = interfaces;
    };
    return true;
}
QZSIM_PROFILE_SECTION("interfaces", ParseInterfaces);

}  // namespace

extern "C" {

uint32_t QZ_OS_GetHostByName4(const char *host, const char *)
{
    uint32_t ret;
    if (Faulted("QZ_OS_GetHostByName4", &ret)) return ret;
    if (host == nullptr) return 0;
    uint32_t ip = 0;
    if (ParseIpv4(host, &ip)) return ip;
    std::lock_guard<std::mutex> lock(N().mu);
    auto it = N().hosts.find(host);
    return it == N().hosts.end() ? 0 : it->second;
}

uint32_t QZ_OS_GetIfIpAndMac(const char *ifName, uint32_t *ipAddr, uint8_t *mac)
{
    uint32_t ret;
    if (Faulted("QZ_OS_GetIfIpAndMac", &ret)) return ret;
    if (ifName == nullptr || ipAddr == nullptr || mac == nullptr) return 1;
    std::lock_guard<std::mutex> lock(N().mu);
    auto it = N().interfaces.find(ifName);
    if (it == N().interfaces.end()) return 1;
    *ipAddr = it->second.ipNet;
    for (size_t i = 0; i < it->second.mac.size(); i++) mac[i] = it->second.mac[i];
    return 0;
}

uint32_t QZ_OS_IpAddrToStr(uint32_t ipAddr, char *text, uint32_t size)
{
    uint32_t ret;
    if (Faulted("QZ_OS_IpAddrToStr", &ret)) return ret;
    if (text == nullptr || size == 0) return 1;
    int n = snprintf(text, size, "%u.%u.%u.%u", ipAddr >> 24, (ipAddr >> 16) & 0xFFu, (ipAddr >> 8) & 0xFFu,
                     ipAddr & 0xFFu);
    if (n < 0 || static_cast<uint32_t>(n) >= size) {
        text[0] = '\0';
        return 1;
    }
    return 0;
}

}  // extern "C"
