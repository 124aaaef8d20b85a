#include "gbk_codec.h"

#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace wordloom {
namespace {

constexpr size_t GbkIndex(unsigned lead, unsigned trail) { return (lead - 0x81) * 191 + (trail - 0x40); }

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
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        char32_t cp = decode(code, 2);
        if (cp < 0x80 || cp >= 0x10000) continue;
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

bool Utf8ToGbk(std::string_view utf8, std::string& out, size_t& badOffset) {
  char gbk[2];
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp;
    size_t n = DecodeUtf8(utf8, i, cp);
    size_t m = n ? EncodeGbk(cp, gbk) : 0;
    if (m == 0) {
      badOffset = i;
      return false;
    }
    out.append(gbk, m);
    i += n;
  }
  return true;
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
