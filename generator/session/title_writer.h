#pragma once
#include <cstdint>

#include "banned_words.h"
#include "crt_random.h"
#include "replace_file.h"
#include "title_recipe.h"
#include "wordloom/listing.h"
#include "wordloom/session.h"

namespace wordloom {

enum class WriteEnd { kWritten, kCancelled, kFailed, kExhausted };

// What a run asks of its titles beyond the rule: the opt-in rules, and a
// report on them.
struct TitleChecks {
  TitleRules rules;
  const BannedWords* banned = nullptr;  // for --avoid-banned and the report
  BatchReport* report = nullptr;        // gathered when given
  int64_t made = 0;                     // different titles made when --unique gave up

  // How often a title is made again before --unique gives up.
  static constexpr int kTitleTries = 1000;
};

// Writes the title file's bytes: the header, then titles 0 .. count-1 (none
// for a negative count), each "标题<i>:" and a title, every line ending in
// CR LF, through a ChunkWriter's buffer. Before each buffer goes out
// the front end is asked whether to keep writing. `random` moves on by every
// value drawn; `failure` tells why a write failed. With `checks` asking for
// a rule or a report, titles are made one at a time through the rules;
// kExhausted when --unique could not make another different title.
WriteEnd WriteTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ReplaceFile& file,
                     FrontEnd& frontEnd, Status& failure, TitleChecks* checks = nullptr);

}  // namespace wordloom
