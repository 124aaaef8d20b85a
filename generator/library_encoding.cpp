#include "library_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gbk_codec.h"

namespace wordloom {
namespace {

bool StartsWith(const std::string& s, const char* prefix, size_t n) { return s.size() >= n && s.compare(0, n, prefix, n) == 0; }

LibraryEncoding DetectByteOrderMark(const std::string& bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return LibraryEncoding::kUtf8Bom;
  if (StartsWith(bytes, "\xFF\xFE", 2)) return LibraryEncoding::kUtf16Le;
  if (StartsWith(bytes, "\xFE\xFF", 2)) return LibraryEncoding::kUtf16Be;
  return LibraryEncoding::kGbk;
}

bool HasNonAscii(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Writes the GBK form of `cp` at bytes[w]; the caller guarantees room.
bool Put(std::string& bytes, size_t& w, char32_t cp) {
  char gbk[2];
  size_t n = EncodeGbk(cp, gbk);
  if (n == 0) return false;
  bytes[w++] = gbk[0];
  if (n == 2) bytes[w++] = gbk[1];
  return true;
}

enum class Utf8Outcome { kConverted, kMalformed, kNoGbkForm };

// Converts UTF-8 from bytes[start] on to GBK in place, stopping at the first
// malformed sequence or character without a GBK form; `nonAscii` tells
// whether anything but ASCII came by. Whatever stops it, bytes[0, w) holds
// the GBK form of bytes[start, r) as it was, and bytes[r, end) is untouched.
// (Positions are kept in locals: stores through the byte pointer could alias
// anything reached by reference.)
Utf8Outcome ConvertUtf8Prefix(std::string& bytes, size_t start, size_t& rOut, size_t& wOut, bool& nonAsciiOut) {
  const uint16_t* const table = GbkCodeTable();
  unsigned char* const s = reinterpret_cast<unsigned char*>(&bytes[0]);
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
    const size_t len = DecodeUtf8(bytes, r, cp);
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

// The line of the character at the end of the converted prefix: line ends
// come through the conversion unchanged, and no GBK byte is an LF.
size_t LineAt(const std::string& bytes, size_t w) {
  return 1 + static_cast<size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(w), '\n'));
}

bool ConvertUtf8(std::string& bytes, size_t start, ConversionFailure& failure) {
  size_t r, w;
  bool nonAscii;
  const Utf8Outcome outcome = ConvertUtf8Prefix(bytes, start, r, w, nonAscii);
  if (outcome != Utf8Outcome::kConverted) {
    failure = {LineAt(bytes, w), outcome == Utf8Outcome::kNoGbkForm};
    return false;
  }
  bytes.resize(w);
  return true;
}

bool ConvertUtf16(std::string& bytes, bool bigEndian, ConversionFailure& failure) {
  size_t w = 0, line = 1;
  const auto unit = [&](size_t r) -> char32_t {
    const unsigned a = static_cast<unsigned char>(bytes[r]), b = static_cast<unsigned char>(bytes[r + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  for (size_t r = 2; r < bytes.size(); r += 2) {
    if (r + 1 >= bytes.size()) {
      failure = {line, false};  // odd byte at the end
      return false;
    }
    char32_t cp = unit(r);
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      // Characters beyond the BMP have no GBK form; a lone surrogate is malformed.
      bool pair = cp <= 0xDBFF && r + 3 < bytes.size() && unit(r + 2) >= 0xDC00 && unit(r + 2) <= 0xDFFF;
      failure = {line, pair};
      return false;
    }
    if (!Put(bytes, w, cp)) {
      failure = {line, true};
      return false;
    }
    if (cp == '\n') ++line;
  }
  bytes.resize(w);
  return true;
}

}  // namespace

LibraryEncoding DetectLibraryEncoding(const std::string& bytes) {
  const LibraryEncoding marked = DetectByteOrderMark(bytes);
  if (marked != LibraryEncoding::kGbk) return marked;
  if (HasNonAscii(bytes) && IsValidUtf8(bytes)) return LibraryEncoding::kUtf8;
  return LibraryEncoding::kGbk;
}

bool ConvertLibraryToGbk(std::string& bytes, LibraryEncoding encoding, ConversionFailure& failure) {
  switch (encoding) {
    case LibraryEncoding::kGbk: return true;
    case LibraryEncoding::kUtf8: return ConvertUtf8(bytes, 0, failure);
    case LibraryEncoding::kUtf8Bom: return ConvertUtf8(bytes, 3, failure);
    case LibraryEncoding::kUtf16Le: return ConvertUtf16(bytes, false, failure);
    case LibraryEncoding::kUtf16Be: return ConvertUtf16(bytes, true, failure);
  }
  return true;
}

bool BringLibraryToGbk(std::string& bytes, LibraryEncoding& encoding, ConversionFailure& failure) {
  encoding = DetectByteOrderMark(bytes);
  if (encoding != LibraryEncoding::kGbk) return ConvertLibraryToGbk(bytes, encoding, failure);
  // Without a mark: convert as UTF-8 while the text stays valid UTF-8. If it
  // turns out not to be, the converted part is turned back into the very
  // UTF-8 it came from (every GBK code made here decodes to its character),
  // and the text is GBK.
  size_t r, w;
  bool nonAscii;
  const Utf8Outcome outcome = ConvertUtf8Prefix(bytes, 0, r, w, nonAscii);
  if (outcome == Utf8Outcome::kConverted) {
    if (nonAscii) {
      encoding = LibraryEncoding::kUtf8;
      bytes.resize(w);
    }
    return true;
  }
  if (outcome == Utf8Outcome::kNoGbkForm && IsValidUtf8(std::string_view(bytes).substr(r))) {
    encoding = LibraryEncoding::kUtf8;
    failure = {LineAt(bytes, w), true};
    return false;
  }
  if (nonAscii) {
    const std::string original = GbkToUtf8(std::string_view(bytes).substr(0, w));
    std::memcpy(&bytes[0], original.data(), original.size());
  }
  return true;
}

const char* EncodingName(LibraryEncoding encoding) {
  switch (encoding) {
    case LibraryEncoding::kGbk: return "GBK";
    case LibraryEncoding::kUtf8:
    case LibraryEncoding::kUtf8Bom: return "UTF-8";
    case LibraryEncoding::kUtf16Le:
    case LibraryEncoding::kUtf16Be: return "UTF-16";
  }
  return "";
}

}  // namespace wordloom
