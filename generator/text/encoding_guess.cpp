#include "encoding_guess.h"

#include <cstdint>
#include <cstring>

#include "gbk_codec.h"

// Text that is valid UTF-8 can often be read as GBK as well: the GBK bytes of
// 猫 / 茅 / 路 are the UTF-8 of è / é / ·. The two readings are weighed by
// what Chinese text is made of. Each character of a reading costs, by the
// place of its GBK code:
//
//   0  a hanzi of GB2312's first level, or punctuation, digits and full-width
//      letters (GB2312 rows 1 to 3): the bulk of everyday text;
//   1  a hanzi of GB2312's second level;
//   2  anything else GBK holds: its rarer hanzi, Latin letters with accents,
//      Greek, Cyrillic, kana, box drawing;
//   4  a character GBK cannot hold at all (the UTF-8 reading would be
//      refused) - from the UTF-8 reading only.
//
// ASCII costs nothing in either reading. GBK bytes read as UTF-8 come out as
// Latin, Greek, Hebrew, Arabic and the like; UTF-8 bytes read as GBK come out
// as second-level and rarer hanzi, or as a lead byte with no partner, which
// is not GBK at all and decides for UTF-8. Otherwise the text is UTF-8 only
// when that reading costs strictly less: a tie keeps the bytes as GBK, as the
// program took every library before it read Unicode.
//
// Only the first 64 KiB from the first non-ASCII byte are weighed, cut back
// to a line end (or, in one long line, to the start of a UTF-8 character):
// that is plenty of evidence, and keeps a large library's load as fast as
// the conversion alone.
namespace wordloom {
namespace {

constexpr size_t kWindow = 64 * 1024;

int Cost(unsigned lead, unsigned trail) {
  if (trail < 0xA1 || trail == 0xFF) return 2;  // outside GB2312's rows
  if ((lead >= 0xB0 && lead <= 0xD7) || (lead >= 0xA1 && lead <= 0xA3)) return 0;
  if (lead >= 0xD8 && lead <= 0xF7) return 1;
  return 2;
}

// The cost of reading s as UTF-8; -1 when it is not UTF-8.
long Utf8Cost(std::string_view s) {
  const uint16_t* const table = GbkCodeTable();
  long cost = 0;
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const size_t n = DecodeUtf8(s, i, cp);
    if (n == 0) return -1;
    const unsigned code = cp < 0x10000 ? table[cp] : 0;
    cost += code >= 0x100 ? Cost(code >> 8, code & 0xFF) : code == 0 ? 4 : 2;
    i += n;
  }
  return cost;
}

// The cost of reading s as GBK; -1 when it is not GBK. A lead byte that ends
// s is left out when the text goes on (its partner is past the window).
long GbkCost(std::string_view s, bool textGoesOn) {
  long cost = 0;
  for (size_t i = 0; i < s.size();) {
    const unsigned c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    if (c == 0x80) {  // the euro sign, on its own
      cost += 2;
      ++i;
      continue;
    }
    if (i + 1 == s.size() && textGoesOn) break;
    const unsigned t = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    if (c == 0xFF || t < 0x40 || t == 0x7F || t == 0xFF) return -1;
    cost += Cost(c, t);
    i += 2;
  }
  return cost;
}

size_t FirstNonAscii(std::string_view s) {
  size_t i = 0;
  for (uint64_t v; i + 8 <= s.size(); i += 8) {
    std::memcpy(&v, s.data() + i, 8);
    if (v & 0x8080808080808080ull) break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

}  // namespace

bool LooksLikeUtf8(std::string_view text) {
  const size_t begin = FirstNonAscii(text);
  if (begin == text.size()) return false;
  size_t end = text.size();
  if (end - begin > kWindow) {
    end = begin + kWindow;
    const size_t lineEnd = text.rfind('\n', end - 1);
    if (lineEnd != std::string_view::npos && lineEnd >= begin) {
      end = lineEnd + 1;
    } else {
      while (end > begin && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    }
  }
  const std::string_view window = text.substr(begin, end - begin);
  const long asUtf8 = Utf8Cost(window);
  if (asUtf8 < 0) return false;
  const long asGbk = GbkCost(window, end < text.size());
  return asGbk < 0 || asUtf8 < asGbk;
}

}  // namespace wordloom
