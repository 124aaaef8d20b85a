#pragma once
#include <optional>
#include <string>

namespace wordloom {

// The terminal's text: UTF-8, unless the locale's codeset is a GB one. On
// Windows, the console's code page (the ANSI one when there is no console).
class TerminalText {
 public:
  TerminalText();  // reads the locale; call after setlocale(LC_ALL, "")
  // An argument as GBK bytes, or nothing when it has a character without a GBK form.
  std::optional<std::string> ToGbk(const std::string& arg) const;
  // A UTF-8 message in the terminal's encoding.
  std::string FromUtf8(const std::string& utf8) const;
  bool gbk() const { return gbk_; }

 private:
  bool gbk_ = false;
#ifdef _WIN32
  unsigned codePage_ = 65001;
#endif
};

}  // namespace wordloom
