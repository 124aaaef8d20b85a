#include "entry_ids.h"

#include <cstring>
#include <limits>
#include <new>

#include "bytes.h"
#include "text_hash.h"

namespace wordloom {

EntryIds::EntryIds(const WordList& words) : first_(new uint32_t[words.size()]) {
  const size_t n = words.size();
  if (n >= std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
  // Open addressing: each slot holds a position + 1 beside the upper half of
  // its hash, so that most probes never look at the text. The system's
  // zeroed pages, not a second pass over them.
  size_t capacity = 16;
  while (capacity < 2 * n) capacity *= 2;
  const size_t mask = capacity - 1;
  const ZeroedArray<uint64_t> table = AllocateZeroed<uint64_t>(capacity);
  uint64_t* const slots = table.get();
  const char* const text = words.text();
  // The slots of the next few entries are fetched while this one goes in:
  // in a large library nearly every first look is a cache miss.
  constexpr size_t kAhead = 16;
  uint64_t hashes[kAhead];
  const auto hashOf = [&](size_t i) { return HashText(text + words.Begin(i), words.End(i) - words.Begin(i)); };
  for (size_t i = 0; i < n && i < kAhead; ++i) __builtin_prefetch(&slots[(hashes[i] = hashOf(i)) & mask]);
  for (size_t i = 0; i < n; ++i) {
    const size_t begin = words.Begin(i), size = words.End(i) - begin;
    const uint64_t h = hashes[i % kAhead];
    if (i + kAhead < n) __builtin_prefetch(&slots[(hashes[i % kAhead] = hashOf(i + kAhead)) & mask]);
    const uint64_t tag = h & 0xFFFFFFFF00000000ull;
    for (size_t s = static_cast<size_t>(h) & mask;; s = (s + 1) & mask) {
      const uint64_t slot = slots[s];
      if (slot == 0) {
        slots[s] = tag | (i + 1);
        first_[i] = static_cast<uint32_t>(i);
        ++distinct_;
        break;
      }
      const size_t other = static_cast<size_t>(slot & 0xFFFFFFFFu) - 1;
      if ((slot & 0xFFFFFFFF00000000ull) == tag && words.End(other) - words.Begin(other) == size &&
          std::memcmp(text + words.Begin(other), text + begin, size) == 0) {
        first_[i] = static_cast<uint32_t>(other);
        break;
      }
    }
  }
}

}  // namespace wordloom
