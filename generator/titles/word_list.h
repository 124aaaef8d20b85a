#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "bytes.h"

namespace wordloom {

// The library's entries in file order, in one byte buffer: entry i spans
// [Begin(i), End(i)) and is followed by one LF byte, so entry i + 1 begins
// at End(i) + 1. A library with plain LF line ends is used as read, without
// moving a byte. Four bytes per entry beyond the text itself (eight once the
// text passes 4 GB).
class WordList {
 public:
  WordList() = default;
  // Splits GBK library text into entries: a line ends at LF, a CR just
  // before it goes too, a last line without LF still counts, and an entry
  // stops at its first NUL byte.
  explicit WordList(Bytes&& text);

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t End(size_t i) const { return ends32_ ? size_t{ends32_[i]} : static_cast<size_t>(ends64_[i]); }
  // ends[-1] is all ones, so the entry before the first ends one byte before 0.
  size_t Begin(size_t i) const {
    const ptrdiff_t before = static_cast<ptrdiff_t>(i) - 1;
    return ends32_ ? size_t{static_cast<uint32_t>(ends32_[before] + 1)} : static_cast<size_t>(ends64_[before] + 1);
  }
  std::string_view operator[](size_t i) const { return {text_.data() + Begin(i), End(i) - Begin(i)}; }

  // The ends as 32-bit offsets (with the one before the first), or null once
  // the text passes 4 GB.
  const uint32_t* ends32() const { return ends32_; }
  // The buffer the entries live in; Bytes::kSlack bytes past its end may be read.
  const char* text() const { return text_.data(); }

  // First position whose entry equals `word` byte for byte; size() if none.
  size_t Find(std::string_view word) const;

 private:
  struct Table {
    void operator()(void* p) const;
  };
  // Room for `capacity` ends, keeping those found; 64-bit from `wide` on.
  void Reserve(size_t capacity, bool wide);
  template <class Offset>
  void Split();
  template <class Offset>
  Offset* ends() { return sizeof(Offset) == 4 ? reinterpret_cast<Offset*>(ends32_) : reinterpret_cast<Offset*>(ends64_); }

  Bytes text_;
  std::unique_ptr<void, Table> table_;  // the ends, one slot before the first
  uint32_t* ends32_ = nullptr;
  uint64_t* ends64_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace wordloom
