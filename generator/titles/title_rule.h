#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "crt_random.h"
#include "title_recipe.h"

namespace wordloom {

// The rule's stop test, the one place it stands: an entry goes into a title
// while entry + length stays below the limit, `length` being the title's
// length so far as the limit counts it, the separator just put in included.
inline bool Fits(int64_t entrySize, int64_t length, int64_t maxLength) { return entrySize + length < maxLength; }

// The most a title can come to as the limit counts it: entries go in only
// below the limit, and a trailing separator may follow; a core that alone
// reaches the limit stands with its separator.
inline int64_t LongestTitle(const TitleRecipe& recipe) {
  return std::max(recipe.maxLength - 1, recipe.coreLength) + (recipe.separator ? 1 : 0);
}

// What one title came to: its length as the limit counts it (the trailing
// separator included, an LF of the core one byte), and the entries drawn
// into it after the core.
struct ComposedTitle {
  int64_t length = 0;
  size_t entries = 0;
};

// The rule of a title, written once. It begins with the core (or under a
// formula with what the formula puts first); then, for as
// long as the recipe lets it grow, the separator goes in and an entry is
// drawn; the first drawn entry that does not fit ends the title, unwritten,
// while its separator stays.
//
// `draws` gives the entries in turn (Next, told the title's length so far;
// false when nothing may go in, which ends the title); `out` takes the bytes
// (Append, Put) and may stop a title on its way (Stopped). Both are worked
// on as local copies, so that stores into the output cannot make the
// compiler fetch them again: a draw source too large to copy passes a
// handle on itself.
template <class Draws, class Out>
inline ComposedTitle ComposeTitle(const TitleRecipe& recipe, Draws& drawsRef, Out& outRef) {
  Draws draws = drawsRef;
  Out out = outRef;
  const int64_t maxLength = recipe.maxLength;
  const char separator = recipe.separator;
  ComposedTitle title{recipe.coreLength, 0};
  if (recipe.coreLeads) {
    out.Append(recipe.coreText.data(), recipe.coreTextSize);
  } else {
    // A formula that begins elsewhere: its first piece, with no separator
    // before it, always comes.
    std::string_view first;
    draws.Next(0, first);
    out.Append(first.data(), first.size());
    title = {static_cast<int64_t>(first.size()), 1};
  }
  if (recipe.takesDraws) {
    for (;;) {
      if (separator) {
        out.Put(separator);
        ++title.length;
      }
      std::string_view entry;
      if (!draws.Next(title.length, entry) || !Fits(static_cast<int64_t>(entry.size()), title.length, maxLength)) break;
      out.Append(entry.data(), entry.size());
      title.length += static_cast<int64_t>(entry.size());
      ++title.entries;
      if (out.Stopped()) break;
    }
  }
  drawsRef = draws;
  outRef = out;
  return title;
}

// A title as a string, CR LF included: the rule with the plainest draws and
// output, against which the file writer's own are checked.
std::string BuildTitle(const TitleRecipe& recipe, CrtRandom& random);

}  // namespace wordloom
