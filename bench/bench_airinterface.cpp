// One air-interface cycle (sample, reconcile, classify, write) over 32, 128
// and 256 associated stations, every station already known and every fourth
// one an anchor. The calls a cycle makes are answered here from memory (this
// program's definitions take precedence over the simulated platform's), so
// the figures are the library's own cost: no trace file, no disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "airinterface/wlan_airinterface_internal.h"
#include "qz_platform.h"

namespace {

constexpr uint64_t kAnchorBytesPerCycle = 3000ull * 4096;
constexpr uint64_t kLightBytesPerCycle = 3000;
constexpr uint32_t kSsids = 8;

struct BenchStation {
    char mac[18];
    uint32_t ssid;
    uint64_t bytesPerCycle;
    uint64_t txBytes;
};

std::vector<BenchStation> g_stations;
std::vector<std::vector<BenchStation *>> g_bySsid;
uint64_t g_bytesWritten;

void Populate(uint32_t n)
{
    g_stations.assign(n, BenchStation{});
    for (uint32_t i = 0; i < n; i++) {
        BenchStation &s = g_stations[i];
        snprintf(s.mac, sizeof(s.mac), "02:00:00:%02x:%02x:%02x", i % 7, (i / 256) & 0xFF, i & 0xFF);
        s.ssid = i % kSsids;
        s.bytesPerCycle = i % 4 == 0 ? kAnchorBytesPerCycle : kLightBytesPerCycle;
    }
    g_bySsid.assign(kSsids, {});
    for (auto &s : g_stations) g_bySsid[s.ssid].push_back(&s);
}

// The platform answers in constant time, so what grows with n is the
// library's work.
const BenchStation *Nth(uint32_t ssid, uint32_t k)
{
    return (ssid < g_bySsid.size() && k >= 1 && k <= g_bySsid[ssid].size()) ? g_bySsid[ssid][k - 1] : nullptr;
}

// The station's number is in its last two octets ("...:hh:ll").
BenchStation *ByMac(const char *mac)
{
    unsigned long i = (strtoul(mac + 12, nullptr, 16) << 8) | strtoul(mac + 15, nullptr, 16);
    return (i < g_stations.size() && strcmp(g_stations[i].mac, mac) == 0) ? &g_stations[i] : nullptr;
}

void BM_AirInterfaceCycle(benchmark::State &state)
{
    Populate(static_cast<uint32_t>(state.range(0)));
    g_pstAirUserTable = static_cast<WLAN_AIR_USER_LIST_S *>(calloc(1, sizeof(WLAN_AIR_USER_LIST_S)));
    g_pstAirUserSample = static_cast<WLAN_AIR_USER_LIST_S *>(calloc(1, sizeof(WLAN_AIR_USER_LIST_S)));
    wlan_air::isExist = 0;
    for (uint32_t i = 0; i <= WLAN_AIR_ANCHOR_CYCLES; i++) (void)WLAN_AirInterfaceTimerProc();
    uint32_t anchors = 0;
    for (const auto &u : g_pstAirUserTable->users) anchors += u.isAnchor;
    g_bytesWritten = 0;
    for (auto _ : state) {
        wlan_air::lineNum = 0;  // keep packing out of the measured cycle
        benchmark::DoNotOptimize(WLAN_AirInterfaceTimerProc());
    }
    state.counters["anchors"] = anchors;
    state.counters["lineBytes"] =
        benchmark::Counter(static_cast<double>(g_bytesWritten), benchmark::Counter::kAvgIterations);
    free(g_pstAirUserTable);
    free(g_pstAirUserSample);
    g_pstAirUserTable = nullptr;
    g_pstAirUserSample = nullptr;
}
BENCHMARK(BM_AirInterfaceCycle)->Arg(32)->Arg(128)->Arg(256);

}  // namespace

// ---- The platform, from memory --------------------------------------------------

extern "C" {

void QZ_PROC_DBG_TraceN(uint32_t, const char *, uint32_t, const char *, ...)
{
}

uint32_t QZ_PROC_DBG_LastWord(const char *, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
    return 0;
}

void *QZ_OS_MemMallocSet(uint32_t size, uint32_t, const char *)
{
    return calloc(1, size == 0 ? 1 : size);
}

void QZ_OS_MemFreeD(void *block, const char *, uint32_t)
{
    free(block);
}

uint32_t QZ_WLAN_GetSsidNum(void)
{
    return kSsids;
}

uint32_t WLAN_VAP_IsCfgEmpty(uint32_t)
{
    return 0;
}

uint32_t QZ_WLAN_GetIfAssociatedNum(uint32_t ssidIndex, uint32_t *count)
{
    *count = ssidIndex < g_bySsid.size() ? static_cast<uint32_t>(g_bySsid[ssidIndex].size()) : 0;
    return 0;
}

uint32_t WLAN_ADPT_GetIfAssociatedDevice(uint32_t ssidIndex, uint32_t staNumber, void *record)
{
    const BenchStation *s = Nth(ssidIndex, staNumber);
    if (s == nullptr) return 1;
    auto *info = static_cast<WLAN_ADPT_STA_INFO *>(record);
    memcpy(info->acMac, s->mac, sizeof(info->acMac));
    info->uiTxRate = 866;
    info->uiRxRate = 300;
    info->cRssi = -50;
    info->uiPowerSave = 1;
    info->uiActive = 1;
    return 0;
}

// The counter advances once per sample, i.e. once per cycle.
uint32_t WLAN_GetStaStasByMac(const char *mac, void *stats)
{
    BenchStation *s = ByMac(mac);
    if (s == nullptr) return 1;
    s->txBytes += s->bytesPerCycle;
    memcpy(static_cast<WLAN_STA_STATS *>(stats)->aucTxBytes, &s->txBytes, sizeof(s->txBytes));
    return 0;
}

uint32_t QZ_WIFI_DRV_GetIfIndexByMac(const char *mac, uint32_t *ifIndex, uint32_t *staId)
{
    const BenchStation *s = ByMac(mac);
    if (s == nullptr) return 1;
    *ifIndex = s->ssid;
    *staId = static_cast<uint32_t>(s - g_stations.data()) + 1;
    return 0;
}

uint32_t QZ_TIMER_GetConfigDSTTime(struct tm *tm)
{
    time_t t = 1764900000;
    return gmtime_r(&t, tm) != nullptr ? 0 : 1;
}

uint32_t QZ_TIMER_TimeToDSTStr(const struct tm *tm, char *text, uint32_t size)
{
    return strftime(text, size, "%Y-%m-%d %H:%M:%S", tm) > 0 ? 0 : 1;
}

int32_t QZ_OS_Creat(const char *, uint32_t)
{
    return 3;
}

int32_t QZ_OS_Open(const char *, int32_t, uint32_t)
{
    return 3;
}

int32_t QZ_OS_Write(int32_t, const void *, uint32_t len)
{
    g_bytesWritten += len;
    return static_cast<int32_t>(len);
}

int32_t QZ_OS_Close(int32_t)
{
    return 0;
}

}  // extern "C"

BENCHMARK_MAIN();
