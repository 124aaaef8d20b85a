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

  // An entry that may be drawn under --fill, with where its bytes are.
  struct Fit {
    uint32_t position, id, begin, size;
  };

  // What a title's draws work on: everything Next reads, in one place.
  struct Hand {
    RuleDraws* owner;
    CrtRandom random;
    size_t used;      // under --no-repeat: texts in this title
    uint32_t title;   // the stamp of this title
    const uint32_t* ids;  // by position: its text's id, kBlocked when it may never go in
    uint32_t* stamps;     // by id: the title that holds it
    const Fit* bySize;
    const uint32_t* fitCounts;
    const PositionDraw* fitDraws;
    int64_t tabledRooms;
    int64_t allFit;       // under --fill: rooms above this take every entry in bySize
    PositionDraw fitAll;  // the draw among all of them
    const char* text;     // where bySize's places count from
    bool places;          // bySize's places are right (the library's text is below 4 GB)
    const WordList* words;
    size_t coreIndex;
    int64_t maxLength;
    size_t distinct;
    PositionDraw draw;
    bool noRepeat, fill, screens, joins, record;
    bool grows;  // some entry may go in at all

    bool Next(int64_t length, std::string_view& entry) {
      if (joins && owner->recipe_.separator) owner->AddToTail(std::string_view(&owner->recipe_.separator, 1));
      // Every text that may go in is in, or none would add a byte: the title
      // ends without a draw.
      if ((noRepeat && used == distinct) || !grows) return false;
      if (fill) {
        const int64_t room = maxLength - length;
        if (room > allFit) {
          // Most draws of a title: every entry fits, and the draw does not
          // wait on the title's length.
          for (int i = 0; i < kTries; ++i) {
            const Fit fit = bySize[fitAll(random)];
            if (!(noRepeat && stamps[fit.id] == title) && !(joins && owner->Joins({text + fit.begin, fit.size})))
              return Take(fit, entry);
          }
          return LastDraw(owner->bySize_.size(), entry);
        }
        const bool tabled = room >= 0 && room < tabledRooms;
        const size_t fits = tabled ? fitCounts[room] : owner->FitCount(room);
        if (fits == 0) return false;
        const PositionDraw fitting = tabled ? fitDraws[room] : PositionDraw(fits);
        for (int i = 0; i < kTries; ++i) {
          // Only entries that may go in at all are in bySize: what is left to
          // ask is whether the title holds one already, or would make a banned word.
          const Fit fit = bySize[fitting(random)];
          if (!(noRepeat && stamps[fit.id] == title) && !(joins && owner->Joins((*words)[fit.position])))
            return places ? Take(fit, entry) : Take(fit.position, entry);
        }
        return LastDraw(fits, entry);
      }
      if (!screens) {
        // Only the core's position is passed over, as the title file always has.
        size_t k;
        do {
          k = draw(random);
        } while (k == coreIndex);
        return Take(k, entry);
      }
      for (int i = 0; i < kTries; ++i) {
        const size_t k = draw(random);
        if (MayGoIn(k)) return Take(k, entry);
      }
      return LastDraw(0, entry);
    }
    // The slow way out, kept out of Next's way.
    bool LastDraw(size_t fits, std::string_view& entry) {
      bool drawn;
      *this = owner->DrawAmongTheRest(*this, fits, entry, drawn);
      return drawn;
    }
    bool MayGoIn(size_t k) const {
      const uint32_t id = ids[k];
      if (id == kBlocked || (noRepeat && stamps[id] == title)) return false;
      return !joins || !owner->Joins((*words)[k]);
    }
    bool Take(Fit fit, std::string_view& entry) {
      entry = std::string_view(text + fit.begin, fit.size);
      if (noRepeat) {
        stamps[fit.id] = title;
        ++used;
      }
      if (joins) owner->AddToTail(entry);
      if (record) owner->drawn_.push_back(fit.position);
      return true;
    }
    bool Take(size_t k, std::string_view& entry) {
      entry = (*words)[k];
      if (noRepeat) {
        stamps[ids[k]] = title;
        ++used;
      }
      if (joins) owner->AddToTail(entry);
      if (record) owner->drawn_.push_back(k);
      return true;
    }
  };

  // A new title: its core is in, nothing drawn yet. The hand to draw it with.
  Hand& Begin() {
    drawn_.clear();
    hand_.used = 0;
    if (rules_.noRepeat && ++hand_.title == 0) RestartStamps();
    if (hand_.joins) StartTail();
    return hand_;
  }
  // Draws from here on as if the last title had ended with `random`.
  void Restart(CrtRandom random) { hand_.random = random; }
  // Positions returned for this title, in turn, when recorded.
  const std::vector<size_t>& drawn() const { return drawn_; }
  CrtRandom random() const { return hand_.random; }

 private:
  static constexpr uint32_t kBlocked = std::numeric_limits<uint32_t>::max();

  // Past kTries: counts what may go in (the `fits` shortest under --fill,
  // else every entry) and draws one of them; `drawn` false when none may.
  Hand DrawAmongTheRest(Hand hand, size_t fits, std::string_view& entry, bool& drawn);
  size_t FitCount(int64_t room) const;
  bool Joins(std::string_view entry);
  void StartTail();
  void AddToTail(std::string_view piece);
  void RestartStamps();

  const TitleRecipe& recipe_;
  TitleRules rules_;
  const BannedWords* banned_;
  std::vector<uint32_t> ids_;     // by position: its text's id, kBlocked when it may never go in
  std::vector<uint32_t> stamps_;  // by id: the title that holds it
  std::vector<Fit> bySize_;       // under --fill: the entries that may be drawn, shortest first
  std::vector<uint32_t> sizes_;   // their sizes
  std::vector<uint32_t> fitCounts_;     // by room left, for the rooms a title meets
  std::vector<PositionDraw> fitDraws_;  // the draw among those that fit it
  Hand hand_;
  std::string tail_;            // the title's last pieces, where a join is looked for
  std::vector<size_t> pieces_;  // where each piece in tail_ begins
  std::string scratch_;
  std::vector<size_t> drawn_;
};

}  // namespace wordloom
