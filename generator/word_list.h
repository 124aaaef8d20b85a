#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom {

// The library's entries in file order in one byte buffer: entry i spans
// [Begin(i), End(i)) and is followed by one LF byte, so entry i + 1 begins
// at End(i) + 1. A library with plain LF line ends is used as read, without
// moving a byte. Four bytes per entry beyond the text itself (eight once the
// text passes 4 GB).
class WordList {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const char* Data(size_t i) const { return buf_.data() + Begin(i); }
  size_t Length(size_t i) const { return End(i) - Begin(i); }
  std::string_view operator[](size_t i) const { return {Data(i), Length(i)}; }
  size_t Begin(size_t i) const { return i == 0 ? 0 : End(i - 1) + 1; }
  size_t End(size_t i) const { return ends32_ ? ends32_[i] : static_cast<size_t>(ends64_[i]); }
  // The ends as 32-bit offsets, or null once the text passes 4 GB.
  const uint32_t* ends32() const { return ends32_.get(); }
  // The buffer the entries live in; its bytes past an entry may be read.
  const char* text() const { return buf_.data(); }
  size_t textSize() const { return buf_.size(); }

  // Splits GBK library text into entries and appends them: a line ends at
  // LF, a CR just before it goes too, a last line without LF still counts,
  // and an entry stops at its first NUL byte.
  void AppendText(std::string&& text);
  void Clear();

  // First position whose entry equals `word` byte for byte; size() if none.
  size_t Find(std::string_view word) const;

 private:
  struct Free {
    void operator()(void* p) const;
  };
  // Room for `capacity` ends, keeping the first size_; 64-bit ones once
  // `wide` (and from then on).
  void Reserve(size_t capacity, bool wide);
  template <class Offset>
  void Split(char* p, size_t base, size_t end, Offset* table);

  std::string buf_;
  // One of the two holds the ends; filled as found, never zeroed first.
  std::unique_ptr<uint32_t[], Free> ends32_;
  std::unique_ptr<uint64_t[], Free> ends64_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// The word list of the current run; empty between runs.
extern WordList g_words;

struct LoadResult {
  enum Kind { kOk, kFileError, kEncodingError } kind = kOk;
  std::string message;  // UTF-8, names the file
};

// Reads the library at `path` and appends its entries to g_words. Files with
// a byte-order mark or in UTF-8 are brought to GBK first.
LoadResult LoadWords(const std::filesystem::path& path);
size_t FindCore(std::string_view coreWord);
void ClearWords();

}  // namespace wordloom
