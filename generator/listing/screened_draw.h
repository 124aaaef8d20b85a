#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "crt_random.h"

namespace wordloom {

// The bound on the rules' redraws, the one place it stands: a candidate
// that may not go in is drawn again, up to kRedraws times; past them the
// candidates that may go in are counted and one of them is drawn, so that a
// draw always ends. Candidates are 0 .. count-1; kNoCandidate when none may
// go in.
constexpr int kRedraws = 64;
constexpr size_t kNoCandidate = SIZE_MAX;

template <class MayGoIn>
[[gnu::noinline]] size_t DrawAmongThoseLeft(size_t count, CrtRandom& random, const MayGoIn& mayGoIn) {
  std::vector<uint32_t> left;
  for (size_t c = 0; c < count; ++c)
    if (mayGoIn(c)) left.push_back(static_cast<uint32_t>(c));
  return left.empty() ? kNoCandidate : left[PositionDraw(left.size())(random)];
}

template <class MayGoIn>
inline size_t DrawScreened(const PositionDraw& draw, size_t count, CrtRandom& random, const MayGoIn& mayGoIn) {
  for (int i = 0; i < kRedraws; ++i) {
    const size_t c = draw(random);
    if (mayGoIn(c)) return c;
  }
  return DrawAmongThoseLeft(count, random, mayGoIn);
}

}  // namespace wordloom
