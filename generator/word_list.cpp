#include "word_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "file_access.h"
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif
#include "library_encoding.h"
#include "messages.h"

namespace wordloom {

WordList g_words;

namespace {

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

// Entries the text probably holds, judged by its first 64 KB and rounded
// up: the table is sized once in the usual case, and pages of it never
// written cost no memory.
size_t EstimateLines(const char* p, size_t n) {
  const size_t sample = n < 65536 ? n : 65536;
  const size_t lines = static_cast<size_t>(std::count(p, p + sample, '\n'));
  if (sample == n) return lines + 1;
  return static_cast<size_t>(static_cast<double>(n) / static_cast<double>(sample) * static_cast<double>(lines) * 1.125) + 1024;
}

}  // namespace

void WordList::Free::operator()(void* p) const { std::free(p); }

namespace {

// Texts longer than this get 64-bit entry offsets; the tests lower it to
// run that form on small libraries.
#ifndef WORDLOOM_WIDE_OFFSETS_FROM
#define WORDLOOM_WIDE_OFFSETS_FROM UINT32_MAX
#endif
constexpr uint64_t kWideOffsetsFrom = WORDLOOM_WIDE_OFFSETS_FROM;

void* AllocateTable(size_t bytes) {
  void* memory = nullptr;
#ifdef __linux__
  // Large tables in 2 MB pages: far fewer page faults for the same bytes.
  constexpr size_t kHuge = size_t{2} << 20;
  if (bytes >= 2 * kHuge) {
    memory = std::aligned_alloc(kHuge, (bytes + kHuge - 1) / kHuge * kHuge);
    if (memory) ::madvise(memory, bytes, MADV_HUGEPAGE);
  }
#endif
  if (!memory) memory = std::malloc(bytes);
  if (!memory) throw std::bad_alloc();
  return memory;
}

}  // namespace

void WordList::Reserve(size_t capacity, bool wide) {
  if (wide && !ends64_) {
    auto* table = static_cast<uint64_t*>(AllocateTable((capacity > capacity_ ? capacity : capacity_) * sizeof(uint64_t)));
    for (size_t i = 0; i < size_; ++i) table[i] = ends32_[i];
    ends64_.reset(table);
    ends32_.reset();
    if (capacity < capacity_) capacity = capacity_;
    capacity_ = capacity;
    return;
  }
  if (capacity <= capacity_) return;
  if (ends64_) {
    auto* table = static_cast<uint64_t*>(AllocateTable(capacity * sizeof(uint64_t)));
    if (size_ > 0) std::memcpy(table, ends64_.get(), size_ * sizeof(uint64_t));
    ends64_.reset(table);
  } else {
    auto* table = static_cast<uint32_t*>(AllocateTable(capacity * sizeof(uint32_t)));
    if (size_ > 0) std::memcpy(table, ends32_.get(), size_ * sizeof(uint32_t));
    ends32_.reset(table);
  }
  capacity_ = capacity;
}

void WordList::AppendText(std::string&& text) {
  // Entry i + 1 begins one byte after entry i ends.
  size_t base = 0;
  if (buf_.empty() && size_ == 0) {
    buf_ = std::move(text);  // keep the file's own buffer: no second copy
  } else {
    base = size_ == 0 ? buf_.size() : End(size_ - 1) + 1;
    if (base > buf_.size()) buf_ += '\n';
    buf_ += text;
    std::string().swap(text);
  }
  char* const p = &buf_[0];
  const size_t end = buf_.size();
  if (base == end) return;
  const bool wide = ends64_ || static_cast<uint64_t>(end) > kWideOffsetsFrom;
  Reserve(size_ + EstimateLines(p + base, end - base), wide);
  if (ends64_) {
    Split(p, base, end, ends64_.get());
  } else {
    Split(p, base, end, ends32_.get());
  }
}

template <class Offset>
void WordList::Split(char* const p, const size_t base, const size_t end, Offset* table) {
  Offset* out = table + size_;
  Offset* limit = table + capacity_;
  const auto add = [&](size_t e) {
    if (out == limit) {
      size_ = static_cast<size_t>(out - table);
      Reserve(capacity_ + capacity_ / 2 + 1024, sizeof(Offset) > 4);
      table = sizeof(Offset) > 4 ? reinterpret_cast<Offset*>(ends64_.get()) : reinterpret_cast<Offset*>(ends32_.get());
      out = table + size_;
      limit = table + capacity_;
    }
    *out++ = static_cast<Offset>(e);
  };

  // Plain LF lines, the usual case: every LF already is the byte after an
  // entry and nothing moves. The first CR or NUL sends the rest, from the
  // start of its line, to the general loop below.
  size_t r = base;
  bool plain = true;
  size_t i = base;
#ifdef __SSE2__
  {
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    const auto load = [&](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)); };
    const auto lfs = [&](__m128i v) { return static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))); };
    const auto special = [&](__m128i v) { return _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, zero)); };
    // 64 bytes at a time: one test for CR or NUL and one mask of LFs.
    const size_t firstEntry = static_cast<size_t>(out - table);
    for (; i + 64 <= end; i += 64) {
      const __m128i v0 = load(i), v1 = load(i + 16), v2 = load(i + 32), v3 = load(i + 48);
      if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(special(v0), special(v1)), _mm_or_si128(special(v2), special(v3)))) != 0) {
        break;  // the 16-byte loop below finds where
      }
      uint64_t m = lfs(v0) | lfs(v1) << 16 | lfs(v2) << 32 | lfs(v3) << 48;
      if (limit - out >= 64) {
        for (; m != 0; m &= m - 1) *out++ = static_cast<Offset>(i + static_cast<size_t>(__builtin_ctzll(m)));
      } else {
        for (; m != 0; m &= m - 1) add(i + static_cast<size_t>(__builtin_ctzll(m)));
      }
    }
    if (static_cast<size_t>(out - table) > firstEntry) r = static_cast<size_t>(out[-1]) + 1;
    for (; i + 16 <= end; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, zero))) != 0) {
        plain = false;
        break;
      }
      for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))); m != 0; m &= m - 1) {
        const size_t at = i + static_cast<size_t>(__builtin_ctz(m));
        add(at);
        r = at + 1;
      }
    }
  }
