#include "fingerprint_set.h"

#include <algorithm>
#include <new>
#include <utility>

namespace wordloom {
namespace {

// Past this many titles the table grows as it fills instead of being sized
// for the whole count at once.
constexpr uint64_t kUpFront = uint64_t{1} << 24;

}  // namespace

FingerprintSet::FingerprintSet(uint64_t expected) {
  const uint64_t titles = std::min(expected, kUpFront);
  Allocate(titles + titles / 4 + 64);
}

void FingerprintSet::Allocate(uint64_t capacity) {
  if (capacity >= (uint64_t{1} << 32) || capacity > SIZE_MAX / sizeof(uint64_t)) throw std::bad_alloc();
  ZeroedArray<uint64_t> old = std::exchange(slots_, AllocateZeroed<uint64_t>(static_cast<size_t>(capacity)));
  const uint64_t oldCapacity = capacity_;
  capacity_ = capacity;
  size_ = 0;
  for (uint64_t i = 0; i < oldCapacity; ++i)
    if (old[i] != 0) Insert(old[i]);
}

bool FingerprintSet::Insert(uint64_t fingerprint) {
  if (fingerprint == 0) fingerprint = 1;  // 0 marks a free slot
  if ((size_ + 1) * 5 > capacity_ * 4) Allocate(capacity_ * 2);
  for (uint64_t s = SlotOf(fingerprint);; s = s + 1 == capacity_ ? 0 : s + 1) {
    if (slots_[s] == fingerprint) return false;
    if (slots_[s] == 0) {
      slots_[s] = fingerprint;
      ++size_;
      return true;
    }
  }
}

}  // namespace wordloom
