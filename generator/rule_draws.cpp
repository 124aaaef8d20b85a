#include "rule_draws.h"

#include <algorithm>
#include <limits>

namespace wordloom {

RuleDraws::RuleDraws(const TitleRecipe& recipe, const TitleRules& rules, const BannedWords* banned, const EntryIds* ids,
                     CrtRandom random)
    : words_(recipe.words),
      recipe_(recipe),
      rules_(rules),
      banned_(rules.avoidBanned && banned && !banned->empty() ? banned : nullptr),
      ids_(ids),
      random_(random),
      draw_(recipe.words.size()),
      allowed_(recipe.words.size(), 1) {
  const size_t n = words_.size();
  if (recipe.coreIndex < n) allowed_[recipe.coreIndex] = 0;
  if (rules_.noRepeat) {
    stamp_.assign(n, 0);
    if (recipe.coreIndex < n) {
      const uint32_t core = (*ids_)[recipe.coreIndex];
      for (size_t k = 0; k < n; ++k) allowed_[k] &= (*ids_)[k] != core;
    }
  }
  if (banned_) {
    for (size_t k = 0; k < n; ++k) allowed_[k] &= banned_->Find(words_[k]) == nullptr;
    // A separator no term holds keeps a banned word from forming across it.
    joins_ = recipe.separator == '\0' || banned_->Holds(recipe.separator);
  }
  if (rules_.noRepeat) {
    for (size_t k = 0; k < n; ++k) distinct_ += allowed_[k] && (*ids_)[k] == k;
  }
  if (rules_.fill) {
    // An empty entry without a separator adds nothing: it would always fit.
    for (size_t k = 0; k < n; ++k)
      if (allowed_[k] && (recipe.separator != '\0' || !words_[k].empty())) bySize_.push_back(static_cast<uint32_t>(k));
    std::stable_sort(bySize_.begin(), bySize_.end(),
                     [&](uint32_t a, uint32_t b) { return words_[a].size() < words_[b].size(); });
    for (uint32_t k : bySize_)
      sizes_.push_back(static_cast<uint32_t>(std::min<size_t>(words_[k].size(), std::numeric_limits<uint32_t>::max())));
  }
}

void RuleDraws::Begin() {
  drawn_.clear();
  used_ = 0;
  if (rules_.noRepeat && ++title_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0);  // the stamps came round again
    title_ = 1;
  }
  if (joins_) {
    tail_.clear();
    pieces_.clear();
    AddToTail(std::string_view(recipe_.coreText.data(), recipe_.coreTextSize));
  }
}

size_t RuleDraws::FitCount(int64_t room) const {
  if (room <= 0) return 0;
  if (room > std::numeric_limits<uint32_t>::max()) return sizes_.size();
  return static_cast<size_t>(std::lower_bound(sizes_.begin(), sizes_.end(), static_cast<uint32_t>(room)) - sizes_.begin());
}

bool RuleDraws::MayGoIn(size_t k) {
  if (!allowed_[k]) return false;
  if (rules_.noRepeat && stamp_[(*ids_)[k]] == title_) return false;
  if (joins_) {
    // A term that begins in the title's last bytes and ends in the entry.
    const std::string_view entry = words_[k];
    const size_t reach = banned_->longest() - 1;
    scratch_.assign(tail_);
    scratch_.append(entry.data(), std::min(entry.size(), reach));
    size_t from = 0;
    for (size_t start : pieces_)
      if (start + reach <= tail_.size()) from = start;
    if (banned_->Find(scratch_, from, tail_.size(), tail_.size())) return false;
  }
  return true;
}

bool RuleDraws::Take(size_t k, std::string_view& entry) {
  entry = words_[k];
  if (rules_.noRepeat) {
    stamp_[(*ids_)[k]] = title_;
    ++used_;
  }
  if (joins_) AddToTail(entry);
  drawn_.push_back(k);
  return true;
}

void RuleDraws::AddToTail(std::string_view piece) {
  pieces_.push_back(tail_.size());
  tail_.append(piece.data(), piece.size());
  // Only the last longest() - 1 bytes can begin a term that ends further on;
  // pieces wholly before them go.
  const size_t keep = banned_->longest();
  size_t drop = 0;
  while (drop + 1 < pieces_.size() && tail_.size() - pieces_[drop + 1] >= keep) ++drop;
  if (drop > 0 && tail_.size() > 4 * keep) {
    const size_t cut = pieces_[drop];
    tail_.erase(0, cut);
    pieces_.erase(pieces_.begin(), pieces_.begin() + static_cast<ptrdiff_t>(drop));
    for (size_t& start : pieces_) start -= cut;
  }
}

bool RuleDraws::Next(int64_t length, std::string_view& entry) {
  if (joins_ && recipe_.separator) AddToTail(std::string_view(&recipe_.separator, 1));
  // Every text that may go in is in: the title ends without a draw.
  if (rules_.noRepeat && used_ == distinct_) return false;
  if (rules_.fill) {
    const size_t fits = FitCount(recipe_.maxLength - length);
    if (fits == 0) return false;
    const PositionDraw draw(fits);
    for (int i = 0; i < kTries; ++i) {
      const size_t k = bySize_[draw(random_)];
      if (MayGoIn(k)) return Take(k, entry);
    }
    std::vector<uint32_t> left;
    for (size_t j = 0; j < fits; ++j)
      if (MayGoIn(bySize_[j])) left.push_back(bySize_[j]);
    if (left.empty()) return false;
    return Take(left[PositionDraw(left.size())(random_)], entry);
  }
  if (!rules_.noRepeat && !banned_) {
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
  std::vector<uint32_t> left;
  for (size_t k = 0; k < words_.size(); ++k)
    if (MayGoIn(k)) left.push_back(static_cast<uint32_t>(k));
  if (left.empty()) return false;
  return Take(left[PositionDraw(left.size())(random_)], entry);
}

}  // namespace wordloom
