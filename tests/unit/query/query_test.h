// Fixture of the platform-query tests: a fresh platform and library caches
// as at load time and a profile loader.
#pragma once

#include <string>
#include <vector>

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
};

}  // namespace qztest
