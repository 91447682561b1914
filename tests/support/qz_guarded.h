// An output buffer of n writable bytes, preset to a marker, between 8 guard
// bytes on each side: a write past either end breaks a guard, which fails the
// test when the buffer goes out of scope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qztest {

class Guarded {
  public:
    static constexpr char kPreset = '\x5A';

    explicit Guarded(size_t n, char preset = kPreset) : n_(n), preset_(preset), raw_(n + 2 * kGuardLen, kGuard)
    {
        std::fill(raw_.begin() + kGuardLen, raw_.begin() + kGuardLen + n, preset);
    }
    ~Guarded() { EXPECT_TRUE(GuardsIntact()) << "written outside the destination"; }
    Guarded(const Guarded &) = delete;
    Guarded &operator=(const Guarded &) = delete;
    char *dest() { return raw_.data() + kGuardLen; }
    uint8_t *u() { return reinterpret_cast<uint8_t *>(dest()); }
    uint32_t size() const { return static_cast<uint32_t>(n_); }
    // The text up to its NUL, and all n bytes.
    std::string str() const { return std::string(raw_.data() + kGuardLen); }
    std::string bytes() const { return std::string(raw_.data() + kGuardLen, n_); }
    bool GuardsIntact() const
    {
        for (size_t i = 0; i < kGuardLen; i++) {
            if (raw_[i] != kGuard || raw_[kGuardLen + n_ + i] != kGuard) return false;
        }
        return true;
    }
    bool Untouched() const { return bytes() == std::string(n_, preset_); }

  private:
    static constexpr size_t kGuardLen = 8;
    static constexpr char kGuard = '\xEE';
    size_t n_;
    char preset_;
    std::vector<char> raw_;
};

}  // namespace qztest
