#include "crt_atoi.h"

#include <limits>

namespace wordloom {

int32_t CrtAtoi(std::string_view text) {
  size_t i = 0;
  // The C locale's isspace set.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const int64_t limit = negative ? -int64_t{std::numeric_limits<int32_t>::min()}
                                 : int64_t{std::numeric_limits<int32_t>::max()};
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value >= limit) {
      value = limit;  // saturated; the remaining digits cannot change it
      break;
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace wordloom
