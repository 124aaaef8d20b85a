#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bytes.h"

namespace wordloom {

// Words a marketplace refuses in a title, matched on GBK text: a term
// matches only where a character begins, never from the middle of one.
class BannedWords {
 public:
  BannedWords() = default;
  // Terms from list text in GBK, one a line. A line loses the spaces, tabs
  // and full-width spaces at its ends; blank lines and lines that begin with
  // '#' are notes.
  explicit BannedWords(std::string_view gbk);

  size_t size() const { return terms_.size(); }
  bool empty() const { return terms_.empty(); }
  // Bytes of the longest term.
  size_t longest() const { return longest_; }
  // Whether some term holds this byte (a separator that never stands in a
  // term keeps the entries on either side of it apart).
  bool Holds(char c) const { return holds_[static_cast<unsigned char>(c)]; }

  // Whether some term begins with this character (GbkCharCode).
  bool Begins(uint32_t code) const { return firsts_[code >> 6] >> (code & 63) & 1; }
  // The longest term at text[i], whose first character is `code`; null if none.
  const std::string* At(std::string_view text, size_t i, uint32_t code, size_t after = 0) const;
  // The longest term at the first place in `text` where one begins; null if none.
  const std::string* Find(std::string_view text) const { return Find(text, 0, text.size(), 0); }
  // A term that begins at a character of text[from, before) and ends past
  // `after`; `from` must be where a character begins.
  const std::string* Find(std::string_view text, size_t from, size_t before, size_t after) const;

 private:
  std::vector<std::string> terms_;  // by first character, the longest first
  std::vector<uint32_t> codes_;     // each term's first character
  std::vector<uint64_t> firsts_;    // which characters begin a term, a bit each
  bool holds_[256] = {};
  size_t longest_ = 0;
};

// Why a banned-word list cannot be used.
struct ListFault {
  enum Kind { kNone, kNotText, kEmpty } kind = kNone;
  size_t line = 0;  // for text that is not: the first line that shows it

  explicit operator bool() const { return kind != kNone; }
};

// A list file's bytes as terms, read with a library's encoding rule. Text
// holding a NUL or another control byte but tab, CR and LF is not text.
ListFault ReadBannedList(Bytes&& bytes, BannedWords& out);

// The list the program carries, read once.
const BannedWords& BuiltInBannedWords();

}  // namespace wordloom
