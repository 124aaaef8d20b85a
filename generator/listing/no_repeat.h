#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace wordloom {

// --no-repeat: no entry text twice in one title. An entry goes by the id of
// its text (EntryIds); each text a title takes is stamped with the title's
// number, so that a new title needs nothing cleared.
class NoRepeat {
 public:
  // Ids below `ids`; `texts` of them may go into a title at all.
  void Start(size_t ids, size_t texts) {
    stamps_.assign(ids, 0);
    texts_ = texts;
  }
  void Begin() {
    used_ = 0;
    if (++title_ == 0) {
      std::fill(stamps_.begin(), stamps_.end(), 0);  // the stamps came round again
      title_ = 1;
    }
  }
  bool Holds(uint32_t id) const { return stamps_[id] == title_; }
  void Took(uint32_t id) {
    stamps_[id] = title_;
    ++used_;
  }
  // Every text that may go in is in: the title ends without a draw.
  bool AllIn() const { return used_ == texts_; }

 private:
  std::vector<uint32_t> stamps_;  // by id: the title that holds it
  uint32_t title_ = 0;
  size_t texts_ = 0;
  size_t used_ = 0;  // texts in this title
};

}  // namespace wordloom
