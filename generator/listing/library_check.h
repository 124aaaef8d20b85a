#pragma once
#include "banned_words.h"
#include "entry_ids.h"
#include "word_list.h"
#include "wordloom/listing.h"

namespace wordloom {

// Looks over every entry of a library as a run would draw it, into
// `report`'s counts and findings. The report's core, length and separator
// say what a title is made with; a finding that needs one not given is left
// unchecked. `coreIndex` is the core's position (words.size() if absent).
void CheckEntries(const WordList& words, const EntryIds& ids, size_t coreIndex, const BannedWords& banned,
                  LibraryReport& report);

}  // namespace wordloom
