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
    return Mod(r);
  }
  size_t count() const { return count_; }

 private:
  size_t Mod(uint32_t r) const {
#ifdef __SIZEOF_INT128__
    const uint64_t low = reciprocal_ * r;
    return static_cast<size_t>((static_cast<unsigned __int128>(low) * count_) >> 64);
#else
    return r % count_;
#endif
  }

  size_t count_;
  bool wide_;
  uint64_t reciprocal_ = 0;
};

}  // namespace wordloom
