// Start-up settings of the stand-in WLAN service, from the product profile:
// what the host hands to the library when it starts it.
#pragma once

#include <cstdint>

namespace qzsim {

// The profile's "fitApMode" (default 0): the argument of WLAN_FITAP_Init.
uint32_t ProfileFitApMode();
// The profile's "ownApInst" (default 0, at most 255): the AP number of WLAN_SetOwnAPInst.
uint32_t ProfileOwnApInst();

}  // namespace qzsim
