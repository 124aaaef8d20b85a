#include "fit_draws.h"

#include <algorithm>

namespace wordloom {
namespace {

// Rooms up to this many bytes get their fitting count and draw ready.
constexpr int64_t kTabledRooms = 65536;

}  // namespace

FitDraws::FitDraws(const TitleRecipe& recipe, const std::vector<uint32_t>& ids, uint32_t blocked)
    : words_(recipe.words), text_(recipe.words.text()), maxLength_(recipe.maxLength) {
  const WordList& words = recipe.words;
  for (size_t k = 0; k < words.size(); ++k)
    if (ids[k] != blocked)
      all_.push_back({static_cast<uint32_t>(k), ids[k], static_cast<uint32_t>(words[k].data() - words.text()),
                      static_cast<uint32_t>(std::min<size_t>(words[k].size(), std::numeric_limits<uint32_t>::max()))});
  std::stable_sort(all_.begin(), all_.end(), [](Fit a, Fit b) { return a.size < b.size; });
  // Where every entry fits, one draw serves all rooms; it needs the
  // entries' places in 32 bits.
  placesIn32Bits_ = words.ends32();
  if (!all_.empty() && placesIn32Bits_) {
    everyFitsOnce_ = true;
    longest_ = all_.back().size;
    drawAll_ = PositionDraw(all_.size());
  }
  const int64_t rooms = std::min<int64_t>(maxLength_, kTabledRooms) + 1;
  for (int64_t room = 0; room < rooms; ++room) {
    const size_t count = Count(maxLength_ - room);
    byRoom_.push_back({count, PositionDraw(std::max<size_t>(count, 1))});
  }
  rooms_ = rooms;
}

size_t FitDraws::Count(int64_t length) const {
  const auto first = std::partition_point(all_.begin(), all_.end(),
                                          [&](const Fit& fit) { return Fits(fit.size, length, maxLength_); });
  return static_cast<size_t>(first - all_.begin());
}

}  // namespace wordloom
