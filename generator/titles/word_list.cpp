#include "word_list.h"

#include <algorithm>
#include <cstring>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace wordloom {
namespace {

// Texts this long or longer get 64-bit entry offsets.
constexpr uint64_t kWideFrom = std::numeric_limits<uint32_t>::max();

// Entries the text probably holds, judged by its first 64 KB and rounded
// up: the table is sized once in the usual case, and pages of it never
// written cost no memory.
size_t EstimateLines(const char* p, size_t n) {
  const size_t sample = n < 65536 ? n : 65536;
  const size_t lines = static_cast<size_t>(std::count(p, p + sample, '\n'));
  if (sample == n) return lines + 1;
  return static_cast<size_t>(static_cast<double>(n) / static_cast<double>(sample) * static_cast<double>(lines) * 1.125) +
         1024;
}

// Calls f(position) for every LF in p[0, n), in order.
template <class F>
void ForEachLf(const char* p, size_t n, F&& f) {
  for (size_t i = 0; i < n;) {
    const void* hit = std::memchr(p + i, '\n', n - i);
    if (!hit) break;
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - p);
    f(at);
    i = at + 1;
  }
}

}  // namespace

void WordList::Table::operator()(void* p) const { FreeLarge(p); }

WordList::WordList(Bytes&& text) : text_(std::move(text)) {
  if (text_.empty()) return;
  const bool wide = text_.size() >= kWideFrom;
  Reserve(EstimateLines(text_.data(), text_.size()), wide);
  if (wide) {
    Split<uint64_t>();
  } else {
    Split<uint32_t>();
  }
}

void WordList::Reserve(size_t capacity, bool wide) {
  if (capacity <= capacity_) return;
  const size_t width = wide ? sizeof(uint64_t) : sizeof(uint32_t);
  if (capacity > (std::numeric_limits<size_t>::max() / width) - 1) throw std::bad_alloc();
  void* table = AllocateLarge((capacity + 1) * width);
  if (wide) {
    auto* ends = static_cast<uint64_t*>(table) + 1;
    ends[-1] = std::numeric_limits<uint64_t>::max();
    if (size_ > 0) std::memcpy(ends, ends64_, size_ * width);
    ends64_ = ends;
  } else {
    auto* ends = static_cast<uint32_t*>(table) + 1;
    ends[-1] = std::numeric_limits<uint32_t>::max();
    if (size_ > 0) std::memcpy(ends, ends32_, size_ * width);
    ends32_ = ends;
  }
  table_.reset(table);
  capacity_ = capacity;
}

template <class Offset>
void WordList::Split() {
  char* const p = text_.data();
  const size_t end = text_.size();
  Offset* table = ends<Offset>();
  Offset* out = table;
  Offset* limit = table + capacity_;
  const auto add = [&](size_t e) {
    if (out == limit) {
      size_ = static_cast<size_t>(out - table);
      Reserve(capacity_ + capacity_ / 2 + 1024, sizeof(Offset) > 4);
      table = ends<Offset>();
      out = table + size_;
      limit = table + capacity_;
    }
    *out++ = static_cast<Offset>(e);
  };

  // Plain LF lines, the usual case: every LF already is the byte after an
  // entry and nothing moves. The first CR or NUL sends the rest, from the
  // start of its line, to the general loop below.
  size_t r = 0;  // where the next entry begins
  size_t i = 0;
  bool plain = true;
#ifdef __SSE2__
  {
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    const auto load = [&](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)); };
    const auto lfs = [&](__m128i v) {
      return static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))));
    };
    const auto special = [&](__m128i v) { return _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, zero)); };
    // 64 bytes at a time: one test for CR or NUL and one mask of LFs.
    for (; i + 64 <= end; i += 64) {
      const __m128i v0 = load(i), v1 = load(i + 16), v2 = load(i + 32), v3 = load(i + 48);
      if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(special(v0), special(v1)), _mm_or_si128(special(v2), special(v3)))) !=
          0) {
        break;  // the byte-wise loop below finds where
      }
      uint64_t m = lfs(v0) | lfs(v1) << 16 | lfs(v2) << 32 | lfs(v3) << 48;
      if (limit - out >= 64) {
        // Offsets go out eight at a time, whether or not as many LFs are
        // left: a block's LF count varies, and a loop ending on it would be
        // mispredicted about once a block. Past the last LF the store is
        // made but the position stays (the OR keeps ctz defined).
        while (m != 0) {
          for (int k = 0; k < 8; ++k, m &= m - 1) {
            *out = static_cast<Offset>(i + static_cast<size_t>(__builtin_ctzll(m | 1ull << 63)));
            out += m != 0;
          }
        }
      } else {
        for (; m != 0; m &= m - 1) add(i + static_cast<size_t>(__builtin_ctzll(m)));
      }
    }
    if (out > table) r = static_cast<size_t>(out[-1]) + 1;
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
  text_.ShrinkTo(w);
}

size_t WordList::Find(std::string_view word) const {
  const char* const p = text_.data();
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
  for (size_t i = 0; i < size_; ++i) {
    if (End(i) - Begin(i) == n && std::memcmp(p + Begin(i), word.data(), n) == 0) return i;
  }
  return size_;
}

}  // namespace wordloom
