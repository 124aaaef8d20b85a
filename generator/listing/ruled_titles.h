#pragma once
#include <cstdint>

#include "banned_words.h"
#include "chunked_output.h"
#include "crt_random.h"
#include "title_recipe.h"
#include "title_writer.h"
#include "wordloom/listing.h"

namespace wordloom {

// What a run asks of its titles beyond the rule: the opt-in rules, and a
// report on them.
struct RuledRun {
  TitleRules rules;
  const BannedWords* banned = nullptr;  // for --avoid-banned and the report
  BatchReport* report = nullptr;        // gathered when given
  int64_t made = 0;                     // different titles made when --unique gave up

  bool any() const { return rules.any() || report != nullptr; }
};

// The title file under the rules: every title drawn through them, and
// looked at as it is written (--unique, the report). kGaveUp when --unique
// could not make another different title.
WriteEnd WriteRuledTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkedOutput& out, RuledRun& run);

}  // namespace wordloom
