// Fixture of the platform-query tests: a fresh platform and library caches
// as at load time, a profile loader and a guarded destination buffer.
#pragma once

#include <string>
#include <vector>

#include "feature/wlan_feature_internal.h"
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

// A destination of n bytes filled with 'x', between guard bytes.
class Guarded {
  public:
    explicit Guarded(size_t n) : size_(n), buf_(n + 2 * kGuardLen, kGuard)
    {
        std::fill(buf_.begin() + kGuardLen, buf_.begin() + kGuardLen + n, 'x');
    }
    char *dest() { return buf_.data() + kGuardLen; }
    bool GuardsIntact() const
    {
        for (size_t i = 0; i < kGuardLen; i++) {
            if (buf_[i] != kGuard || buf_[kGuardLen + size_ + i] != kGuard) return false;
        }
        return true;
    }
    bool Untouched() const
    {
        for (size_t i = 0; i < size_; i++) {
            if (buf_[kGuardLen + i] != 'x') return false;
        }
        return true;
    }

  private:
    static constexpr size_t kGuardLen = 8;
    static constexpr char kGuard = '\xEE';
    size_t size_;
    std::vector<char> buf_;
};

}  // namespace qztest
