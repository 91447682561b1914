// Shared by the utility tests: destinations between guard bytes, last-word
// checks and the feature switch of the MAC formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qz_test.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_util.h"

namespace utiltest {

// n writable bytes (preset to a marker) with 8 guard bytes on each side.
class Dest {
  public:
    explicit Dest(size_t n, char preset = '\x5A') : n_(n), raw_(n + 2 * kGuardLen, kGuard)
    {
        std::fill(raw_.begin() + kGuardLen, raw_.begin() + kGuardLen + n, preset);
    }
    char *p() { return raw_.data() + kGuardLen; }
    uint8_t *u() { return reinterpret_cast<uint8_t *>(p()); }
    uint32_t size() const { return static_cast<uint32_t>(n_); }
    std::string str() const { return std::string(raw_.data() + kGuardLen); }
    std::string bytes() const { return std::string(raw_.data() + kGuardLen, n_); }
    bool intact() const
    {
        for (size_t i = 0; i < kGuardLen; i++) {
            if (raw_[i] != kGuard || raw_[kGuardLen + n_ + i] != kGuard) return false;
        }
        return true;
    }

  private:
    static constexpr size_t kGuardLen = 8;
    static constexpr char kGuard = '\xEE';
    size_t n_;
    std::vector<char> raw_;
};

// Last words recorded so far, as "unit:code" strings.
inline std::vector<std::string> Failures()
{
    std::vector<std::string> out;
    for (const auto &lw : qzsim::LastWords()) out.push_back(lw.file + ":" + std::to_string(lw.code));
    return out;
}

// The last last-word record (the test asserts there is one).
inline qzsim::LastWord LastFailure()
{
    auto all = qzsim::LastWords();
    return all.empty() ? qzsim::LastWord{} : all.back();
}

// Turns the product's full-MAC switch on or off and refreshes its cache.
inline void ShowFullMac(bool on)
{
    qzsim::SetFeature("FT_WLAN_SHOW_FULL_MAC", on ? 1 : 0);
    (void)WLAN_FT_FT_WLAN_SHOW_FULL_MAC(1);
}

}  // namespace utiltest
