#pragma once
// Part of the text layer's surface: the layers below it may not include it.
#ifdef WORDLOOM_BELOW_TEXT
#error "wordloom/text.h belongs to the text layer, above the one including it"
#endif
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Text between the front ends' Unicode and the GBK bytes of entries, core
// words and title files, and how a library's bytes are read.
namespace wordloom {

// What the library file is in. kAuto reads a byte-order mark, and tells
// UTF-8 Chinese from GBK without one.
enum class LibraryEncoding { kAuto, kGbk, kUtf8, kUtf16 };

// How a library's bytes were taken: as what, and what decided it.
struct TextReading {
  enum Form { kGbk, kUtf8, kUtf16Le, kUtf16Be } form = kGbk;
  enum Decided { kChosen, kMark, kGuess } decided = kGuess;
};

// The GBK form of UTF-8 text, or nothing when it holds a character without
// one (or is not UTF-8); `badOffset`, when given, is set to that character's
// byte offset.
std::optional<std::string> Utf8ToGbk(std::string_view utf8, size_t* badOffset = nullptr);

// GBK bytes as UTF-8; bytes that are not GBK come out as U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

// Decodes one UTF-8 sequence at bytes[i]; returns its length, or 0 when the
// bytes there are not well-formed.
size_t DecodeUtf8(std::string_view bytes, size_t i, char32_t& cp);

}  // namespace wordloom
