#include "library_encoding.h"

#include "gbk_codec.h"

namespace wordloom {
namespace {

bool StartsWith(const std::string& s, const char* prefix, size_t n) { return s.size() >= n && s.compare(0, n, prefix, n) == 0; }

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

bool ConvertUtf8(std::string& bytes, size_t start, ConversionFailure& failure) {
  size_t w = 0, line = 1;
  for (size_t r = start; r < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[r]);
    if (c < 0x80) {  // the common case, and the only one that can be a line end
      if (c == '\n') ++line;
      bytes[w++] = static_cast<char>(c);
      ++r;
      continue;
    }
    char32_t cp;
    size_t n = DecodeUtf8(bytes, r, cp);
    if (n == 0 || !Put(bytes, w, cp)) {
      failure = {line, n != 0};
      return false;
    }
    r += n;
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
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return LibraryEncoding::kUtf8Bom;
  if (StartsWith(bytes, "\xFF\xFE", 2)) return LibraryEncoding::kUtf16Le;
  if (StartsWith(bytes, "\xFE\xFF", 2)) return LibraryEncoding::kUtf16Be;
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
