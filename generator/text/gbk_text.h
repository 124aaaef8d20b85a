#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wordloom {

// The bytes of the GBK character at text[i]: two for a lead byte followed by
// a trail byte, else one. Walking a text so from its start never lands in
// the middle of a character.
inline size_t GbkCharSize(std::string_view text, size_t i) {
  const unsigned lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x81 || lead == 0xFF || i + 1 >= text.size()) return 1;
  const unsigned trail = static_cast<unsigned char>(text[i + 1]);
  return trail >= 0x40 && trail != 0x7F && trail != 0xFF ? 2 : 1;
}

// The character at text[i] as one number: a byte below 0x100, a two-byte
// character lead << 8 | trail.
inline uint32_t GbkCharCode(std::string_view text, size_t i, size_t size) {
  const auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(text[k])); };
  return size == 2 ? byte(i) << 8 | byte(i + 1) : byte(i);
}

// The text without the spaces, tabs and full-width spaces at its ends.
inline std::string_view TrimSpaces(std::string_view text) {
  size_t begin = 0, end = 0;
  bool leading = true;
  for (size_t i = 0; i < text.size();) {
    const size_t n = GbkCharSize(text, i);
    const bool space = text[i] == ' ' || text[i] == '\t' || (n == 2 && text.compare(i, 2, "\xA1\xA1") == 0);
    if (leading && space) begin = i + n;
    if (!space) {
      leading = false;
      end = i + n;
    }
    i += n;
  }
  return end > begin ? text.substr(begin, end - begin) : std::string_view();
}

}  // namespace wordloom
