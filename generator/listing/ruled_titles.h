#pragma once
#include <cstdint>

#include "banned_words.h"
#include "chunked_output.h"
#include "crt_random.h"
#include "entry_ids.h"
#include "formula_draws.h"
#include "title_recipe.h"
#include "title_writer.h"
#include "wordloom/listing.h"

namespace wordloom {

// What a run asks of its titles beyond the rule: the opt-in rules, a
// formula, and a report on them.
struct RuledRun {
  TitleRules rules;
  const BannedWords* banned = nullptr;  // for --avoid-banned and the report
  BatchReport* report = nullptr;        // gathered when given
  FormulaDraws* formula = nullptr;      // the formula's draws, when the run follows one
  const EntryIds* ids = nullptr;        // the library's, when already made

  // Why the run gave up, and the different titles it had made by then.
  enum GaveUp { kNot, kUniqueTitles, kFormulaSlot } gaveUp = kNot;
  int64_t made = 0;

  bool any() const { return rules.any() || report != nullptr || formula != nullptr; }
};

// The title file under the rules or a formula: every title drawn through
// them, and looked at as it is written (--unique, the report). kGaveUp
// when --unique could not make another different title, or a formula's
// least count could not be met without a banned word, UniqueTitles::kTries
// times in a row.
WriteEnd WriteRuledTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkedOutput& out, RuledRun& run,
                          const OutputFormat& format = {}, std::vector<CollectedTitle>* collect = nullptr);

}  // namespace wordloom
