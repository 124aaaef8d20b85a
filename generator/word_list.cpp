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
  while (i + 16 <= n) {
    // Per-byte counters (each compare adds 0 or -1), summed before they can wrap.
    __m128i counts = zero;
    const size_t stop = i + 255 * 16 < n ? i + 255 * 16 : n;
    for (; i + 16 <= stop; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, lf));
      special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, zero)));
    }
    const __m128i sums = _mm_sad_epu8(counts, zero);
    s.lineEnds += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
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
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))); m != 0; m &= m - 1) {
      f(i + static_cast<size_t>(__builtin_ctz(m)));
    }
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
  if (buf_.empty() && size_ == 0) {
    buf_ = std::move(text);  // keep the file's own buffer: no second copy
  } else {
    base = size_ == 0 ? buf_.size() : ends_[size_ - 1] + 1;
    if (base > buf_.size()) buf_ += '\n';
    buf_ += text;
    std::string().swap(text);
  }
  char* const p = &buf_[0];
  const size_t end = buf_.size();
  if (base == end) return;
  const Survey survey = SurveyText(p + base, end - base);
  {
    std::unique_ptr<size_t[]> grown(new size_t[size_ + survey.lineEnds + 1]);
    if (size_ > 0) std::memcpy(grown.get(), ends_.get(), size_ * sizeof(size_t));
    ends_ = std::move(grown);
  }
  size_t* out = ends_.get() + size_;

  size_t r = base;
  if (!survey.hasCr && !survey.hasNul) {
    // Plain LF lines: every LF already is the byte after an entry.
    ForEachLf(p + base, end - base, [&](size_t at) { *out++ = base + at; });
    size_ = static_cast<size_t>(out - ends_.get());
    r = size_ == 0 ? base : ends_[size_ - 1] + 1;
    if (r < end) ends_[size_++] = end;  // a last line without LF
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
    *out++ = w;
    r = lineEnd + 1;
  };
  ForEachLf(p + base, end - base, [&](size_t at) {
    take(base + at, true);
    p[w++] = '\n';
  });
  if (r < end) take(end, false);
  size_ = static_cast<size_t>(out - ends_.get());
  // Giving back the dropped bytes costs a second copy of the whole text for
  // a moment; only worth it when they were a good part of it, not for a
  // 100 MB line that lost one CR.
  const bool worthShrinking = end - w > end / 4;
  buf_.resize(w);
  if (worthShrinking) buf_.shrink_to_fit();
}

void WordList::Clear() {
  std::string().swap(buf_);
  ends_.reset();
  size_ = 0;
}

size_t WordList::Find(std::string_view word) const {
  const char* const p = buf_.data();
  const size_t n = word.size();
  const size_t textEnd = size_ == 0 ? 0 : ends_[size_ - 1];
  if (n >= 2 && word.find('\n') == std::string_view::npos) {
    // Look for the word in the text and keep the first place where it fills
    // a whole entry: LF bytes stand exactly between entries.
    const auto entryAt = [&](size_t q) {
      if ((q != 0 && p[q - 1] != '\n') || (q + n != textEnd && p[q + n] != '\n')) return false;
      return std::memcmp(p + q, word.data(), n) == 0;
    };
    const char first = word[0], second = word[1];
    size_t q = 0;
    size_t hit = textEnd;
#ifdef __SSE2__
    const __m128i a = _mm_set1_epi8(first), b = _mm_set1_epi8(second);
    for (; q + 17 <= textEnd && hit == textEnd; q += 16) {
      const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + q));
      const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + q + 1));
      unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(v0, a), _mm_cmpeq_epi8(v1, b))));
      for (; m != 0; m &= m - 1) {
        const size_t at = q + static_cast<size_t>(__builtin_ctz(m));
        if (at + n <= textEnd && entryAt(at)) {
          hit = at;
          break;
        }
      }
    }
#endif
    for (; q + n <= textEnd && hit == textEnd; ++q) {
      if (p[q] == first && p[q + 1] == second && entryAt(q)) hit = q;
    }
    if (hit == textEnd) return size_;
    return static_cast<size_t>(std::lower_bound(ends_.get(), ends_.get() + size_, hit + n) - ends_.get());
  }
  size_t begin = 0;
  for (size_t i = 0; i < size_; ++i) {
    const size_t e = ends_[i];
    if (e - begin == n && std::memcmp(p + begin, word.data(), n) == 0) return i;
    begin = e + 1;
  }
  return size_;
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
