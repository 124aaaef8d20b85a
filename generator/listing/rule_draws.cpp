#include "rule_draws.h"

namespace wordloom {

RuleDraws::RuleDraws(const TitleRecipe& recipe, const TitleRules& rules, const BannedWords* banned, const EntryIds* ids,
                     CrtRandom random, bool record)
    : recipe_(recipe), rules_(rules), random_(random), draw_(recipe.words.size()), record_(record) {
  const WordList& words = recipe.words;
  const size_t n = words.size();
  if (!rules.avoidBanned || (banned && banned->empty())) banned = nullptr;
  rulesRedraw_ = rules.noRepeat || banned;
  // --no-repeat goes by text, and every copy of the core's text goes with
  // it; otherwise by position, and only the core's own is kept out.
  ids_.resize(n);
  for (size_t k = 0; k < n; ++k) ids_[k] = rules.noRepeat ? (*ids)[k] : static_cast<uint32_t>(k);
  if (recipe.coreIndex < n) {
    const uint32_t core = ids_[recipe.coreIndex];
    for (size_t k = 0; k < n; ++k)
      if (ids_[k] == core) ids_[k] = kBlocked;
  }
  // --avoid-banned: an entry holding a banned word is never drawn. A
  // separator no term holds keeps one from forming across it.
  if (banned) {
    for (size_t k = 0; k < n; ++k)
      if (banned->Find(words[k])) ids_[k] = kBlocked;
    if (BannedJoins::Possible(*banned, recipe.separator))
      bannedJoins_.emplace(*banned, std::string_view(recipe.coreText.data(), recipe.coreTextSize));
  }
  if (rulesRedraw_ || rules.fill) {
    // Without a separator an empty entry adds nothing, and leaves the title
    // as it was: drawn again and again while the rules turn every other
    // entry away, it would never end. So it is never drawn (the titles read
    // the same), and a draw always lengthens a title.
    lengthens_ = DrawsLengthen(words, recipe.separator, [&](size_t k) { return ids_[k] != kBlocked; });
    if (recipe.separator == '\0')
      for (size_t k = 0; k < n; ++k)
        if (words[k].empty()) ids_[k] = kBlocked;
  }
  if (rules.noRepeat) {
    size_t texts = 0;
    for (size_t k = 0; k < n; ++k) texts += ids_[k] == k;
    noRepeat_.Start(n, texts);
  }
  if (rules.fill) fill_.emplace(recipe, ids_, kBlocked);
}

}  // namespace wordloom
