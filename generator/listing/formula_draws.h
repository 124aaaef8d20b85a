#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "banned_joins.h"
#include "banned_words.h"
#include "crt_random.h"
#include "entry_ids.h"
#include "fit_draws.h"
#include "no_repeat.h"
#include "title_recipe.h"
#include "word_groups.h"
#include "wordloom/formula.h"

namespace wordloom {

// The draws of a title under a formula, for ComposeTitle: slot after slot,
// the core where the formula puts it. Each entry is drawn among its group's
// that still fit while leaving room for what the later slots must take (the
// shortest entries they could, the same each title), so that every slot's
// least count is always met. No entry text comes twice in a title, none
// equals the core word; under --avoid-banned no entry holds a banned word,
// nor makes one where two pieces meet.
class FormulaDraws {
 public:
  // `slots` name only groups that `groups` holds.
  FormulaDraws(const TitleRecipe& recipe, const WordGroups& groups, const std::vector<FormulaSlot>& slots,
               const EntryIds& ids, const BannedWords* avoid, CrtRandom random, bool record);
  FormulaDraws(const FormulaDraws&) = delete;  // the slots point into its pools
  FormulaDraws& operator=(const FormulaDraws&) = delete;

  // The first slot whose least count the limit cannot hold even with each
  // group's shortest entries, or slots.size() when the limit holds them
  // all; `shortest` is then the shortest title's length.
  size_t Overflow(int64_t* shortest = nullptr);
  // Entries each slot may take at all: its group's different texts.
  size_t Drawable(size_t slot) const { return slots_[slot].core ? 1 : pools_[slots_[slot].pool].size(); }

  // Counts what the later slots need at every draw, as for groups that are
  // not apart: the way the faster one is held to (tests).
  void CountEveryDraw() { apart_ = false; }

  void Begin();
  // The next piece of the title, `length` being its length so far with
  // the separator just put in; false when the formula is done.
  bool Next(int64_t length, std::string_view& entry);

  CrtRandom random() const { return random_; }
  void Restart(CrtRandom random) { random_ = random; }
  // Positions of the entries this title took, in turn, when recorded.
  const std::vector<size_t>& drawn() const { return drawn_; }
  // Whether the title missed a least count: only a banned word that two
  // pieces would make can bring that, and the title is made again.
  bool missed() const { return missed_; }
  bool mayMiss() const { return bannedJoins_.has_value(); }

  struct Handle {
    FormulaDraws* draws;
    void Begin() { draws->Begin(); }
    bool Next(int64_t length, std::string_view& entry) { return draws->Next(length, entry); }
    CrtRandom random() const { return draws->random(); }
    void Restart(CrtRandom random) { draws->Restart(random); }
  };

 private:
  static constexpr int64_t kNoRoom = INT64_MAX / 4;
  struct Slot {
    bool core;
    size_t pool;
    int32_t least, most;
    PositionDraw range;  // a range's number above its least
    const FitDraws* fits = nullptr;  // pools_[pool], once pools_ is made
  };

  // The bytes the least counts from slot `from` on take after the next
  // piece, `taken` of slot `from`'s own being in by then: separators and
  // the shortest entries the title does not hold, but `without`, noted in
  // `reserved` when given; kNoRoom when a group has too few.
  int64_t Need(size_t from, int32_t taken, uint32_t without, std::vector<uint32_t>* reserved);
  bool Draw(const Slot& slot, int64_t length, std::string_view& entry);
  void Give(size_t position, uint32_t id, std::string_view text, std::string_view& entry) {
    entry = text;
    first_ = false;
    if (id != UINT32_MAX) used_.Took(id), ++pieces_;
    if (bannedJoins_) bannedJoins_->Add(text);
    if (record_ && position != SIZE_MAX) drawn_.push_back(position);
  }

  const TitleRecipe& recipe_;
  const int64_t step_;  // a separator's bytes
  const std::string_view core_;
  std::vector<Slot> slots_;
  size_t slotCount_ = 0;  // slots_.size(), which a draw asks for
  std::vector<FitDraws> pools_;  // a group's texts that may be drawn, shortest first
  CrtRandom random_;
  const bool record_;
  NoRepeat used_;
  std::vector<uint32_t> marks_;  // by id: reserved by the last Need
  uint32_t mark_ = 0;
  std::vector<uint32_t> reserved_;  // the ids the last Need counted on
  bool apart_ = false;              // each group in one slot, and no text in two groups
  std::vector<int64_t> later_;      // when apart: what the slots after each one need
  std::optional<BannedJoins> bannedJoins_;
  size_t slot_ = 0;
  int32_t taken_ = 0, target_ = 0;
  int32_t pieces_ = 0;  // entries in the title
  bool first_ = true;  // nothing in the title yet
  bool missed_ = false;
  std::vector<size_t> drawn_;
};

}  // namespace wordloom
