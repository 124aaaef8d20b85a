#include "position_draw.h"

#include <limits>

namespace wordloom {

PositionDraw::PositionDraw(size_t count) : count_(count), wide_(count > kRandMax + 1) {
  // Lemire's remainder by multiplication, exact for 32-bit numerators and
  // divisors; counts past 2^32 cannot be reached by a 30-bit draw anyway.
  if (count_ > std::numeric_limits<uint32_t>::max()) count_ = std::numeric_limits<uint32_t>::max();
  reciprocal_ = std::numeric_limits<uint64_t>::max() / count_ + 1;
}

}  // namespace wordloom
