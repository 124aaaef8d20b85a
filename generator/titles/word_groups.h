#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "word_list.h"

namespace wordloom {

// A library read as grouped, for a formula: a line holding only "[name]"
// (ASCII brackets around a non-empty name) starts a group, and the
// non-empty lines below it, up to the next such line, are its entries. Two
// headings of one name make one group. Lines before the first heading
// belong to no group; blank lines belong to none.
class WordGroups {
 public:
  struct Group {
    std::string name;                // GBK
    size_t heading = 0;              // the first heading's position
    std::vector<uint32_t> entries;   // positions, in file order
  };

  explicit WordGroups(const WordList& words);

  const std::vector<Group>& groups() const { return groups_; }
  // The group of this name; null when there is none.
  const Group* Find(std::string_view name) const;
  // Non-empty lines before the first heading, which a formula never draws.
  const std::vector<uint32_t>& ungrouped() const { return ungrouped_; }

  // The name a heading line holds; empty when the line is not one.
  static std::string_view HeadingName(std::string_view line);

 private:
  std::vector<Group> groups_;
  std::vector<uint32_t> ungrouped_;
};

}  // namespace wordloom
