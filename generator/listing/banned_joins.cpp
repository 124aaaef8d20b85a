#include "banned_joins.h"

#include <algorithm>

namespace wordloom {

bool BannedJoins::Joins(std::string_view entry) {
  // A term that begins in the title's last bytes and ends in the entry.
  const size_t reach = banned_.longest() - 1;
  scratch_.assign(tail_);
  scratch_.append(entry.data(), std::min(entry.size(), reach));
  size_t from = 0;
  for (size_t start : pieces_)
    if (start + reach <= tail_.size()) from = start;
  return banned_.Find(scratch_, from, tail_.size(), tail_.size()) != nullptr;
}

void BannedJoins::Add(std::string_view piece) {
  if (piece.empty()) return;  // an empty entry adds no place a term could begin
  pieces_.push_back(tail_.size());
  tail_.append(piece.data(), piece.size());
  // Only the last longest() - 1 bytes can begin a term that ends further on;
  // pieces wholly before them go.
  const size_t keep = banned_.longest();
  size_t drop = 0;
  while (drop + 1 < pieces_.size() && tail_.size() - pieces_[drop + 1] >= keep) ++drop;
  if (drop > 0 && tail_.size() > 4 * keep) {
    const size_t cut = pieces_[drop];
    tail_.erase(0, cut);
    pieces_.erase(pieces_.begin(), pieces_.begin() + static_cast<ptrdiff_t>(drop));
    for (size_t& start : pieces_) start -= cut;
  }
}

}  // namespace wordloom
