#include "rule_draws.h"

#include <algorithm>

namespace wordloom {
namespace {

// Rooms up to this many bytes get their fitting count and draw ready.
constexpr int64_t kTabledRooms = 65536;

}  // namespace

RuleDraws::RuleDraws(const TitleRecipe& recipe, const TitleRules& rules, const BannedWords* banned, const EntryIds* ids,
                     CrtRandom random, bool record)
    : recipe_(recipe),
      text_(recipe.words.text()),
      rules_(rules),
      banned_(rules.avoidBanned && banned && !banned->empty() ? banned : nullptr),
      random_(random),
      draw_(recipe.words.size()),
      record_(record),
      screens_(rules.noRepeat || banned_ != nullptr) {
  const WordList& words = recipe.words;
  const size_t n = words.size();
  ids_.resize(n);
  for (size_t k = 0; k < n; ++k) ids_[k] = rules_.noRepeat ? (*ids)[k] : static_cast<uint32_t>(k);
  if (recipe.coreIndex < n) {
    // Under --no-repeat every copy of the core's text goes with it.
    const uint32_t core = ids_[recipe.coreIndex];
    for (size_t k = 0; k < n; ++k)
      if (ids_[k] == core) ids_[k] = kBlocked;
  }
  if (banned_) {
    for (size_t k = 0; k < n; ++k)
      if (banned_->Find(words[k])) ids_[k] = kBlocked;
    // A separator no term holds keeps a banned word from forming across it.
    joins_ = recipe.separator == '\0' || banned_->Holds(recipe.separator);
  }
  if ((screens_ || rules_.fill) && recipe.separator == '\0') {
    // Without a separator an empty entry adds nothing, and leaves the title
    // as it was: drawn again and again while the rules turn every other
    // entry away, it would never end. So it is never drawn (the titles read
    // the same), and a draw always lengthens a title.
    for (size_t k = 0; k < n; ++k)
      if (words[k].empty()) ids_[k] = kBlocked;
    grows_ = false;
    for (size_t k = 0; k < n && !grows_; ++k) grows_ = ids_[k] != kBlocked;
  }
  if (rules_.noRepeat) {
    stamps_.assign(n, 0);
    for (size_t k = 0; k < n; ++k) distinct_ += ids_[k] == k;
  }
  if (rules_.fill) {
    for (size_t k = 0; k < n; ++k)
      if (ids_[k] != kBlocked)
        bySize_.push_back({static_cast<uint32_t>(k), ids_[k], static_cast<uint32_t>(words[k].data() - words.text()),
                           static_cast<uint32_t>(std::min<size_t>(words[k].size(), std::numeric_limits<uint32_t>::max()))});
    std::stable_sort(bySize_.begin(), bySize_.end(), [](Fit a, Fit b) { return a.size < b.size; });
    // Where every entry fits, one draw serves all rooms; it needs the
    // entries' places in 32 bits.
    places_ = words.ends32();
    if (!bySize_.empty() && places_) {
      allFit_ = bySize_.back().size;
      fitAll_ = PositionDraw(bySize_.size());
    }
    const int64_t rooms = std::min<int64_t>(recipe.maxLength, kTabledRooms) + 1;
    for (int64_t room = 0; room < rooms; ++room) {
      fitCounts_.push_back(static_cast<uint32_t>(FitCount(room)));
      fitDraws_.emplace_back(std::max<size_t>(fitCounts_.back(), 1));
    }
  }
}

void RuleDraws::RestartStamps() {
  std::fill(stamps_.begin(), stamps_.end(), 0);  // the stamps came round again
  title_ = 1;
}

size_t RuleDraws::FitCount(int64_t room) const {
  if (room <= 0) return 0;
  if (room > std::numeric_limits<uint32_t>::max()) return bySize_.size();
  const auto first = std::lower_bound(bySize_.begin(), bySize_.end(), static_cast<uint32_t>(room),
                                      [](Fit fit, uint32_t size) { return fit.size < size; });
  return static_cast<size_t>(first - bySize_.begin());
}

bool RuleDraws::DrawAmongTheRest(size_t fits, std::string_view& entry) {
  std::vector<uint32_t> left;
  if (rules_.fill) {
    for (size_t j = 0; j < fits; ++j)
      if (MayGoIn(bySize_[j].position)) left.push_back(bySize_[j].position);
  } else {
    for (size_t k = 0; k < recipe_.words.size(); ++k)
      if (MayGoIn(k)) left.push_back(static_cast<uint32_t>(k));
  }
  return !left.empty() && Take(left[PositionDraw(left.size())(random_)], entry);
}

bool RuleDraws::Joins(std::string_view entry) {
  // A term that begins in the title's last bytes and ends in the entry.
  const size_t reach = banned_->longest() - 1;
  scratch_.assign(tail_);
  scratch_.append(entry.data(), std::min(entry.size(), reach));
  size_t from = 0;
  for (size_t start : pieces_)
    if (start + reach <= tail_.size()) from = start;
  return banned_->Find(scratch_, from, tail_.size(), tail_.size()) != nullptr;
}

void RuleDraws::StartTail() {
  tail_.clear();
  pieces_.clear();
  AddToTail(std::string_view(recipe_.coreText.data(), recipe_.coreTextSize));
}

void RuleDraws::AddToTail(std::string_view piece) {
  if (piece.empty()) return;  // an empty entry adds no place a term could begin
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

}  // namespace wordloom
