#pragma once
#include "banned_words.h"
#include "entry_ids.h"
#include "word_groups.h"
#include "word_list.h"
#include "wordloom/listing.h"

namespace wordloom {

// Counts a finding at `position` (0-based), keeping the first few as examples.
void NoteFinding(FindingList& list, size_t position, std::string_view entry, std::string_view detail = {},
                 size_t number = 0);

// Looks over every entry of a library as a run would draw it, into
// `report`'s counts and findings. The report's core, length and separator
// say what a title is made with; a finding that needs one not given is left
// unchecked. `coreIndex` is the core's position (words.size() if absent).
// With `groups` (a formula given), headings are no entries, blank lines
// only space the groups out, and an entry that stands in two groups is
// `shared` (number: the line it stands on first, detail: that group),
// no duplicate.
void CheckEntries(const WordList& words, const EntryIds& ids, size_t coreIndex, const BannedWords& banned,
                  LibraryReport& report, const WordGroups* groups = nullptr, FindingList* shared = nullptr);

}  // namespace wordloom
