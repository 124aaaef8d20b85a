#include "ruled_titles.h"

#include <memory>
#include <utility>
#include <string_view>
#include <vector>

#include "batch_tally.h"
#include "entry_ids.h"
#include "rule_draws.h"
#include "text_hash.h"
#include "unique_titles.h"

namespace wordloom {
namespace {

// The positions of the entries a title took: the rules' draws also note
// the last draw, which did not fit; a formula's draws only those it gave.
std::pair<const size_t*, size_t> Taken(const RuleDraws& draws, const ComposedTitle& title) {
  return {draws.drawn().data(), title.entries};
}
std::pair<const size_t*, size_t> Taken(const FormulaDraws& draws, const ComposedTitle&) {
  return {draws.drawn().data(), draws.drawn().size()};
}
bool Missed(const RuleDraws&) { return false; }
bool Missed(const FormulaDraws& draws) { return draws.missed(); }
bool MayMiss(const RuleDraws&) { return false; }
bool MayMiss(const FormulaDraws& draws) { return draws.mayMiss(); }

// The rules' say on titles once they are made, for the writer: --unique
// has a title made again, and so has a formula's title that missed a least
// count; the report counts each title kept.
class TitleReview {
 public:
  static constexpr bool kReviews = true;
  // Titles made before they are judged: their fingerprints are all looked
  // up after, so that the table's memory is fetched for them at once.
  static constexpr int kBatch = 16;

  TitleReview(UniqueTitles* unique, BatchTally* tally) : unique_(unique), tally_(tally) {}

  template <class Handle>
  void Note(int slot, std::string_view title, const ComposedTitle& composed, const Handle& handle) {
    Title& t = batch_[slot];
    t.text = title;
    t.length = composed.length;
    t.missed = Missed(*handle.draws);
    if (tally_) {
      const auto [positions, count] = Taken(*handle.draws, composed);
      t.drawn.assign(positions, positions + count);
    }
    if (unique_) unique_->Prefetch(t.fingerprint = HashText(title.data(), title.size()));
  }
  Verdict Judge(int slot, int64_t number) {
    const Title& t = batch_[slot];
    if (t.missed) {
      if (++missed_ < UniqueTitles::kTries) return Verdict::kAgain;
      return GiveUp(RuledRun::kFormulaSlot, number);
    }
    missed_ = 0;
    if (unique_ && !unique_->Keep(t.fingerprint)) {
      if (!unique_->GaveUp()) return Verdict::kAgain;
      return GiveUp(RuledRun::kUniqueTitles, number);
    }
    if (tally_) tally_->Add(number, t.text, t.length, t.drawn.data(), t.drawn.size());
    return Verdict::kKeep;
  }

  RuledRun::GaveUp gaveUp = RuledRun::kNot;
  int64_t gaveUpAt = 0;  // the titles kept by then

 private:
  Verdict GiveUp(RuledRun::GaveUp why, int64_t number) {
    gaveUp = why;
    gaveUpAt = number;
    return Verdict::kGiveUp;
  }

  struct Title {
    std::string_view text;
    int64_t length = 0;
    bool missed = false;
    uint64_t fingerprint = 0;
    std::vector<size_t> drawn;
  };
  UniqueTitles* const unique_;
  BatchTally* const tally_;
  int missed_ = 0;  // titles in a row that missed a least count
  Title batch_[kBatch];
};

template <class Draws>
WriteEnd WriteThrough(const TitleRecipe& recipe, Draws& draws, int32_t count, ChunkedOutput& out, RuledRun& run,
                      UniqueTitles* unique, BatchTally* tally, const OutputFormat& format,
                      std::vector<CollectedTitle>* collect) {
  typename Draws::Handle handle{&draws};
  // Nothing to look at once a title is made: every title is kept as made.
  if (!unique && !tally && !MayMiss(draws)) {
    KeepEvery keep;
    return WriteTitles(recipe, handle, keep, count, out, format, collect);
  }
  TitleReview review(unique, tally);
  const WriteEnd end = WriteTitles(recipe, handle, review, count, out, format, collect);
  run.gaveUp = review.gaveUp;
  run.made = review.gaveUpAt;
  return end;
}

}  // namespace

WriteEnd WriteRuledTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkedOutput& out, RuledRun& run,
                          const OutputFormat& format, std::vector<CollectedTitle>* collect) {
  const TitleRules& rules = run.rules;
  const int64_t total = count > 0 ? count : 0;
  std::unique_ptr<EntryIds> ownIds;
  const EntryIds* ids = run.ids;
  if (!ids && (rules.noRepeat || run.report)) ids = (ownIds = std::make_unique<EntryIds>(recipe.words)).get();
  std::unique_ptr<UniqueTitles> unique;
  if (rules.unique) unique = std::make_unique<UniqueTitles>(total);
  std::unique_ptr<BatchTally> tally;
  if (run.report) tally = std::make_unique<BatchTally>(recipe, *ids, run.banned, total, !rules.unique, *run.report);
  WriteEnd end;
  if (run.formula) {
    run.formula->Restart(random);
    end = WriteThrough(recipe, *run.formula, count, out, run, unique.get(), tally.get(), format, collect);
    random = run.formula->random();
  } else {
    RuleDraws draws(recipe, rules, run.banned, ids, random, run.report != nullptr);
    end = WriteThrough(recipe, draws, count, out, run, unique.get(), tally.get(), format, collect);
    random = draws.random();
  }
  if (tally) tally->Finish();
  return end;
}

}  // namespace wordloom
