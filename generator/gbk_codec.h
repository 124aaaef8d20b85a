#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Conversion between Unicode text and GBK (code page 936) bytes, the
// encoding of every library entry, core word and title file.
namespace wordloom {

// GBK bytes of a code point, 1 or 2 bytes; 0 when it has no GBK form.
size_t EncodeGbk(char32_t cp, char out[2]);

// EncodeGbk as a table for bulk conversion: 65536 entries indexed by a BMP
// code point, each lead << 8 | trail, a single byte below 0x100, or 0 for
// none (code points below 0x80 are themselves and read 0 here).
const uint16_t* GbkCodeTable();

// Appends the GBK form of valid UTF-8 text to `out`. On a character without
// a GBK form (or invalid UTF-8) returns false and sets `badOffset` to its
// byte offset in `utf8`.
bool Utf8ToGbk(std::string_view utf8, std::string& out, size_t& badOffset);

// GBK bytes to UTF-8, for showing library text or terminal output. Bytes
// that are not GBK come out as U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Decodes one UTF-8 sequence at bytes[i]; returns its length, or 0 when the
// bytes there are not well-formed.
size_t DecodeUtf8(std::string_view bytes, size_t i, char32_t& cp);

}  // namespace wordloom
