#include "entry_ids.h"

#include <cstring>
#include <limits>
#include <new>

#include "text_hash.h"

namespace wordloom {

EntryIds::EntryIds(const WordList& words) : first_(words.size()) {
  const size_t n = words.size();
  if (n >= std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
  // Open addressing: each slot holds a position + 1 beside the upper half of
  // its hash, so that most probes never look at the text.
  size_t capacity = 16;
  while (capacity < 2 * n) capacity *= 2;
  const size_t mask = capacity - 1;
  std::vector<uint64_t> slots(capacity);
  const char* const text = words.text();
  for (size_t i = 0; i < n; ++i) {
    const size_t begin = words.Begin(i), size = words.End(i) - begin;
    const uint64_t h = HashText(text + begin, size);
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
