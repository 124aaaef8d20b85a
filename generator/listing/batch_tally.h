#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "banned_words.h"
#include "entry_ids.h"
#include "fingerprint_set.h"
#include "title_recipe.h"
#include "wordloom/listing.h"

namespace wordloom {

// Gathers a BatchReport title by title, as the titles are written.
class BatchTally {
 public:
  // `duplicates`: whether to look for titles made twice (--unique makes none).
  BatchTally(const TitleRecipe& recipe, const EntryIds& ids, const BannedWords* banned, int64_t expected,
             bool duplicates, BatchReport& report);

  // Title `number` as written (without CR LF), its length as the limit
  // counts it, and the positions of the `count` entries it holds besides
  // its core.
  void Add(int64_t number, std::string_view title, int64_t length, const size_t* entries, size_t count);
  // Least, median and most, once every title is in.
  void Finish();

 private:
  const TitleRecipe& recipe_;
  const EntryIds& ids_;
  const BannedWords* banned_;
  BatchReport& report_;
  std::unique_ptr<FingerprintSet> seen_;
  std::vector<uint32_t> stamp_;  // by entry id: the last title holding it
  uint32_t title_ = 0;
  uint32_t coreId_;
  std::map<int64_t, int64_t> lengths_;  // bytes -> titles
};

}  // namespace wordloom
