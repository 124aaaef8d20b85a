#pragma once
#include <cstddef>
#include <cstdint>

#include "bytes.h"

namespace wordloom {

// The titles a run has made, as 64-bit fingerprints (HashText): 8 bytes a
// slot, with a fifth of the slots kept free, so about 10 bytes a title when
// the count is known up front.
class FingerprintSet {
 public:
  // Room for `expected` titles before the table has to grow. Throws
  // std::bad_alloc.
  explicit FingerprintSet(uint64_t expected);

  // False when the fingerprint was in already.
  bool Insert(uint64_t fingerprint);
  // Starts fetching the slot an Insert of this fingerprint looks at first.
  void Prefetch(uint64_t fingerprint) const { __builtin_prefetch(&slots_[SlotOf(fingerprint)]); }

 private:
  void Allocate(uint64_t capacity);
  // A slot from the fingerprint's upper half, without a division.
  uint64_t SlotOf(uint64_t fingerprint) const { return (fingerprint >> 32) * capacity_ >> 32; }

  ZeroedArray<uint64_t> slots_;
  uint64_t capacity_ = 0, size_ = 0;
};

}  // namespace wordloom
