// A cached feature accessor called through the shared library's export,
// against the floor of a cross-library call and a hash-map lookup.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "qz_sim.h"
#include "qz_wlan_feature.h"

extern "C" uint32_t qz_bench_constant(uint32_t refresh);

namespace {

constexpr char kName[] = "FT_WLAN_MULTILINK";

void BM_CachedAccessor(benchmark::State &state)
{
    qzsim::SetFeature(kName, 1);
    (void)WLAN_FT_FT_WLAN_MULTILINK(1);  // fill the cache
    for (auto _ : state) {
        benchmark::DoNotOptimize(WLAN_FT_FT_WLAN_MULTILINK(0));
    }
}
BENCHMARK(BM_CachedAccessor);

void BM_FloorCrossLibraryCall(benchmark::State &state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(qz_bench_constant(0));
    }
}
BENCHMARK(BM_FloorCrossLibraryCall);

// Every feature name in a map, as a name-keyed cache would hold them.
std::unordered_map<std::string, int> NameMap()
{
    std::unordered_map<std::string, int> answers;
#define WLAN_FT_FEATURE(name) answers.emplace(#name, 0);
#define WLAN_FT_FEATURE_NO_ROW(name) WLAN_FT_FEATURE(name)
#include "qz_wlan_feature.def"
    answers[kName] = 1;
    return answers;
}

// The key built once: the map's best case.
void BM_UnorderedMapLookup(benchmark::State &state)
{
    const auto answers = NameMap();
    const std::string key = kName;
    for (auto _ : state) {
        auto it = answers.find(key);
        benchmark::DoNotOptimize(it->second);
    }
}
BENCHMARK(BM_UnorderedMapLookup);

// The key built from the name on every call, as a caller holding the
// feature name as a C string must.
void BM_UnorderedMapLookupFromName(benchmark::State &state)
{
    const auto answers = NameMap();
    const char *name = kName;
    benchmark::DoNotOptimize(name);
    for (auto _ : state) {
        auto it = answers.find(name);
        benchmark::DoNotOptimize(it->second);
    }
}
BENCHMARK(BM_UnorderedMapLookupFromName);

}  // namespace

BENCHMARK_MAIN();
