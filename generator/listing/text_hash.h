#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace wordloom {

// A 64-bit hash of bytes, eight at a time: equal texts hash alike, and two
// different texts of a run share a hash about once in 2^64 pairs. The same
// on every platform (both are little-endian), so runs stay reproducible.
inline uint64_t HashText(const char* p, size_t n) {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  uint64_t h = (n + 1) * 0xD6E8FEB86659FD93ull;
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * kMul;
    h ^= h >> 29;
  }
  if (n > 0) {
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    h = (h ^ w) * kMul;
    h ^= h >> 29;
  }
  h ^= h >> 32;
  h *= 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 31);
}

}  // namespace wordloom
