#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "wordloom/text.h"

// The GBK code page (936) both ways, filled once from the platform's own
// decoder so that each build agrees with its system.
namespace wordloom {

// GBK bytes of a code point, 1 or 2 bytes; 0 when it has no GBK form.
size_t EncodeGbk(char32_t cp, char out[2]);

// EncodeGbk as a table for bulk conversion: 65536 entries indexed by a BMP
// code point, each lead << 8 | trail, a single byte below 0x100, or 0 for
// none (code points below 0x80 are themselves and read 0 here).
const uint16_t* GbkCodeTable();

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace wordloom
