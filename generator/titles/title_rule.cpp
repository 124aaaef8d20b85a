#include "title_rule.h"

#include "plain_draws.h"
#include "title_outs.h"

namespace wordloom {

std::string BuildTitle(const TitleRecipe& recipe, CrtRandom& random) {
  std::string title;
  PlainDraws draws(recipe, random);
  StringOut out{&title};
  ComposeTitle(recipe, draws, out);
  random = draws.random();
  return title + "\r\n";
}

}  // namespace wordloom
