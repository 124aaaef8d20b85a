#pragma once
#include <cstddef>
#include <cstdint>

#include "crt_rand.h"

namespace wordloom {

// Draws a library position from the process-wide generator. Up to 32768
// entries this is rand() % N; beyond that two values make one 30-bit draw,
// (r1 << 15 | r2) % N, so that every entry can come up. The remainder uses a
// precomputed reciprocal: exact, without a division per draw.
class PositionDraw {
 public:
  explicit PositionDraw(size_t count);
  size_t Next() {
    uint32_t r = static_cast<uint32_t>(CrtRand());
    if (wide_) r = r << 15 | static_cast<uint32_t>(CrtRand());
    return Reduce(r);
  }
  size_t count() const { return count_; }
  bool wide() const { return wide_; }
  // Reduce's constants, for loops that step a copy of the generator.
  uint32_t multiplier() const { return multiplier_; }
  unsigned shift() const { return shift_; }
  uint32_t divisor() const { return count_; }

  // r % count for any r below 2^30. With m = ceil(2^(30+l) / count), where
  // 2^l is the least power of two not below count, (r * m) >> (30 + l) is
  // exactly r / count; r * m stays below 2^61 and m fits 32 bits, so one
  // 32x32->64 multiply does it on every target.
  size_t Reduce(uint32_t r) const {
    const uint32_t q = static_cast<uint32_t>((static_cast<uint64_t>(r) * multiplier_) >> shift_);
    return r - q * count_;
  }

 private:
  uint32_t count_;
  bool wide_;
  uint32_t multiplier_ = 0;
  unsigned shift_ = 0;
};

}  // namespace wordloom
