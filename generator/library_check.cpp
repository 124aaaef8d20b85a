#include "library_check.h"

#include "gbk_text.h"
#include "rejected_chars.h"

namespace wordloom {
namespace {

void Note(FindingList& list, size_t position, std::string_view entry, std::string_view detail = {}, size_t number = 0) {
  if (list.examples.size() < LibraryReport::kExamples)
    list.examples.push_back({position + 1, std::string(entry), std::string(detail), number});
  ++list.count;
}

// The first character of `text` that marketplaces refuse, or an empty view.
std::string_view FirstRejected(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t n = GbkCharSize(text, i);
    if (IsRejectedCharacter(GbkCharCode(text, i, n))) return text.substr(i, n);
    i += n;
  }
  return {};
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
  // Room an entry has after the core and its separator: one that fills it
  // can never be drawn into a title.
  const int64_t room = static_cast<int64_t>(report.maxLength) - static_cast<int64_t>(report.core.size()) -
                       (report.separator != '\0' ? 1 : 0);
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
    const std::string_view trimmed = TrimSpaces(entry);
    if (trimmed.size() != entry.size()) Note(f[K::kSpacing], i, entry);
    // Separators are ASCII, never the second byte of a character.
    if (report.separator != '\0' && entry.find(report.separator) != std::string_view::npos)
      Note(f[K::kSeparator], i, entry, std::string_view(&report.separator, 1));
    if (lengthKnown && i != coreIndex && static_cast<int64_t>(entry.size()) >= room)
      Note(f[K::kTooLong], i, entry, {}, entry.size());
    if (const std::string* term = banned.Find(entry)) Note(f[K::kBanned], i, entry, *term);
    const std::string_view rejected = FirstRejected(trimmed);
    if (!rejected.empty()) Note(f[K::kRejected], i, entry, rejected);
  }
}

}  // namespace wordloom
