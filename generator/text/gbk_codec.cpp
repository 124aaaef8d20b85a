#include "gbk_codec.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace wordloom {
namespace {

constexpr size_t GbkIndex(unsigned lead, unsigned trail) { return (lead - 0x81) * 191 + (trail - 0x40); }

#ifndef _WIN32
// Decodes the 190 codes of one lead byte in as few iconv calls as the row's
// gaps allow (one code at a time costs milliseconds at every start). A code
// iconv refuses stays 0; if the output ever stops pairing one character with
// one code, the row is decoded code by code instead.
template <class Decode>
void DecodeRow(iconv_t cd, unsigned lead, char32_t row[191], Decode& decodeOne) {
  char in[190 * 2];
  unsigned trails[190];
  size_t count = 0;
  for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
    if (trail == 0x7F) continue;
    trails[count] = trail;
    in[2 * count] = static_cast<char>(lead);
    in[2 * count + 1] = static_cast<char>(trail);
    ++count;
  }
  unsigned char out[190 * 4];
  size_t next = 0;  // first code not yet decoded
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (next < count) {
    char* ip = in + 2 * next;
    char* op = reinterpret_cast<char*>(out);
    size_t il = 2 * (count - next), ol = sizeof out;
    const bool stopped = iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1);
    const size_t usedIn = static_cast<size_t>(ip - (in + 2 * next));
    const size_t made = static_cast<size_t>(op - reinterpret_cast<char*>(out));
    if (usedIn % 2 != 0 || made % 4 != 0 || made / 4 != usedIn / 2 || (stopped && errno != EILSEQ && errno != EINVAL)) {
      for (size_t i = next; i < count; ++i) row[trails[i] - 0x40] = decodeOne(in + 2 * i, 2);
      return;
    }
    for (size_t i = 0; i < made / 4; ++i) {
      const unsigned char* u = out + 4 * i;
      row[trails[next + i] - 0x40] = u[0] | u[1] << 8 | u[2] << 16 | static_cast<char32_t>(u[3]) << 24;
    }
    next += usedIn / 2;
    if (!stopped) break;
    ++next;  // the refused code stays 0
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
}
#endif

// Both directions of the code page, filled once from the platform's own
// code-page-936 decoder so the two builds agree with their systems.
struct GbkTables {
  std::vector<uint16_t> toGbk = std::vector<uint16_t>(0x10000, 0);         // BMP -> code, 0 none
  std::vector<char16_t> fromGbk = std::vector<char16_t>(126 * 191, 0);     // code -> BMP, 0 none
  char16_t single80 = 0;

  GbkTables() {
#ifdef _WIN32
    auto decode = [](const char* in, size_t len) -> char32_t {
      wchar_t w[2];
      int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, in, static_cast<int>(len), w, 2);
      return n == 1 ? static_cast<char32_t>(w[0]) : 0;
    };
#else
    iconv_t cd = iconv_open("UTF-32LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    auto decode = [cd](const char* in, size_t len) -> char32_t {
      char inBuf[2] = {in[0], len > 1 ? in[1] : '\0'};
      unsigned char outBuf[8];
      char* ip = inBuf;
      char* op = reinterpret_cast<char*>(outBuf);
      size_t il = len, ol = sizeof outBuf;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0 || ol != 4) return 0;
      return outBuf[0] | outBuf[1] << 8 | outBuf[2] << 16 | static_cast<char32_t>(outBuf[3]) << 24;
    };
#endif
    const char euro = static_cast<char>(0x80);
    char32_t e = decode(&euro, 1);
    if (e > 0 && e < 0x10000) {
      single80 = static_cast<char16_t>(e);
      toGbk[e] = 0x80;
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      char32_t row[191] = {};
#ifdef _WIN32
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        row[trail - 0x40] = decode(code, 2);
      }
#else
      DecodeRow(cd, lead, row, decode);
#endif
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        const char32_t cp = row[trail - 0x40];
        if (trail == 0x7F || cp < 0x80 || cp >= 0x10000) continue;
        fromGbk[GbkIndex(lead, trail)] = static_cast<char16_t>(cp);
        if (toGbk[cp] == 0) toGbk[cp] = static_cast<uint16_t>(lead << 8 | trail);
      }
    }
#ifndef _WIN32
    iconv_close(cd);
#endif
  }
};

const GbkTables& Tables() {
  static const GbkTables tables;
  return tables;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

const uint16_t* GbkCodeTable() { return Tables().toGbk.data(); }

size_t EncodeGbk(char32_t cp, char out[2]) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp >= 0x10000) return 0;
  uint16_t code = Tables().toGbk[cp];
  if (code == 0) return 0;
  if (code < 0x100) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  out[0] = static_cast<char>(code >> 8);
  out[1] = static_cast<char>(code & 0xFF);
  return 2;
}

size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned c = b(i);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t len;
  char32_t min;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2, cp = c & 0x1F, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3, cp = c & 0x0F, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (b(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

bool IsValidUtf8(std::string_view s) {
  char32_t cp;
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    size_t n = DecodeUtf8(s, i, cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8, size_t* badOffset) {
  std::string out;
  out.reserve(utf8.size());
  char gbk[2];
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp;
    const size_t n = DecodeUtf8(utf8, i, cp);
    const size_t m = n ? EncodeGbk(cp, gbk) : 0;
    if (m == 0) {
      if (badOffset) *badOffset = i;
      return std::nullopt;
    }
    out.append(gbk, m);
    i += n;
  }
  return out;
}

std::string GbkToUtf8(std::string_view gbk) {
  const GbkTables& t = Tables();
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (size_t i = 0; i < gbk.size(); ++i) {
    const unsigned c = static_cast<unsigned char>(gbk[i]);
    char32_t cp = 0xFFFD;
    if (c < 0x80) {
      cp = c;
    } else if (c == 0x80) {
      if (t.single80) cp = t.single80;
    } else if (c <= 0xFE && i + 1 < gbk.size()) {
      const unsigned trail = static_cast<unsigned char>(gbk[i + 1]);
      if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
        if (char16_t u = t.fromGbk[GbkIndex(c, trail)]) cp = u;
        ++i;  // a well-placed pair is consumed even when unassigned
      }
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace wordloom
