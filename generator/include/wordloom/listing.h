#pragma once
// Part of the listing layer's surface: the layers below it may not include it.
#ifdef WORDLOOM_BELOW_LISTING
#error "wordloom/listing.h belongs to the listing layer, above the one including it"
#endif
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wordloom/text.h"

// The types of getting titles ready to list on a marketplace, as the front
// ends see them:
// - TitleRules: the opt-in rules a run may follow;
// - LibraryReport: what the library check finds, kind by kind (Finding,
//   FindingList), with how the library was read and which banned words
//   were used (BannedListInfo);
// - FormulaReport: a grouped library held against a formula (GroupSummary,
//   SlotFinding), part of the library check when a formula is given;
// - BatchReport: what a run's titles hold, with examples (TitleExample).
// Reports are data (GBK texts, line and title numbers); messages.h words them.
namespace wordloom {

// Rules a run may follow. With none on, titles are what they always were.
struct TitleRules {
  bool noRepeat = false;     // no entry text twice in a title, none equal to the core word
  bool unique = false;       // no two titles of a run alike
  bool fill = false;         // a title ends only when nothing that may still go in fits
  bool avoidBanned = false;  // no banned word in a title, also across two entries

  bool any() const { return noRepeat || unique || fill || avoidBanned; }
};

// Where the banned words came from, and how many there are.
struct BannedListInfo {
  std::string file;  // UTF-8 path; empty for the built-in list
  size_t terms = 0;
};

// One example of a finding: a line of the library and what is wrong there.
struct Finding {
  size_t line = 0;
  std::string entry;   // GBK
  std::string detail;  // GBK: the banned word or the character found; empty otherwise
  size_t number = 0;   // a duplicate's first line; a too long entry's bytes
};

struct FindingList {
  bool checked = true;  // false when the inputs it needs were not given
  size_t count = 0;
  std::vector<Finding> examples;  // the first few, in line order
};

// A group of a grouped library, as the check counts it.
struct GroupSummary {
  std::string name;      // GBK
  size_t line = 0;       // its first heading's
  size_t entries = 0;    // non-empty lines
  size_t distinct = 0;   // different texts among them
  size_t shortest = 0, longest = 0;  // bytes
};

// A slot of the formula that its group cannot serve as asked.
struct SlotFinding {
  enum Kind { kMissing, kEmpty, kTooFew } kind = kMissing;
  size_t slot = 0;     // its part of the formula text, 1-based
  std::string text;    // the slot as formula text, GBK
  size_t asks = 0, holds = 0;  // kTooFew: the entries it asks for, and the group's different texts
};

// A grouped library held against a formula.
struct FormulaReport {
  std::string formula;  // GBK, as formula text
  std::vector<GroupSummary> groups;
  std::vector<SlotFinding> slots;
  FindingList shared;     // an entry in a second group: detail is the group, number the line it stands on first
  FindingList ungrouped;  // entries before the first heading, never drawn
  // Whether the limit holds the shortest title the formula can make: not
  // known without the core word and the length.
  bool lengthKnown = false;
  bool fits = true;
  int64_t shortest = 0;   // its bytes, when it fits
  SlotFinding overflow;   // the slot the limit cannot hold, when it does not (its text and number)

  size_t total() const { return slots.size() + shared.count + ungrouped.count + (lengthKnown && !fits ? 1 : 0); }
};

// What `--check` finds in a library, read exactly as a run reads it.
struct LibraryReport {
  enum Kind { kDuplicate, kEmpty, kSpacing, kSeparator, kTooLong, kBanned, kRejected, kKinds };
  static constexpr size_t kExamples = 5;

  std::string library;  // UTF-8 path
  TextReading reading;
  BannedListInfo banned;
  size_t lines = 0;
  size_t distinct = 0;  // different non-empty entries
  char separator = '\0';
  std::string core;     // GBK; empty when not given
  int32_t maxLength = 0;  // 0 when not given
  std::array<FindingList, kKinds> findings;
  std::optional<FormulaReport> formula;  // when a formula is given

  size_t total() const {
    size_t n = formula ? formula->total() : 0;
    for (const FindingList& f : findings) n += f.count;
    return n;
  }
};

// One title of a run that a report points at.
struct TitleExample {
  int64_t title = 0;   // its number in the file
  std::string detail;  // GBK: the repeated entry or the banned word; empty for a duplicate
};

// What `--report` tells of a run's titles, gathered while they are written.
struct BatchReport {
  static constexpr size_t kExamples = 3;

  int64_t titles = 0;
  int64_t limit = 0;
  int64_t least = 0, median = 0, most = 0;  // bytes of a title as the limit counts them
  int64_t repeating = 0;                    // titles with an entry twice
  int64_t duplicates = 0;                   // titles equal to an earlier one
  bool duplicatesCounted = true;            // false when memory ran short for them
  int64_t banned = 0;                       // titles holding a banned word
  BannedListInfo bannedList;
  TitleRules rules;
  std::vector<TitleExample> repeatingExamples, duplicateExamples, bannedExamples;
};

}  // namespace wordloom
