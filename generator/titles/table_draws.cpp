#include "table_draws.h"

namespace wordloom {

bool DrawTables::Serve(const TitleRecipe& recipe) {
  return !PositionDraw(recipe.words.size()).wide() && recipe.words.ends32();
}

DrawTables::DrawTables(const TitleRecipe& recipe)
    : sizes_(new uint8_t[CrtRandom::kMax + 1]), begins_(new uint32_t[CrtRandom::kMax + 1]) {
  const PositionDraw draw(recipe.words.size());
  for (uint32_t r = 0; r <= CrtRandom::kMax; ++r) {
    const size_t k = draw.Reduce(r);
    const std::string_view entry = recipe.words[k];
    sizes_[r] = k == recipe.coreIndex ? kCore : entry.size() < kLong ? static_cast<uint8_t>(entry.size()) : kLong;
    const size_t begin = static_cast<size_t>(entry.data() - recipe.words.text());
    begins_[r] = static_cast<uint32_t>(sizes_[r] == kLong ? k : begin);
  }
}

TableDraws::TableDraws(const DrawTables& tables, const WordList& words, CrtRandom random)
    : sizes_(tables.sizes()), begins_(tables.begins()), text_(words.text()), words_(&words) {
  Restart(random);
}

void TableDraws::Restart(CrtRandom random) {
  random.Next();
  next_ = random.state();
  random.Next();
  after_ = random.state();
}

TableDraws::LookedUp TableDraws::LookUp(TableDraws d, uint32_t r) {
  for (;; r = Step(d.next_, d.after_)) {
    const uint8_t size = d.sizes_[r];
    if (size < DrawTables::kLong) return {{d.text_ + d.begins_[r], size}, d.next_, d.after_};
    if (size == DrawTables::kLong) return {(*d.words_)[d.begins_[r]], d.next_, d.after_};
  }
}

}  // namespace wordloom
