#include "library_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "encoding_guess.h"
#include "gbk_codec.h"

namespace wordloom {
namespace {

bool StartsWith(const Bytes& b, const char* prefix, size_t n) {
  return b.size() >= n && std::memcmp(b.data(), prefix, n) == 0;
}

// The line of the character at the end of the converted prefix: line ends
// come through a conversion unchanged, and no GBK byte is an LF.
size_t LineAt(const Bytes& bytes, size_t w) {
  return 1 + static_cast<size_t>(std::count(bytes.data(), bytes.data() + w, '\n'));
}

enum class Utf8Outcome { kConverted, kMalformed, kNoGbkForm };

// Converts UTF-8 from bytes[start] on to GBK in place, stopping at the first
// malformed sequence or character without a GBK form; `nonAscii` tells
// whether anything but ASCII came by. Whatever stops it, bytes[0, w) holds
// the GBK form of bytes[start, r) as it was, and bytes[r, end) is untouched.
// (Positions are kept in locals: stores through the byte pointer could alias
// anything reached by reference.)
Utf8Outcome ConvertUtf8Prefix(Bytes& bytes, size_t start, size_t& rOut, size_t& wOut, bool& nonAsciiOut) {
  const uint16_t* const table = GbkCodeTable();
  unsigned char* const s = reinterpret_cast<unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t r = start, w = 0;
  bool nonAscii = false;
  Utf8Outcome outcome = Utf8Outcome::kConverted;
  for (;;) {
    // ASCII, eight bytes at a time while they last (a whole word is read
    // before any of its bytes is overwritten).
    while (r + 8 <= n) {
      uint64_t v;
      std::memcpy(&v, s + r, 8);
      if (v & 0x8080808080808080ull) break;
      std::memcpy(s + w, &v, 8);
      r += 8;
      w += 8;
    }
    while (r < n && s[r] < 0x80) s[w++] = s[r++];
    if (r >= n) break;
    // Chinese text is three-byte sequences between ASCII line ends: one loop
    // takes both without a branch per character (two bytes are always
    // stored; for ASCII the second is the next input byte itself, so that
    // nothing unread is overwritten), leaving only what it cannot take.
    while (r + 2 < n) {
      const unsigned c0 = s[r], b1 = s[r + 1], b2 = s[r + 2];
      const bool ascii = c0 < 0x80;
      const unsigned cp = (c0 & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (b2 & 0x3Fu);
      const unsigned code = table[cp];
      const bool three = (c0 & 0xF0) == 0xE0 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80 && cp >= 0x800 &&
                         (cp < 0xD800 || cp > 0xDFFF) && code >= 0x100;
      if (!ascii && !three) break;
      nonAscii |= !ascii;
      s[w] = static_cast<unsigned char>(ascii ? c0 : code >> 8);
      s[w + 1] = static_cast<unsigned char>(ascii ? b1 : code & 0xFF);
      r += ascii ? 1 : 3;
      w += ascii ? 1 : 2;
    }
    if (r >= n || s[r] < 0x80) continue;
    nonAscii = true;
    char32_t cp;
    const size_t len = DecodeUtf8(std::string_view(bytes.data(), n), r, cp);
    if (len == 0) {
      outcome = Utf8Outcome::kMalformed;
      break;
    }
    char gbk[2];
    const size_t m = EncodeGbk(cp, gbk);
    if (m == 0) {
      outcome = Utf8Outcome::kNoGbkForm;
      break;
    }
    s[w++] = static_cast<unsigned char>(gbk[0]);
    if (m == 2) s[w++] = static_cast<unsigned char>(gbk[1]);
    r += len;
  }
  rOut = r;
  wOut = w;
  nonAsciiOut = nonAscii;
  return outcome;
}

TextFault Utf8Fault(const Bytes& bytes, size_t w, Utf8Outcome outcome) {
  return {outcome == Utf8Outcome::kNoGbkForm ? TextFault::kNotGbk : TextFault::kMalformed, LineAt(bytes, w), "UTF-8"};
}

TextFault ConvertUtf8(Bytes& bytes, size_t start) {
  size_t r, w;
  bool nonAscii;
  const Utf8Outcome outcome = ConvertUtf8Prefix(bytes, start, r, w, nonAscii);
  if (outcome != Utf8Outcome::kConverted) return Utf8Fault(bytes, w, outcome);
  bytes.Resize(w);
  return {};
}

TextFault ConvertUtf16(Bytes& bytes, size_t start, bool bigEndian) {
  unsigned char* const s = reinterpret_cast<unsigned char*>(bytes.data());
  size_t w = 0, line = 1;
  const auto unit = [&](size_t r) -> char32_t { return bigEndian ? (s[r] << 8 | s[r + 1]) : (s[r + 1] << 8 | s[r]); };
  for (size_t r = start; r < bytes.size(); r += 2) {
    if (r + 1 >= bytes.size()) return {TextFault::kMalformed, line, "UTF-16"};  // odd byte at the end
    const char32_t cp = unit(r);
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      // Characters beyond the BMP have no GBK form; a lone surrogate is malformed.
      const bool pair = cp <= 0xDBFF && r + 3 < bytes.size() && unit(r + 2) >= 0xDC00 && unit(r + 2) <= 0xDFFF;
      return {pair ? TextFault::kNotGbk : TextFault::kMalformed, line, "UTF-16"};
    }
    char gbk[2];
    const size_t m = EncodeGbk(cp, gbk);
    if (m == 0) return {TextFault::kNotGbk, line, "UTF-16"};
    s[w++] = static_cast<unsigned char>(gbk[0]);
    if (m == 2) s[w++] = static_cast<unsigned char>(gbk[1]);
    if (cp == '\n') ++line;
  }
  bytes.Resize(w);
  return {};
}

// No mark: text that reads better as UTF-8 than as GBK is converted, as it
// goes; text that turns out not to be UTF-8 after all is turned back into
// the very bytes it was (every GBK code made here decodes to its character)
// and taken as GBK.
TextFault GuessAndConvert(Bytes& bytes, TextReading::Form& form) {
  if (!LooksLikeUtf8(std::string_view(bytes.data(), bytes.size()))) return {};
  size_t r, w;
  bool nonAscii;
  const Utf8Outcome outcome = ConvertUtf8Prefix(bytes, 0, r, w, nonAscii);
  if (outcome == Utf8Outcome::kConverted) {
    if (nonAscii) bytes.Resize(w);
    form = TextReading::kUtf8;
    return {};
  }
  if (outcome == Utf8Outcome::kNoGbkForm && IsValidUtf8(std::string_view(bytes.data() + r, bytes.size() - r))) {
    return Utf8Fault(bytes, w, outcome);
  }
  if (nonAscii) {
    const std::string original = GbkToUtf8(std::string_view(bytes.data(), w));
    std::memcpy(bytes.data(), original.data(), original.size());
  }
  return {};
}

}  // namespace

TextFault LibraryTextToGbk(Bytes& bytes, LibraryEncoding encoding, TextReading* reading) {
  const bool utf8Mark = StartsWith(bytes, "\xEF\xBB\xBF", 3);
  const bool leMark = StartsWith(bytes, "\xFF\xFE", 2), beMark = StartsWith(bytes, "\xFE\xFF", 2);
  TextReading read;
  const TextReading::Form utf16 = beMark ? TextReading::kUtf16Be : TextReading::kUtf16Le;
  TextFault fault;
  if (encoding != LibraryEncoding::kAuto) {
    read.decided = TextReading::kChosen;
    if (encoding == LibraryEncoding::kUtf8) {
      read.form = TextReading::kUtf8;
      fault = ConvertUtf8(bytes, utf8Mark ? 3 : 0);
    } else if (encoding == LibraryEncoding::kUtf16) {
      read.form = utf16;
      fault = ConvertUtf16(bytes, leMark || beMark ? 2 : 0, beMark);
    }
  } else if (utf8Mark || leMark || beMark) {
    read = {utf8Mark ? TextReading::kUtf8 : utf16, TextReading::kMark};
    fault = utf8Mark ? ConvertUtf8(bytes, 3) : ConvertUtf16(bytes, 2, beMark);
  } else {
    fault = GuessAndConvert(bytes, read.form);
  }
  if (reading) *reading = read;
  return fault;
}

}  // namespace wordloom
