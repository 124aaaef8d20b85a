#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "word_list.h"

namespace wordloom {

// The separator list's positions: 0 comma, 1 space, anything else (also -1,
// nothing selected) no separator. Returns the byte, or '\0' for none.
char SeparatorFromIndex(int separatorIndex);

// The guard against a title that never ends, the one place it stands: a
// draw lengthens a title when there is a separator, or else when the entry
// drawn is not empty. True when some entry that `mayDraw(position)` lets
// through would lengthen it.
template <class MayDraw>
bool DrawsLengthen(const WordList& words, char separator, MayDraw mayDraw) {
  if (separator != '\0') return true;
  for (size_t k = 0; k < words.size(); ++k)
    if (!words[k].empty() && mayDraw(k)) return true;
  return false;
}

// What stays the same for every title of a run.
struct TitleRecipe {
  TitleRecipe(const WordList& words, std::string_view coreWord, int32_t maxLength, char separator);

  const WordList& words;
  size_t coreIndex;      // the core's position, or words.size() when absent
  std::string coreText;  // what every title begins with, as written (LF as CR LF), then Bytes::kSlack zeros
  size_t coreTextSize;
  int64_t coreLength;    // its length as the user typed it, as the limit counts it
  int64_t maxLength;
  char separator;        // '\0' for none
  bool takesDraws;       // a title draws at all
  bool hasDrawable;      // at least one position other than the core's
  bool coreLeads = true;  // false under a formula that puts something before the core

  // Titles made by a formula's draws, the core where `coreFirst` says.
  void FollowFormula(bool coreFirst) {
    coreLeads = coreFirst;
    takesDraws = true;  // the formula's draws end every title
  }
};

}  // namespace wordloom
