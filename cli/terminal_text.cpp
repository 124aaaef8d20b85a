#include "terminal_text.h"

#include <algorithm>
#include <cctype>

#include "wordloom/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#endif

namespace wordloom {

TerminalText::TerminalText() {
#ifndef _WIN32
  std::string codeset = nl_langinfo(CODESET);
  std::transform(codeset.begin(), codeset.end(), codeset.begin(), [](unsigned char c) { return std::toupper(c); });
  gbk_ = codeset == "GBK" || codeset == "GB2312" || codeset == "GB18030";
#else
  codePage_ = GetConsoleOutputCP();
  if (codePage_ == 0) codePage_ = GetACP();
  gbk_ = codePage_ == 936;
#endif
}

std::optional<std::string> TerminalText::ToGbk(const std::string& arg) const {
#ifndef _WIN32
  if (gbk_) return arg;  // on Windows arguments are UTF-8 whatever the code page
#endif
  return Utf8ToGbk(arg);
}

std::string TerminalText::FromUtf8(const std::string& utf8) const {
#ifdef _WIN32
  // Arguments always arrive as UTF-8 here (see main), whatever the console.
  if (!gbk_ && codePage_ != CP_UTF8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    int m = WideCharToMultiByte(codePage_, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m > 0 ? m : 0), '\0');
    if (m > 0) WideCharToMultiByte(codePage_, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
    return out;
  }
#endif
  if (!gbk_) return utf8;
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    size_t bad = 0;
    const std::string_view rest = std::string_view(utf8).substr(i);
    if (const std::optional<std::string> gbk = Utf8ToGbk(rest, &bad)) {
      out += *gbk;
      break;
    }
    out += *Utf8ToGbk(rest.substr(0, bad));
    out += '?';  // a message character the terminal cannot show
    char32_t cp;
    const size_t n = DecodeUtf8(utf8, i + bad, cp);
    i += bad + (n ? n : 1);
  }
  return out;
}

}  // namespace wordloom
