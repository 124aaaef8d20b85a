#include "batch_tally.h"

#include <algorithm>
#include <limits>
#include <new>

#include "text_hash.h"

namespace wordloom {

BatchTally::BatchTally(const TitleRecipe& recipe, const EntryIds& ids, const BannedWords* banned, int64_t expected,
                       bool duplicates, BatchReport& report)
    : recipe_(recipe),
      ids_(ids),
      banned_(banned),
      report_(report),
      stamp_(recipe.words.size(), 0),
      coreId_(recipe.coreIndex < recipe.words.size() ? ids[recipe.coreIndex] : std::numeric_limits<uint32_t>::max()) {
  report_.limit = recipe.maxLength;
  // Without looking (--unique) there are none to count.
  if (duplicates) {
    try {
      seen_ = std::make_unique<FingerprintSet>(static_cast<uint64_t>(std::max<int64_t>(expected, 0)));
    } catch (const std::bad_alloc&) {
      report_.duplicatesCounted = false;  // the titles still go out; only this count is lost
    }
  }
}

void BatchTally::Add(int64_t number, std::string_view title, int64_t length, const size_t* entries, size_t count) {
  ++report_.titles;
  ++lengths_[length];

  if (++title_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0);
    title_ = 1;
  }
  for (size_t i = 0; i < count; ++i) {
    const std::string_view entry = recipe_.words[entries[i]];
    if (entry.empty()) continue;  // an empty entry adds no word
    const uint32_t id = ids_[entries[i]];
    if (id == coreId_ || stamp_[id] == title_) {
      if (report_.repeatingExamples.size() < BatchReport::kExamples)
        report_.repeatingExamples.push_back({number, std::string(entry)});
      ++report_.repeating;
      break;
    }
    stamp_[id] = title_;
  }

  if (seen_) {
    try {
      if (!seen_->Insert(HashText(title.data(), title.size()))) {
        if (report_.duplicateExamples.size() < BatchReport::kExamples) report_.duplicateExamples.push_back({number, ""});
        ++report_.duplicates;
      }
    } catch (const std::bad_alloc&) {
      seen_.reset();
      report_.duplicatesCounted = false;
    }
  }

  if (banned_) {
    if (const std::string* term = banned_->Find(title)) {
      if (report_.bannedExamples.size() < BatchReport::kExamples) report_.bannedExamples.push_back({number, *term});
      ++report_.banned;
    }
  }
}

void BatchTally::Finish() {
  if (lengths_.empty()) return;
  report_.least = lengths_.begin()->first;
  report_.most = lengths_.rbegin()->first;
  // The lower middle for an even count: always a length some title has.
  int64_t before = (report_.titles - 1) / 2;
  for (const auto& [bytes, titles] : lengths_) {
    if (before < titles) {
      report_.median = bytes;
      break;
    }
    before -= titles;
  }
}

}  // namespace wordloom
