#include "library_check.h"

#include <vector>

#include "gbk_text.h"
#include "rejected_chars.h"
#include "title_rule.h"

namespace wordloom {

void NoteFinding(FindingList& list, size_t position, std::string_view entry, std::string_view detail, size_t number) {
  if (list.examples.size() < LibraryReport::kExamples)
    list.examples.push_back({position + 1, std::string(entry), std::string(detail), number});
  ++list.count;
}

namespace {

// What one walk over an entry's characters finds.
struct Walk {
  bool spacing = false;       // a space, tab or full-width space at either end
  std::string_view rejected;  // the first character marketplaces refuse, past the spaces at the ends
  const std::string* banned = nullptr;
};

Walk WalkEntry(std::string_view entry, const BannedWords& banned) {
  Walk w;
  size_t firstSolid = entry.size(), solidEnd = 0;  // where the characters that are not spaces begin and end
  size_t innerTab = std::string_view::npos;         // a tab once something else came
  for (size_t i = 0; i < entry.size();) {
    const size_t n = GbkCharSize(entry, i);
    const uint32_t code = GbkCharCode(entry, i, n);
    const bool space = code == ' ' || code == '\t' || code == 0xA1A1;
    if (!space) {
      if (firstSolid == entry.size()) firstSolid = i;
      solidEnd = i + n;
      if (w.rejected.empty() && IsRejectedCharacter(code)) w.rejected = entry.substr(i, n);
    } else if (code == '\t' && firstSolid < i && innerTab == std::string_view::npos) {
      innerTab = i;
    }
    if (!w.banned && banned.Begins(code)) w.banned = banned.At(entry, i, code);
    i += n;
  }
  w.spacing = firstSolid != 0 || solidEnd != entry.size();
  // A tab between other characters is refused; one at an end is spacing.
  if (innerTab < solidEnd && (w.rejected.empty() || innerTab < static_cast<size_t>(w.rejected.data() - entry.data())))
    w.rejected = entry.substr(innerTab, 1);
  return w;
}

}  // namespace

void CheckEntries(const WordList& words, const EntryIds& ids, size_t coreIndex, const BannedWords& banned,
                  LibraryReport& report, const WordGroups* groups, FindingList* shared) {
  using K = LibraryReport;
  auto& f = report.findings;
  report.lines = words.size();
  const bool lengthKnown = !report.core.empty() && report.maxLength > 0;
  f[K::kSeparator].checked = report.separator != '\0';
  f[K::kTooLong].checked = lengthKnown;
  // The length of a title before its first entry: one that does not fit
  // there can never be drawn into a title.
  const int64_t first = static_cast<int64_t>(report.core.size()) + (report.separator != '\0' ? 1 : 0);
  report.distinct = 0;
  // Under a formula: the group of each line, kNone for headings and lines before the first.
  constexpr size_t kNone = SIZE_MAX;
  std::vector<size_t> groupOf;
  if (groups) {
    f[K::kEmpty].checked = false;
    groupOf.assign(words.size(), kNone);
    for (size_t g = 0; g < groups->groups().size(); ++g)
      for (uint32_t k : groups->groups()[g].entries) groupOf[k] = g;
  }
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string_view entry = words[i];
    if (groups && (entry.empty() || !WordGroups::HeadingName(entry).empty())) continue;
    if (entry.empty()) {
      NoteFinding(f[K::kEmpty], i, entry);
      continue;
    }
    if (ids[i] == i) {
      ++report.distinct;
    } else if (!groups || groupOf[i] == groupOf[ids[i]]) {
      NoteFinding(f[K::kDuplicate], i, entry, {}, ids[i] + size_t{1});
    } else if (groupOf[i] != kNone && groupOf[ids[i]] != kNone && shared) {
      NoteFinding(*shared, i, entry, groups->groups()[groupOf[ids[i]]].name, ids[i] + size_t{1});
    }
    const Walk walk = WalkEntry(entry, banned);
    if (walk.spacing) NoteFinding(f[K::kSpacing], i, entry);
    // Separators are ASCII, never the second byte of a character.
    if (report.separator != '\0' && entry.find(report.separator) != std::string_view::npos)
      NoteFinding(f[K::kSeparator], i, entry, std::string_view(&report.separator, 1));
    if (lengthKnown && i != coreIndex && !Fits(static_cast<int64_t>(entry.size()), first, report.maxLength))
      NoteFinding(f[K::kTooLong], i, entry, {}, entry.size());
    if (walk.banned) NoteFinding(f[K::kBanned], i, entry, *walk.banned);
    if (!walk.rejected.empty()) NoteFinding(f[K::kRejected], i, entry, walk.rejected);
  }
}

}  // namespace wordloom
