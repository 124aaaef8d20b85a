#include "title_builder.h"

namespace wordloom {

char SeparatorFromIndex(int separatorIndex) {
  switch (separatorIndex) {
    case 0: return ',';
    case 1: return ' ';
    default: return '\0';
  }
}

TitleRecipe::TitleRecipe(const WordList& w, std::string_view coreWord, int32_t max, char sep)
    : words(w),
      coreIndex(w.Find(coreWord)),
      coreLength(static_cast<int64_t>(coreWord.size())),
      maxLength(max),
      separator(sep) {
  // Titles are written in text mode: an LF typed into the core word becomes
  // CR LF in the file but still counts one byte towards the limit.
  coreText.reserve(coreWord.size());
  for (char c : coreWord) {
    if (c == '\n') coreText += '\r';
    coreText += c;
  }
  bool anyBytes = false;
  for (size_t i = 0; i < w.size() && !anyBytes; ++i) anyBytes = i != coreIndex && w.Length(i) > 0;
  // Without this, a title whose draws add nothing would never end.
  canGrow = sep != '\0' || anyBytes;
  hasDrawable = w.size() > (coreIndex < w.size() ? 1u : 0u);
}

std::string BuildTitle(const TitleRecipe& recipe, PositionDraw& draw) {
  std::string title = recipe.coreText;
  int64_t length = recipe.coreLength;
  if (recipe.Draws()) {
    for (;;) {
      if (recipe.separator) {
        title += recipe.separator;
        ++length;
      }
      size_t k;
      do {
        k = draw.Next();
      } while (k == recipe.coreIndex);
      const size_t entryLength = recipe.words.Length(k);
      if (static_cast<int64_t>(entryLength) + length >= recipe.maxLength) break;
      title.append(recipe.words.Data(k), entryLength);
      length += static_cast<int64_t>(entryLength);
    }
  }
  return title + "\r\n";
}

}  // namespace wordloom
