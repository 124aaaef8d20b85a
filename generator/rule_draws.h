#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "banned_words.h"
#include "crt_random.h"
#include "entry_ids.h"
#include "title_recipe.h"
#include "wordloom/listing.h"

namespace wordloom {

// The draws of a title under the opt-in rules, for ComposeTitle. With every
// rule off they are the plain draws: a position, drawn again while it is
// the core's.
//
// An entry that may not go in (the core's text under --no-repeat, one
// already in the title, one holding a banned word or making one with the
// title's end) is drawn again, up to kTries times; after that the entries
// that may go in are counted and one of them drawn, so a draw always ends.
// Under --fill only the entries that fit are drawn from.
class RuleDraws {
 public:
  static constexpr int kTries = 64;

  RuleDraws(const TitleRecipe& recipe, const TitleRules& rules, const BannedWords* banned, const EntryIds* ids,
            CrtRandom random);

  // A new title: its core is in, nothing drawn yet.
  void Begin();
  // The next entry, `length` being the title's length with the separator
  // just put in; false when nothing may go in, which ends the title.
  bool Next(int64_t length, std::string_view& entry);
  // Positions returned for this title, in turn.
  const std::vector<size_t>& drawn() const { return drawn_; }
  CrtRandom random() const { return random_; }

  // What ComposeTitle copies: a handle on the draws.
  struct Ref {
    RuleDraws* draws;
    bool Next(int64_t length, std::string_view& entry) { return draws->Next(length, entry); }
  };

 private:
  bool MayGoIn(size_t k);
  bool Take(size_t k, std::string_view& entry);
  size_t FitCount(int64_t room) const;
  void AddToTail(std::string_view piece);

  const WordList& words_;
  const TitleRecipe& recipe_;
  TitleRules rules_;
  const BannedWords* banned_;
  const EntryIds* ids_;
  CrtRandom random_;
  PositionDraw draw_;
  std::vector<uint8_t> allowed_;  // may ever be drawn
  std::vector<uint32_t> stamp_;   // by entry id: the title that holds it
  uint32_t title_ = 0;
  size_t distinct_ = 0;  // under --no-repeat: texts that may go in at all
  size_t used_ = 0;      // of them, in this title
  std::vector<uint32_t> bySize_;  // under --fill: positions that may be drawn, shortest first
  std::vector<uint32_t> sizes_;   // their sizes
  bool joins_ = false;   // an entry may make a banned word with the title's end
  std::string tail_;     // the title's last pieces, where a join is looked for
  std::vector<size_t> pieces_;  // where each piece in tail_ begins
  std::string scratch_;
  std::vector<size_t> drawn_;
};

}  // namespace wordloom
