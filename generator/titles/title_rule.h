#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "crt_random.h"
#include "title_recipe.h"

namespace wordloom {

// The rule of a title, written once. It begins with the core; then, for as
// long as the recipe lets it grow, the separator goes in and an entry is
// drawn (the core's own position is drawn again); the first drawn entry
// that would bring the title to the limit ends it, unwritten, while its
// separator stays.
//
// `draws` gives the drawn entries in turn (Next, told the title's length so
// far; false when nothing may go in, which ends the title), passing over
// the core's position; `out` takes the bytes (Append, Put) and may stop a
// title on its way (Stopped). Each is worked on as a local copy, so that stores into the
// output cannot make the compiler fetch them again.
template <class Draws, class Out>
inline void ComposeTitle(const TitleRecipe& recipe, Draws& drawsRef, Out& outRef) {
  Draws draws = drawsRef;
  Out out = outRef;
  const int64_t maxLength = recipe.maxLength;
  const char separator = recipe.separator;
  out.Append(recipe.coreText.data(), recipe.coreTextSize);
  if (recipe.draws) {
    int64_t length = recipe.coreLength;
    for (;;) {
      if (separator) {
        out.Put(separator);
        ++length;
      }
      std::string_view entry;
      if (!draws.Next(length, entry) || static_cast<int64_t>(entry.size()) + length >= maxLength) break;
      out.Append(entry.data(), entry.size());
      length += static_cast<int64_t>(entry.size());
      if (out.Stopped()) break;
    }
  }
  drawsRef = draws;
  outRef = out;
}

// Positions straight from the generator, one value or two past 32768
// entries; the core's is drawn again.
struct DirectDraws {
  const WordList* words;
  PositionDraw draw;
  size_t coreIndex;
  CrtRandom random;

  std::string_view Next() {
    size_t k;
    do {
      k = draw(random);
    } while (k == coreIndex);
    return (*words)[k];
  }
  bool Next(int64_t, std::string_view& entry) {
    entry = Next();
    return true;
  }
};

// A title as a string, CR LF included: the rule with the plainest draws and
// output, against which the file writer's own are checked.
std::string BuildTitle(const TitleRecipe& recipe, CrtRandom& random);

}  // namespace wordloom
