// Shared by the utility tests: last-word checks and the feature switch of the
// MAC formats.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "qz_guarded.h"
#include "qz_test.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_util.h"

namespace utiltest {

// The last last-word record (the test asserts there is one).
inline qzsim::LastWord LastFailure()
{
    auto all = qzsim::LastWords();
    return all.empty() ? qzsim::LastWord{} : all.back();
}
// Its code and first value.
inline std::pair<uint32_t, uint32_t> LastCodeAndValue()
{
    const auto last = LastFailure();
    return {last.code, last.value1};
}

// Turns the product's full-MAC switch on or off and refreshes its cache.
inline void ShowFullMac(bool on)
{
    qzsim::SetFeature("FT_WLAN_SHOW_FULL_MAC", on ? 1 : 0);
    (void)WLAN_FT_FT_WLAN_SHOW_FULL_MAC(1);
}

}  // namespace utiltest
