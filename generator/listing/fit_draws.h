#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "crt_random.h"
#include "title_recipe.h"
#include "title_rule.h"

namespace wordloom {

// --fill: each entry drawn among those that fit, so that a title ends only
// when none that may go in does. The entries that may be drawn at all,
// shortest first; those that fit a title are the first so many of them.
class FitDraws {
 public:
  // An entry that may be drawn, with where its bytes are.
  struct Fit {
    uint32_t position, id, begin, size;
  };
  // The entries that fit a title: how many, and the draw among them.
  struct Fitting {
    size_t count;
    PositionDraw draw;
  };

  // `ids` by position: the entry's text id, or kBlocked when it is never drawn.
  FitDraws(const TitleRecipe& recipe, const std::vector<uint32_t>& ids, uint32_t blocked);

  // Those that fit a title of `length` so far.
  Fitting FitFor(int64_t length) const {
    // Most draws of a title: every entry fits, and the draw does not wait
    // on the title's length.
    if (everyFitsOnce_ && Fits(longest_, length, maxLength_)) return {all_.size(), drawAll_};
    const int64_t room = maxLength_ - length;
    if (room >= 0 && room < rooms_) return byRoom_[static_cast<size_t>(room)];
    const size_t count = Count(length);
    return {count, PositionDraw(count)};
  }
  const Fit& operator[](size_t c) const { return all_[c]; }
  size_t size() const { return all_.size(); }
  std::string_view Text(const Fit& fit) const {
    // Where the text is past 4 GB, the places do not fit 32 bits.
    return placesIn32Bits_ ? std::string_view(text_ + fit.begin, fit.size) : words_[fit.position];
  }

 private:
  size_t Count(int64_t length) const;

  const WordList& words_;
  const char* const text_;
  const int64_t maxLength_;
  std::vector<Fit> all_;        // shortest first
  std::vector<Fitting> byRoom_;  // by room left, for the rooms a title meets
  int64_t rooms_ = 0;            // byRoom_.size(), which a draw asks for
  bool placesIn32Bits_ = false;  // the library's text is under 4 GB: the Fits' places are right
  bool everyFitsOnce_ = false;  // the shortcut when every entry fits: it needs the places
  int64_t longest_ = 0;
  PositionDraw drawAll_{1};
};

}  // namespace wordloom
