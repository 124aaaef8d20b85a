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

// True once a sink that can stop (a failed or cancelled write) has stopped;
// sinks without stopped() never do.
template <class Sink>
auto SinkStopped(const Sink& out, int) -> decltype(static_cast<bool>(out.stopped())) {
  return out.stopped();
}
template <class Sink>
bool SinkStopped(const Sink&, long) {
  return false;
}

// Appends one title, in the form it takes in the file (ending in CR LF), to
// `out`, which needs Append(const char*, size_t). The title starts with the
// core and takes drawn entries, each after the separator, until the first
// draw that would bring it to maxLength or beyond; that draw's separator
// stays. Requires recipe.hasDrawable.
template <class Sink>
void BuildTitle(Sink& out, const TitleRecipe& recipe, PositionDraw& draw) {
  out.Append(recipe.coreText.data(), recipe.coreText.size());
  int64_t length = recipe.coreLength;
  if (recipe.Draws()) {
    const WordList& words = recipe.words;
    const char sep = recipe.separator;
    for (;;) {
      // A title heading for 2 GB must not be finished after the disk filled
      // up or the user cancelled.
      if (SinkStopped(out, 0)) break;
      if (sep) {
        out.Append(&sep, 1);
        ++length;
      }
      size_t k;
      do {
        k = draw.Next();
      } while (k == recipe.coreIndex);
      const size_t entryLength = words.Length(k);
      if (static_cast<int64_t>(entryLength) + length >= recipe.maxLength) break;
      out.Append(words.Data(k), entryLength);
      length += static_cast<int64_t>(entryLength);
    }
  }
  out.Append("\r\n", 2);
}

// One title as a string, for callers that want it whole.
std::string BuildTitle(const TitleRecipe& recipe, PositionDraw& draw);

}  // namespace wordloom
