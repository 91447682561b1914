// Fixture of the platform-query tests: a fresh platform and library caches
// as at load time and a profile loader.
#pragma once

#include <string>

#include "feature/wlan_feature_internal.h"
#include "qz_guarded.h"
#include "qz_test.h"
#include "query/wlan_query_internal.h"

namespace qztest {

class QueryTest : public PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ResetLibraryCaches();
    }
    static void ResetLibraryCaches()
    {
        WLAN_FT_ResetCaches();
        WLAN_SPEC_ResetCache();
        WLAN_DM_ResetCaches();
    }
    static void LoadProfile(const qzsim::json &profile)
    {
        std::string error;
        ASSERT_TRUE(qzsim::LoadProfileJson(profile, &error)) << error;
    }
    // The last words recorded so far as "unit code value1 value2 ...", the
    // first `values` values of each, one record a line.
    static std::string Words(int values = 1)
    {
        std::string out;
        for (const auto &lw : qzsim::LastWords()) {
            const uint32_t v[] = {lw.value1, lw.value2, lw.value3, lw.value4};
            out += lw.file + " " + std::to_string(lw.code);
            for (int i = 0; i < values; i++) out += " " + std::to_string(v[i]);
            out += "\n";
        }
        return out;
    }
    // The trace records so far as "id unit text", one a line.
    static std::string Traced()
    {
        std::string out;
        for (const auto &t : qzsim::Traces()) out += std::to_string(t.id) + " " + t.file + " " + t.text + "\n";
        return out;
    }
};

}  // namespace qztest
