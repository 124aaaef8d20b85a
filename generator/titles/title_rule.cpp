#include "title_rule.h"

namespace wordloom {
namespace {

struct StringOut {
  std::string* text;
  void Append(const char* data, size_t size) { text->append(data, size); }
  void Put(char c) { *text += c; }
  static bool Stopped() { return false; }
};

}  // namespace

std::string BuildTitle(const TitleRecipe& recipe, CrtRandom& random) {
  std::string title;
  DirectDraws draws{&recipe.words, PositionDraw(recipe.words.size()), recipe.coreIndex, random};
  StringOut out{&title};
  ComposeTitle(recipe, draws, out);
  random = draws.random;
  return title + "\r\n";
}

}  // namespace wordloom
