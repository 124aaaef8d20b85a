#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "word_list.h"

namespace wordloom {

// Equal texts at different places in a library as one entry: each position
// names the first position holding the same text.
class EntryIds {
 public:
  explicit EntryIds(const WordList& words);

  uint32_t operator[](size_t i) const { return first_[i]; }
  // Different texts in the library.
  size_t distinct() const { return distinct_; }

 private:
  std::unique_ptr<uint32_t[]> first_;  // every one is set
  size_t distinct_ = 0;
};

}  // namespace wordloom
