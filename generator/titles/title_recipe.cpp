#include "title_recipe.h"

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
  // CR LF in the file but still counts one byte towards the limit. This is
  // the only place a CR is added.
  coreText.reserve(coreWord.size() + Bytes::kSlack);
  for (char c : coreWord) {
    if (c == '\n') coreText += '\r';
    coreText += c;
  }
  coreTextSize = coreText.size();
  coreText.append(Bytes::kSlack, '\0');  // fixed-size copies may read past it
  // A core that alone reaches the limit still takes its one failing draw.
  takesDraws = DrawsLengthen(w, sep, [&](size_t k) { return k != coreIndex; }) || coreLength >= maxLength;
  hasDrawable = w.size() > (coreIndex < w.size() ? 1u : 0u);
}

}  // namespace wordloom
