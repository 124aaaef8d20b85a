#pragma once
#include <cstdint>

namespace wordloom {

// Characters marketplaces refuse in a title, by GbkCharCode: control
// characters (tab and CR among them), the half-width < and >, the
// decorative symbols ♂ ♀ ¤ § № ☆ ★ ○ ● ◎ ◇ ◆ □ ■ △ ▲ ※ → ← ↑ ↓ 〓, and
// GBK's user-defined areas (AAA1-AFFE, F8A1-FEFE, A140-A7A0), which other
// systems show as empty boxes. Emoji have no GBK form at all: a library
// holding one is refused when it is read.
inline bool IsRejectedCharacter(uint32_t code) {
  if (code < 0x20 || code == 0x7F || code == '<' || code == '>') return true;
  if (code < 0x100) return false;
  const uint32_t lead = code >> 8, trail = code & 0xFF;
  if (lead == 0xA1 && (trail == 0xE1 || trail == 0xE2 || trail == 0xE8 || trail == 0xEC || trail >= 0xED)) return true;
  const bool rowTrail = trail >= 0xA1;
  return ((lead >= 0xAA && lead <= 0xAF) || lead >= 0xF8) ? rowTrail : (lead >= 0xA1 && lead <= 0xA7 && trail < 0xA1);
}

}  // namespace wordloom
