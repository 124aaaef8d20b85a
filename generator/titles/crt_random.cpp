#include "crt_random.h"

#include <limits>

namespace wordloom {

PositionDraw::PositionDraw(size_t count)
    : count_(count > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                          : static_cast<uint32_t>(count)),
      wide_(count > CrtRandom::kMax + 1) {
  // Counts past 2^32 cannot be reached by a 30-bit draw anyway; 0 only
  // happens for a list nothing is drawn from.
  if (count_ == 0) count_ = 1;
  unsigned l = 0;
  while ((uint64_t{1} << l) < count_) ++l;
  shift_ = 30 + l;
  multiplier_ = static_cast<uint32_t>(((uint64_t{1} << shift_) + count_ - 1) / count_);
}

}  // namespace wordloom
