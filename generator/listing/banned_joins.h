#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "banned_words.h"

namespace wordloom {

// --avoid-banned where two pieces of a title meet: without a separator, or
// across one that some term holds, an entry may make a banned word with the
// title's end. The title's last bytes are kept to look for one.
class BannedJoins {
 public:
  // Whether a banned word can form across pieces at all.
  static bool Possible(const BannedWords& banned, char separator) {
    return separator == '\0' || banned.Holds(separator);
  }
  BannedJoins(const BannedWords& banned, std::string_view core) : banned_(banned), core_(core) {}

  // A new title: its core is in, unless a formula puts it further on.
  void Begin(bool withCore = true) {
    tail_.clear();
    pieces_.clear();
    if (withCore) Add(core_);
  }
  // The title's next piece: the separator, or an entry taken.
  void Add(std::string_view piece);
  // Whether the entry would make a banned word with the title's end.
  bool Joins(std::string_view entry);

 private:
  const BannedWords& banned_;
  const std::string_view core_;
  std::string tail_;            // the title's last pieces
  std::vector<size_t> pieces_;  // where each piece in tail_ begins
  std::string scratch_;
};

}  // namespace wordloom
