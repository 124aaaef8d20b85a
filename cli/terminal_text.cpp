#include "terminal_text.h"

#include <algorithm>
#include <cctype>

#include "gbk_codec.h"

#ifndef _WIN32
#include <langinfo.h>
#endif

namespace wordloom {

TerminalText::TerminalText() {
#ifndef _WIN32
  std::string codeset = nl_langinfo(CODESET);
  std::transform(codeset.begin(), codeset.end(), codeset.begin(), [](unsigned char c) { return std::toupper(c); });
  gbk_ = codeset == "GBK" || codeset == "GB2312" || codeset == "GB18030";
#endif
}

std::optional<std::string> TerminalText::ToGbk(const std::string& arg) const {
  if (gbk_) return arg;
  std::string out;
  size_t bad = 0;
  if (!Utf8ToGbk(arg, out, bad)) return std::nullopt;
  return out;
}

std::string TerminalText::FromUtf8(const std::string& utf8) const {
  if (!gbk_) return utf8;
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    size_t bad = utf8.size();
    if (Utf8ToGbk(std::string_view(utf8).substr(i), out, bad)) break;
    out += '?';  // a message character the terminal cannot show
    char32_t cp;
    size_t n = DecodeUtf8(utf8, i + bad, cp);
    i += bad + (n ? n : 1);
  }
  return out;
}

}  // namespace wordloom
