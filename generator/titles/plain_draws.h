#pragma once
#include <cstddef>
#include <string_view>

#include "crt_random.h"
#include "title_recipe.h"

namespace wordloom {

// The plain draws: positions straight from the sequence, one value or two
// past 32768 entries, and the core's own position drawn again, the one
// place that is written (the draw tables mark the core's values for the same).
class PlainDraws {
 public:
  PlainDraws(const TitleRecipe& recipe, CrtRandom random)
      : words_(&recipe.words), draw_(recipe.words.size()), coreIndex_(recipe.coreIndex), random_(random) {}

  // A position other than the core's.
  static size_t PassingOverCore(const PositionDraw& draw, size_t coreIndex, CrtRandom& random) {
    size_t k;
    do {
      k = draw(random);
    } while (k == coreIndex);
    return k;
  }

  void Begin() {}
  bool Next(int64_t, std::string_view& entry) {
    entry = (*words_)[PassingOverCore(draw_, coreIndex_, random_)];
    return true;
  }
  // The generator after the last value drawn.
  CrtRandom random() const { return random_; }

 private:
  const WordList* words_;
  PositionDraw draw_;
  size_t coreIndex_;
  CrtRandom random_;
};

}  // namespace wordloom
