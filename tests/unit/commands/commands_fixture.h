// The shell as the host starts it (rings and catalogue), with a profile and
// the relation command's two feature switches chosen per test.
#pragma once

#include <cstdint>
#include <string>

#include "qz_sim.h"
#include "qz_test.h"

namespace cmdtest {

class CommandsTest : public qztest::PlatformTest {
  protected:
    void SetUp() override;
    // Loads a profile (sections not given take their defaults) and installs
    // the catalogue again.
    void Load(const qzsim::json &profile);
    // Sets both switches and installs the catalogue again.
    void Install(bool zq, bool largeCapacity);
};

// The MAC text of the 48-bit value base + i ("aa:bb:cc:dd:ee:ff").
std::string Mac(uint64_t base, uint64_t i);
// Occurrences of `what` in `text`.
size_t Count(const std::string &text, const std::string &what);

}  // namespace cmdtest
