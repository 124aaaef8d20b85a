#include "title_writer.h"

#include "plain_draws.h"
#include "table_draws.h"

namespace wordloom {

WriteEnd WritePlainTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkedOutput& out,
                          const OutputFormat& format, std::vector<CollectedTitle>* collect) {
  KeepEvery keep;
  // The tables' set-up (32768 values) pays from a few thousand titles on.
  if (DrawTables::Serve(recipe) && count >= 4096) {
    const DrawTables tables(recipe);
    TableDraws draws(tables, recipe.words, random);
    const WriteEnd end = WriteTitles(recipe, draws, keep, count, out, format, collect);
    random = draws.random();
    return end;
  }
  PlainDraws draws(recipe, random);
  const WriteEnd end = WriteTitles(recipe, draws, keep, count, out, format, collect);
  random = draws.random();
  return end;
}

}  // namespace wordloom
