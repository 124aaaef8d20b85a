#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "position_draw.h"
#include "word_list.h"

namespace wordloom {

// The separator list's positions: 0 comma, 1 space, anything else (also -1,
// nothing selected) no separator. Returns the byte, or '\0' for none.
char SeparatorFromIndex(int separatorIndex);

// What stays the same for every title of a run.
struct TitleRecipe {
  TitleRecipe(const WordList& words, std::string_view coreWord, int32_t maxLength, char separator);

  const WordList& words;
  size_t coreIndex;           // the core's position, or words.size() when absent
  std::string coreText;       // what every title begins with, as written (LF as CR LF)
  int64_t coreLength;         // its length as the user typed it
  int32_t maxLength;
  char separator;             // '\0' for none
  bool canGrow;               // false: no separator and nothing drawable has any bytes
  bool hasDrawable;           // at least one position other than the core's

  // Whether a title draws at all: a core that alone reaches the limit still
  // takes its one failing draw.
  bool Draws() const { return canGrow || coreLength >= maxLength; }
};

// One title in the form it takes in the file (ending in CR LF): the core,
// then drawn entries, each after the separator, until the first draw that
// would bring it to maxLength or beyond; that draw's separator stays.
// Requires recipe.hasDrawable. The title file writes the same titles through
// its own buffered loops; this is the plain form of the rule.
std::string BuildTitle(const TitleRecipe& recipe, PositionDraw& draw);

}  // namespace wordloom