#endif
  for (; plain && i < end; ++i) {
    if (p[i] == '\r' || p[i] == '\0') {
      plain = false;
    } else if (p[i] == '\n') {
      add(i);
      r = i + 1;
    }
  }
  if (plain) {
    if (r < end) add(end);  // a last line without LF
    size_ = static_cast<size_t>(out - table);
    return;
  }

  // Entries are packed towards the front as CRs and text after a NUL are
  // dropped; the write position never passes the read position.
  size_t w = r;
  const size_t from = r;
  const bool hasNul = std::memchr(p + r, '\0', end - r) != nullptr;
  const auto take = [&](size_t lineEnd, bool lf) {
    size_t len = lineEnd - r;
    if (lf && len > 0 && p[lineEnd - 1] == '\r') --len;
    if (hasNul) {
      if (const void* nul = std::memchr(p + r, '\0', len)) len = static_cast<size_t>(static_cast<const char*>(nul) - (p + r));
    }
    if (w != r) std::memmove(p + w, p + r, len);
    w += len;
    add(w);
    r = lineEnd + 1;
  };
  ForEachLf(p + from, end - from, [&](size_t at) {
    take(from + at, true);
    p[w++] = '\n';
  });
  if (r < end) take(end, false);
  size_ = static_cast<size_t>(out - table);
  // Giving back the dropped bytes costs a second copy of the whole text for
  // a moment; only worth it when they were a good part of it, not for a
  // 100 MB line that lost one CR.
  const bool worthShrinking = end - w > end / 4;
  buf_.resize(w);
  if (worthShrinking) buf_.shrink_to_fit();
}

void WordList::Clear() {
  std::string().swap(buf_);
  ends32_.reset();
  ends64_.reset();
  size_ = capacity_ = 0;
}

size_t WordList::Find(std::string_view word) const {
  const char* const p = buf_.data();
  const size_t n = word.size();
  const size_t textEnd = size_ == 0 ? 0 : End(size_ - 1);
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
    // The entry that ends where the match ends.
    size_t lo = 0, hi = size_;
    while (lo < hi) {
      const size_t mid = lo + (hi - lo) / 2;
      if (End(mid) < hit + n) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    return lo;
  }
  size_t begin = 0;
  for (size_t i = 0; i < size_; ++i) {
    const size_t e = End(i);
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
