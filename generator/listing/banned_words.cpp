#include "banned_words.h"

#include <algorithm>
#include <cstring>

#include "gbk_text.h"
#include "library_text.h"

namespace wordloom {

extern const unsigned char kBuiltInBannedList[];
extern const size_t kBuiltInBannedListSize;

BannedWords::BannedWords(std::string_view gbk) : firsts_(65536 / 64) {
  std::vector<std::string> found;
  for (size_t start = 0; start < gbk.size();) {
    size_t end = gbk.find('\n', start);
    if (end == std::string_view::npos) end = gbk.size();
    std::string_view line = gbk.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimSpaces(line);
    if (!line.empty() && line[0] != '#') found.emplace_back(line);
    start = end + 1;
  }
  const auto first = [](const std::string& t) { return GbkCharCode(t, 0, GbkCharSize(t, 0)); };
  std::sort(found.begin(), found.end(), [&](const std::string& a, const std::string& b) {
    const uint32_t ca = first(a), cb = first(b);
    return ca != cb ? ca < cb : a.size() != b.size() ? a.size() > b.size() : a < b;
  });
  found.erase(std::unique(found.begin(), found.end()), found.end());
  for (std::string& term : found) {
    const uint32_t code = first(term);
    codes_.push_back(code);
    firsts_[code >> 6] |= uint64_t{1} << (code & 63);
    for (char c : term) holds_[static_cast<unsigned char>(c)] = true;
    longest_ = std::max(longest_, term.size());
    terms_.push_back(std::move(term));
  }
}

const std::string* BannedWords::At(std::string_view text, size_t i, uint32_t code, size_t after) const {
  const auto lo = std::lower_bound(codes_.begin(), codes_.end(), code);
  for (size_t t = static_cast<size_t>(lo - codes_.begin()); t < codes_.size() && codes_[t] == code; ++t) {
    const std::string& term = terms_[t];
    if (term.size() <= text.size() - i && i + term.size() > after &&
        std::memcmp(text.data() + i, term.data(), term.size()) == 0) {
      return &term;
    }
  }
  return nullptr;
}

const std::string* BannedWords::Find(std::string_view text, size_t from, size_t before, size_t after) const {
  if (terms_.empty()) return nullptr;
  const size_t stop = std::min(before, text.size());
  for (size_t i = from; i < stop;) {
    const size_t n = GbkCharSize(text, i);
    const uint32_t code = GbkCharCode(text, i, n);
    if (Begins(code)) {
      if (const std::string* term = At(text, i, code, after)) return term;
    }
    i += n;
  }
  return nullptr;
}

ListFault ReadBannedList(Bytes&& bytes, BannedWords& out) {
  if (const TextFault fault = LibraryTextToGbk(bytes, LibraryEncoding::kAuto)) return {ListFault::kNotText, fault.line};
  const std::string_view text(bytes.data(), bytes.size());
  size_t line = 1;
  for (char c : text) {
    if (c == '\n') ++line;
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') return {ListFault::kNotText, line};
    if (c == 0x7F) return {ListFault::kNotText, line};
  }
  out = BannedWords(text);
  if (out.empty()) return {ListFault::kEmpty, 0};
  return {};
}

const BannedWords& BuiltInBannedWords() {
  static const BannedWords list = [] {
    Bytes bytes(kBuiltInBannedListSize);
    std::memcpy(bytes.data(), kBuiltInBannedList, kBuiltInBannedListSize);
    BannedWords words;
    ReadBannedList(std::move(bytes), words);
    return words;
  }();
  return list;
}

}  // namespace wordloom
