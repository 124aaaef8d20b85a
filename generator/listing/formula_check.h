#pragma once
#include <vector>

#include "entry_ids.h"
#include "title_recipe.h"
#include "word_groups.h"
#include "wordloom/formula.h"
#include "wordloom/listing.h"

namespace wordloom {

// The groups of a grouped library, counted.
std::vector<GroupSummary> SummarizeGroups(const WordList& words, const EntryIds& ids, const WordGroups& groups);

// Holds a grouped library against a formula, into `report` (its `shared`
// list is CheckEntries'): the groups found, the slots their groups cannot
// serve, the lines before the first heading, and, with `recipe` (the core
// word and the length known), whether the limit holds the shortest title.
void CheckFormula(const WordList& words, const EntryIds& ids, const WordGroups& groups,
                  const std::vector<FormulaSlot>& slots, const TitleRecipe* recipe, FormulaReport& report);

}  // namespace wordloom
