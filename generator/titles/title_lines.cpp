#include "title_lines.h"

#include <algorithm>
#include <charconv>

namespace wordloom {

char* PutCsvRow(char* p, std::string_view number, std::string_view text, size_t bytes) {
  std::memcpy(p, number.data(), number.size());
  p += number.size();
  *p++ = ',';
  // GBK's trail bytes are never these: the ASCII bytes are the characters.
  const bool quoted = std::any_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
  if (quoted) *p++ = '"';
  for (size_t from = 0; from < text.size();) {
    const size_t quote = quoted ? text.find('"', from) : std::string_view::npos;
    const size_t to = quote == std::string_view::npos ? text.size() : quote + 1;
    std::memcpy(p, text.data() + from, to - from);
    p += to - from;
    if (quote != std::string_view::npos) *p++ = '"';
    from = to;
  }
  if (quoted) *p++ = '"';
  *p++ = ',';
  p = std::to_chars(p, p + 20, bytes).ptr;
  p[0] = '\r';
  p[1] = '\n';
  return p + 2;
}

}  // namespace wordloom
