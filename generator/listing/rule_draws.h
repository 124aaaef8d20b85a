#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
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

  // `ids` is needed under --no-repeat; `record` keeps the positions drawn
  // for each title (drawn()).
  RuleDraws(const TitleRecipe& recipe, const TitleRules& rules, const BannedWords* banned, const EntryIds* ids,
            CrtRandom random, bool record);

  // A new title: its core is in, nothing drawn yet.
  void Begin() {
    drawn_.clear();
    used_ = 0;
    if (rules_.noRepeat && ++title_ == 0) RestartStamps();
    if (joins_) StartTail();
  }
  // The next entry, `length` being the title's length with the separator
  // just put in; false when nothing may go in, which ends the title.
  bool Next(int64_t length, std::string_view& entry) {
    if (joins_ && recipe_.separator) AddToTail(std::string_view(&recipe_.separator, 1));
    // Every text that may go in is in, or none would add a byte: the title
    // ends without a draw.
    if ((rules_.noRepeat && used_ == distinct_) || !grows_) return false;
    if (rules_.fill) {
      const int64_t room = recipe_.maxLength - length;
      if (room > allFit_) {
        // Most draws of a title: every entry fits, and the draw does not
        // wait on the title's length.
        for (int i = 0; i < kTries; ++i) {
          const Fit fit = bySize_[fitAll_(random_)];
          if (MayFit(fit)) return Take(fit, entry);
        }
        return DrawAmongTheRest(bySize_.size(), entry);
      }
      const bool tabled = room >= 0 && room < static_cast<int64_t>(fitCounts_.size());
      const size_t fits = tabled ? fitCounts_[static_cast<size_t>(room)] : FitCount(room);
      if (fits == 0) return false;
      const PositionDraw fitting = tabled ? fitDraws_[static_cast<size_t>(room)] : PositionDraw(fits);
      for (int i = 0; i < kTries; ++i) {
        const Fit fit = bySize_[fitting(random_)];
        if (MayFit(fit)) return Take(fit, entry);
      }
      return DrawAmongTheRest(fits, entry);
    }
    if (!screens_) {
      // Only the core's position is passed over, as the title file always has.
      size_t k;
      do {
        k = draw_(random_);
      } while (k == recipe_.coreIndex);
      return Take(k, entry);
    }
    for (int i = 0; i < kTries; ++i) {
      const size_t k = draw_(random_);
      if (MayGoIn(k)) return Take(k, entry);
    }
    return DrawAmongTheRest(0, entry);
  }

  // Draws from here on as if the last title had ended with `random`.
  void Restart(CrtRandom random) { random_ = random; }
  // Positions returned for this title, in turn, when recorded.
  const std::vector<size_t>& drawn() const { return drawn_; }
  CrtRandom random() const { return random_; }

  // What ComposeTitle copies: a handle on the draws, worked on where they are.
  struct Ref {
    RuleDraws* draws;
    bool Next(int64_t length, std::string_view& entry) { return draws->Next(length, entry); }
  };

 private:
  static constexpr uint32_t kBlocked = std::numeric_limits<uint32_t>::max();

  // An entry that may be drawn under --fill, with where its bytes are.
  struct Fit {
    uint32_t position, id, begin, size;
  };

  bool MayGoIn(size_t k) {
    const uint32_t id = ids_[k];
    if (id == kBlocked || (rules_.noRepeat && stamps_[id] == title_)) return false;
    return !joins_ || !Joins(recipe_.words[k]);
  }
  // Only entries that may go in at all are in bySize_: what is left to ask is
  // whether the title holds one already, or would make a banned word.
  bool MayFit(Fit fit) {
    return !(rules_.noRepeat && stamps_[fit.id] == title_) && !(joins_ && Joins(recipe_.words[fit.position]));
  }
  bool Take(Fit fit, std::string_view& entry) {
    // Where the text is past 4 GB, the places do not fit 32 bits.
    entry = places_ ? std::string_view(text_ + fit.begin, fit.size) : recipe_.words[fit.position];
    return Took(fit.position, fit.id, entry);
  }
  bool Take(size_t k, std::string_view& entry) {
    entry = recipe_.words[k];
    return Took(k, ids_[k], entry);
  }
  bool Took(size_t k, uint32_t id, std::string_view entry) {
    if (rules_.noRepeat) {
      stamps_[id] = title_;
      ++used_;
    }
    if (joins_) AddToTail(entry);
    if (record_) drawn_.push_back(k);
    return true;
  }
  // Past kTries: counts what may go in (the `fits` shortest under --fill,
  // else every entry) and draws one of them; false when none may.
  bool DrawAmongTheRest(size_t fits, std::string_view& entry);
  size_t FitCount(int64_t room) const;
  bool Joins(std::string_view entry);
  void StartTail();
  void AddToTail(std::string_view piece);
  void RestartStamps();

  const TitleRecipe& recipe_;
  const char* const text_;  // the library's, where bySize_'s places count from
  TitleRules rules_;
  const BannedWords* banned_;
  CrtRandom random_;
  PositionDraw draw_;
  bool record_;
  bool screens_ = false;  // some entry is drawn again for a rule
  bool joins_ = false;    // an entry may make a banned word with the title's end
  bool grows_ = true;     // some entry may go in at all
  std::vector<uint32_t> ids_;     // by position: its text's id, kBlocked when it may never go in
  std::vector<uint32_t> stamps_;  // by id: the title that holds it
  uint32_t title_ = 0;
  size_t distinct_ = 0;  // under --no-repeat: texts that may go in at all
  size_t used_ = 0;      // of them, in this title
  std::vector<Fit> bySize_;       // under --fill: the entries that may be drawn, shortest first
  std::vector<uint32_t> fitCounts_;     // by room left, for the rooms a title meets
  std::vector<PositionDraw> fitDraws_;  // the draw among those that fit it
  int64_t allFit_ = std::numeric_limits<int64_t>::max();  // rooms above this take every entry in bySize_
  PositionDraw fitAll_{1};                                // the draw among all of them
  bool places_ = false;  // bySize_'s places are right
  std::string tail_;            // the title's last pieces, where a join is looked for
  std::vector<size_t> pieces_;  // where each piece in tail_ begins
  std::string scratch_;
  std::vector<size_t> drawn_;
};

}  // namespace wordloom
