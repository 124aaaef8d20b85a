#include "word_list.h"

#include <algorithm>
#include <cstring>

#include "file_access.h"
#include "library_encoding.h"
#include "messages.h"

namespace wordloom {

WordList g_words;

void WordList::AppendText(std::string&& text) {
  const size_t base = buf_.size();
  if (base == 0) {
    buf_ = std::move(text);  // keep the file's own buffer: no second copy
  } else {
    buf_ += text;
    std::string().swap(text);
  }
  char* const p = &buf_[0];
  const size_t end = buf_.size();
  ends_.reserve(ends_.size() + static_cast<size_t>(std::count(p + base, p + end, '\n')) + 1);

  // Entries are packed towards the front as line ends, CRs and text after a
  // NUL are dropped; the write position never passes the read position.
  size_t w = base;
  for (size_t r = base; r < end;) {
    const char* lf = static_cast<const char*>(std::memchr(p + r, '\n', end - r));
    const size_t lineEnd = lf ? static_cast<size_t>(lf - p) : end;
    size_t len = lineEnd - r;
    if (lf && len > 0 && p[lineEnd - 1] == '\r') --len;
    if (const void* nul = std::memchr(p + r, '\0', len)) len = static_cast<size_t>(static_cast<const char*>(nul) - (p + r));
    if (w != r) std::memmove(p + w, p + r, len);
    w += len;
    ends_.push_back(w);
    r = lineEnd + 1;
  }
  // Giving back the dropped line ends costs a second copy of the whole text
  // for a moment; only worth it when they were a good part of it (ten
  // million empty lines), not for a 100 MB line that lost one LF.
  const bool worthShrinking = end - w > end / 4;
  buf_.resize(w);
  if (worthShrinking) buf_.shrink_to_fit();
}

void WordList::Clear() {
  std::string().swap(buf_);
  std::vector<size_t>().swap(ends_);
}

size_t WordList::Find(std::string_view word) const {
  for (size_t i = 0; i < ends_.size(); ++i) {
    if (Length(i) == word.size() && std::memcmp(Data(i), word.data(), word.size()) == 0) return i;
  }
  return ends_.size();
}

LoadResult LoadWords(const std::filesystem::path& path) {
  const std::string shown = PathForDisplay(path);
  if (path.empty()) return {LoadResult::kFileError, msg::kNoLibraryChosen};
  std::string bytes, reason;
  if (!ReadWholeFile(path, bytes, reason)) return {LoadResult::kFileError, msg::LibraryUnreadable(shown, reason)};
  const LibraryEncoding encoding = DetectLibraryEncoding(bytes);
  ConversionFailure failure;
  if (!ConvertLibraryToGbk(bytes, encoding, failure)) {
    return {LoadResult::kEncodingError, failure.notGbk ? msg::LibraryNotGbk(shown, failure.line)
                                                       : msg::LibraryNotUtf(shown, failure.line, EncodingName(encoding))};
  }
  g_words.AppendText(std::move(bytes));
  return {};
}

size_t FindCore(std::string_view coreWord) { return g_words.Find(coreWord); }

void ClearWords() { g_words.Clear(); }

}  // namespace wordloom
