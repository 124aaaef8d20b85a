#include "word_groups.h"

#include <cstdint>

namespace wordloom {

std::string_view WordGroups::HeadingName(std::string_view line) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return {};
  return line.substr(1, line.size() - 2);
}

WordGroups::WordGroups(const WordList& words) {
  size_t group = SIZE_MAX;  // the group the lines now go to
  for (size_t k = 0; k < words.size(); ++k) {
    const std::string_view line = words[k];
    if (const std::string_view name = HeadingName(line); !name.empty()) {
      const Group* known = Find(name);
      group = known ? static_cast<size_t>(known - groups_.data()) : groups_.size();
      if (!known) groups_.push_back(Group{std::string(name), k, {}});
    } else if (!line.empty()) {
      (group == SIZE_MAX ? ungrouped_ : groups_[group].entries).push_back(static_cast<uint32_t>(k));
    }
  }
}

const WordGroups::Group* WordGroups::Find(std::string_view name) const {
  for (const Group& group : groups_)
    if (group.name == name) return &group;
  return nullptr;
}

}  // namespace wordloom
