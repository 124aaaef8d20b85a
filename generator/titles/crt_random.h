#pragma once
#include <cstddef>
#include <cstdint>

namespace wordloom {

// The inverse of an odd number modulo 2^32 (Newton's iteration, each round
// doubling the bits that are right).
constexpr uint32_t InverseOdd(uint32_t a) {
  uint32_t x = a;
  for (int i = 0; i < 5; ++i) x *= 2 - a * x;
  return x;
}

// The Microsoft C runtime's rand(), step for step, as a value: a fresh one
// is where every process started (seed 1), so the same inputs write the
// same titles as the program always has.
class CrtRandom {
 public:
  static constexpr uint32_t kMax = 0x7FFF;
  static constexpr uint32_t kMultiply = 214013u, kAdd = 2531011u;

  // `steps` steps at once, state * multiply + add: lanes of states that many
  // apart each go on without waiting for the others.
  struct Leap {
    uint32_t multiply = 1, add = 0;
  };
  static constexpr Leap LeapOf(unsigned steps) {
    Leap leap;
    for (unsigned i = 0; i < steps; ++i) leap = {leap.multiply * kMultiply, leap.add * kMultiply + kAdd};
    return leap;
  }

  explicit CrtRandom(uint32_t seed = 1) : state_(seed) {}
  // The next value, 0 .. 32767.
  uint32_t Next() {
    state_ = state_ * kMultiply + kAdd;
    return ValueOf(state_);
  }
  static uint32_t ValueOf(uint32_t state) { return state >> 16 & kMax; }
  uint32_t state() const { return state_; }
  // The generator one step before `state`: the multiplier is odd, so the
  // step can be undone.
  static CrtRandom Before(uint32_t state) { return CrtRandom((state - kAdd) * kUndo); }

 private:
  static constexpr uint32_t kUndo = InverseOdd(kMultiply);
  static_assert(kMultiply * kUndo == 1, "the step is undone exactly");

  uint32_t state_;
};

// Library positions drawn from a CrtRandom. Up to 32768 entries a draw is
// rand() % N; beyond, two values make one 30-bit draw, (r1 << 15 | r2) % N,
// so that every entry can come up.
class PositionDraw {
 public:
  explicit PositionDraw(size_t count);

  size_t operator()(CrtRandom& random) const {
    uint32_t r = random.Next();
    if (wide_) r = r << 15 | random.Next();
    return Reduce(r);
  }
  bool wide() const { return wide_; }

  // r % count for any r below 2^30, without a division: with
  // m = ceil(2^(30+l) / count), where 2^l is the least power of two not
  // below count, (r * m) >> (30 + l) is exactly r / count.
  uint32_t Reduce(uint32_t r) const {
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
