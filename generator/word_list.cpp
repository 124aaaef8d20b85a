#include "word_list.h"

#include <algorithm>
#include <cstring>

#include "file_access.h"
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include "library_encoding.h"
#include "messages.h"

namespace wordloom {

WordList g_words;

namespace {

#ifdef __SSE2__
inline unsigned Matches(const char* p, __m128i c) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), c)));
}
#endif

struct Survey {
  size_t lineEnds = 0;
  bool hasCr = false;
  bool hasNul = false;
};

// One pass over the text: how many LFs (so the entry table is sized once)
// and whether any entry will need bytes moved or cut.
Survey SurveyText(const char* p, size_t n) {
  Survey s;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
  __m128i special = zero;
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    s.lineEnds += static_cast<size_t>(__builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))));
    special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, zero)));
  }
  if (_mm_movemask_epi8(special) != 0) s.hasCr = s.hasNul = true;  // told apart below
#endif
  for (; i < n; ++i) {
    s.lineEnds += p[i] == '\n';
    s.hasCr |= p[i] == '\r';
    s.hasNul |= p[i] == '\0';
  }
  if (s.hasCr && s.hasNul) {
    s.hasCr = std::memchr(p, '\r', n) != nullptr;
    s.hasNul = std::memchr(p, '\0', n) != nullptr;
  }
  return s;
}

// Calls f(position) for every LF in p[0, n), in order.
template <class F>
void ForEachLf(const char* p, size_t n, F&& f) {
  size_t i = 0;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= n; i += 16) {
    for (unsigned m = Matches(p + i, lf); m != 0; m &= m - 1) f(i + static_cast<size_t>(__builtin_ctz(m)));
  }
#endif
  while (i < n) {
    const void* hit = std::memchr(p + i, '\n', n - i);
    if (!hit) break;
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - p);
    f(at);
    i = at + 1;
  }
}

}  // namespace

void WordList::AppendText(std::string&& text) {
  // Entry i + 1 begins one byte after entry i ends.
  size_t base = 0;
  if (buf_.empty() && ends_.empty()) {
    buf_ = std::move(text);  // keep the file's own buffer: no second copy
  } else {
    base = ends_.empty() ? buf_.size() : ends_.back() + 1;
    if (base > buf_.size()) buf_ += '\n';
    buf_ += text;
    std::string().swap(text);
  }
  char* const p = &buf_[0];
  const size_t end = buf_.size();
  if (base == end) return;
  const Survey survey = SurveyText(p + base, end - base);
  ends_.reserve(ends_.size() + survey.lineEnds + 1);

  size_t r = base;
  if (!survey.hasCr && !survey.hasNul) {
    // Plain LF lines: every LF already is the byte after an entry.
    ForEachLf(p + base, end - base, [&](size_t at) { ends_.push_back(base + at); });
    r = ends_.empty() ? base : ends_.back() + 1;
    if (r < end) ends_.push_back(end);  // a last line without LF
    return;
  }

  // Entries are packed towards the front as CRs and text after a NUL are
  // dropped; the write position never passes the read position.
  size_t w = base;
  const bool hasNul = survey.hasNul;
  const auto take = [&](size_t lineEnd, bool lf) {
    size_t len = lineEnd - r;
    if (lf && len > 0 && p[lineEnd - 1] == '\r') --len;
    if (hasNul) {
      if (const void* nul = std::memchr(p + r, '\0', len)) len = static_cast<size_t>(static_cast<const char*>(nul) - (p + r));
    }
    if (w != r) std::memmove(p + w, p + r, len);
    w += len;
    ends_.push_back(w);
    r = lineEnd + 1;
  };
  ForEachLf(p + base, end - base, [&](size_t at) {
    take(base + at, true);
    p[w++] = '\n';
  });
  if (r < end) take(end, false);
  buf_.resize(w);
}

void WordList::Clear() {
  std::string().swap(buf_);
  std::vector<size_t>().swap(ends_);
}

size_t WordList::Find(std::string_view word) const {
  const char* const p = buf_.data();
  const size_t n = word.size();
  size_t begin = 0;
  for (size_t i = 0; i < ends_.size(); ++i) {
    const size_t e = ends_[i];
    if (e - begin == n && (n == 0 || (p[begin] == word[0] && std::memcmp(p + begin, word.data(), n) == 0))) return i;
    begin = e + 1;
  }
  return ends_.size();
}

LoadResult LoadWords(const std::filesystem::path& path) {
  const std::string shown = PathForDisplay(path);
  if (path.empty()) return {LoadResult::kFileError, msg::kNoLibraryChosen};
  std::string bytes, reason;
  if (!ReadWholeFile(path, bytes, reason)) return {LoadResult::kFileError, msg::LibraryUnreadable(shown, reason)};
  LibraryEncoding encoding;
  ConversionFailure failure;
  if (!BringLibraryToGbk(bytes, encoding, failure)) {
    return {LoadResult::kEncodingError, failure.notGbk ? msg::LibraryNotGbk(shown, failure.line)
                                                       : msg::LibraryNotUtf(shown, failure.line, EncodingName(encoding))};
  }
  g_words.AppendText(std::move(bytes));
  return {};
}

size_t FindCore(std::string_view coreWord) { return g_words.Find(coreWord); }

void ClearWords() { g_words.Clear(); }

}  // namespace wordloom
