#include "ruled_titles.h"

#include <memory>
#include <string_view>
#include <vector>

#include "batch_tally.h"
#include "entry_ids.h"
#include "rule_draws.h"
#include "text_hash.h"
#include "unique_titles.h"

namespace wordloom {
namespace {

// The rules' say on titles once they are made, for the writer: --unique
// has a title made again, and the report counts each title kept.
class TitleReview {
 public:
  static constexpr bool kReviews = true;
  // Titles made before they are judged: their fingerprints are all looked
  // up after, so that the table's memory is fetched for them at once.
  static constexpr int kBatch = 16;

  TitleReview(UniqueTitles* unique, BatchTally* tally) : unique_(unique), tally_(tally) {}

  void Note(int slot, std::string_view title, const ComposedTitle& composed, const RuleDraws::Handle& draws) {
    Title& t = batch_[slot];
    t.text = title;
    t.composed = composed;
    if (tally_) t.drawn = draws.draws->drawn();
    if (unique_) unique_->Prefetch(t.fingerprint = HashText(title.data(), title.size()));
  }
  Verdict Judge(int slot, int64_t number) {
    const Title& t = batch_[slot];
    if (unique_ && !unique_->Keep(t.fingerprint)) {
      if (!unique_->GaveUp()) return Verdict::kAgain;
      gaveUpAt = number;
      return Verdict::kGiveUp;
    }
    if (tally_) tally_->Add(number, t.text, t.composed, t.drawn.data());
    return Verdict::kKeep;
  }

  int64_t gaveUpAt = 0;  // the titles kept when --unique gave up

 private:
  struct Title {
    std::string_view text;
    ComposedTitle composed;
    uint64_t fingerprint = 0;
    std::vector<size_t> drawn;
  };
  UniqueTitles* const unique_;
  BatchTally* const tally_;
  Title batch_[kBatch];
};

}  // namespace

WriteEnd WriteRuledTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkedOutput& out, RuledRun& run) {
  const TitleRules& rules = run.rules;
  const int64_t total = count > 0 ? count : 0;
  std::unique_ptr<EntryIds> ids;
  if (rules.noRepeat || run.report) ids = std::make_unique<EntryIds>(recipe.words);
  RuleDraws draws(recipe, rules, run.banned, ids.get(), random, run.report != nullptr);
  std::unique_ptr<UniqueTitles> unique;
  if (rules.unique) unique = std::make_unique<UniqueTitles>(total);
  std::unique_ptr<BatchTally> tally;
  if (run.report) tally = std::make_unique<BatchTally>(recipe, *ids, run.banned, total, !rules.unique, *run.report);
  TitleReview review(unique.get(), tally.get());
  RuleDraws::Handle handle{&draws};
  const WriteEnd end = WriteTitles(recipe, handle, review, count, out);
  if (end == WriteEnd::kGaveUp) run.made = review.gaveUpAt;
  if (tally) tally->Finish();
  random = draws.random();
  return end;
}

}  // namespace wordloom
