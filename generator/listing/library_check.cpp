#include "library_check.h"

#include "gbk_text.h"
#include "rejected_chars.h"
#include "title_rule.h"

namespace wordloom {
namespace {

void Note(FindingList& list, size_t position, std::string_view entry, std::string_view detail = {}, size_t number = 0) {
  if (list.examples.size() < LibraryReport::kExamples)
    list.examples.push_back({position + 1, std::string(entry), std::string(detail), number});
  ++list.count;
}

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
                  LibraryReport& report) {
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
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string_view entry = words[i];
    if (entry.empty()) {
      Note(f[K::kEmpty], i, entry);
      continue;
    }
    if (ids[i] != i) {
      Note(f[K::kDuplicate], i, entry, {}, ids[i] + size_t{1});
    } else {
      ++report.distinct;
    }
    const Walk walk = WalkEntry(entry, banned);
    if (walk.spacing) Note(f[K::kSpacing], i, entry);
    // Separators are ASCII, never the second byte of a character.
    if (report.separator != '\0' && entry.find(report.separator) != std::string_view::npos)
      Note(f[K::kSeparator], i, entry, std::string_view(&report.separator, 1));
    if (lengthKnown && i != coreIndex && !Fits(static_cast<int64_t>(entry.size()), first, report.maxLength))
      Note(f[K::kTooLong], i, entry, {}, entry.size());
    if (walk.banned) Note(f[K::kBanned], i, entry, *walk.banned);
    if (!walk.rejected.empty()) Note(f[K::kRejected], i, entry, walk.rejected);
  }
}

}  // namespace wordloom
