#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "banned_joins.h"
#include "banned_words.h"
#include "crt_random.h"
#include "entry_ids.h"
#include "fit_draws.h"
#include "no_repeat.h"
#include "plain_draws.h"
#include "screened_draw.h"
#include "title_recipe.h"
#include "wordloom/listing.h"

namespace wordloom {

// The draws of a title under the opt-in rules, for ComposeTitle. Each rule
// has its own part: which entries it keeps out altogether (ids_), and its
// say on a draw, which DrawScreened bounds. With every rule off they are the
// plain draws.
class RuleDraws {
 public:
  // `ids` is needed under --no-repeat; `record` keeps the positions of the
  // entries each title takes (drawn()).
  RuleDraws(const TitleRecipe& recipe, const TitleRules& rules, const BannedWords* banned, const EntryIds* ids,
            CrtRandom random, bool record);

  // A new title: its core is in, nothing drawn yet.
  void Begin() {
    drawn_.clear();
    if (rules_.noRepeat) noRepeat_.Begin();
    if (bannedJoins_) bannedJoins_->Begin();
  }
  // The next entry, `length` being the title's length with the separator
  // just put in; false when nothing may go in, which ends the title.
  bool Next(int64_t length, std::string_view& entry) {
    if (bannedJoins_ && recipe_.separator) bannedJoins_->Add(std::string_view(&recipe_.separator, 1));
    // Every text that may go in is in, or none would add a byte: the title
    // ends without a draw.
    if (!lengthens_ || (rules_.noRepeat && noRepeat_.AllIn())) return false;
    if (fill_) {
      const FitDraws::Fitting fitting = fill_->FitFor(length);
      if (fitting.count == 0) return false;
      const size_t c = DrawScreened(fitting.draw, fitting.count, random_, [&](size_t c) { return MayFit((*fill_)[c]); });
      return c != kNoCandidate && Give((*fill_)[c], entry);
    }
    // Only the core's position is passed over, as the title file always has.
    if (!rulesRedraw_) return Give(PlainDraws::PassingOverCore(draw_, recipe_.coreIndex, random_), entry);
    const size_t k = DrawScreened(draw_, recipe_.words.size(), random_, [&](size_t k) { return MayGoIn(k); });
    return k != kNoCandidate && Give(k, entry);
  }

  // Draws from here on as if the last title had ended with `random`.
  void Restart(CrtRandom random) { random_ = random; }
  CrtRandom random() const { return random_; }
  // Positions of the entries this title took, in turn, when recorded.
  const std::vector<size_t>& drawn() const { return drawn_; }

  // What ComposeTitle and the writer copy: a handle on the draws, worked on
  // where they are.
  struct Handle {
    RuleDraws* draws;
    void Begin() { draws->Begin(); }
    bool Next(int64_t length, std::string_view& entry) { return draws->Next(length, entry); }
    CrtRandom random() const { return draws->random(); }
    void Restart(CrtRandom random) { draws->Restart(random); }
  };

 private:
  static constexpr uint32_t kBlocked = std::numeric_limits<uint32_t>::max();

  // The say of each rule on the entry at position k.
  bool MayGoIn(size_t k) {
    const uint32_t id = ids_[k];
    if (id == kBlocked || (rules_.noRepeat && noRepeat_.Holds(id))) return false;
    return !bannedJoins_ || !bannedJoins_->Joins(recipe_.words[k]);
  }
  // The same for an entry --fill draws from, which no rule keeps out altogether.
  bool MayFit(const FitDraws::Fit& fit) {
    return !(rules_.noRepeat && noRepeat_.Holds(fit.id)) && !(bannedJoins_ && bannedJoins_->Joins(fill_->Text(fit)));
  }
  // Hands the entry to the title, and lets each rule note it.
  bool Give(const FitDraws::Fit& fit, std::string_view& entry) { return Give(fit.position, fit.id, fill_->Text(fit), entry); }
  bool Give(size_t k, std::string_view& entry) { return Give(k, ids_[k], recipe_.words[k], entry); }
  bool Give(size_t k, uint32_t id, std::string_view text, std::string_view& entry) {
    entry = text;
    if (rules_.noRepeat) noRepeat_.Took(id);
    if (bannedJoins_) bannedJoins_->Add(text);
    if (record_) drawn_.push_back(k);
    return true;
  }

  const TitleRecipe& recipe_;
  const TitleRules rules_;
  CrtRandom random_;
  const PositionDraw draw_;
  const bool record_;
  bool rulesRedraw_ = false;  // a rule has some entry drawn again
  bool lengthens_ = true;     // some entry that may go in lengthens a title
  std::vector<uint32_t> ids_;  // by position: its text's id, kBlocked when it may never go in
  NoRepeat noRepeat_;
  std::optional<BannedJoins> bannedJoins_;  // when an entry may make a banned word with the title's end
  std::optional<FitDraws> fill_;            // under --fill
  std::vector<size_t> drawn_;
};

}  // namespace wordloom
