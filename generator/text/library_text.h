#pragma once
#include <cstddef>

#include "bytes.h"
#include "wordloom/text.h"

namespace wordloom {

// Why library text could not be brought to GBK.
struct TextFault {
  enum Kind { kNone, kMalformed, kNotGbk } kind = kNone;
  size_t line = 0;               // 1-based line of the offending character
  const char* encoding = "";     // what the text was read as: "UTF-8", "UTF-16"

  explicit operator bool() const { return kind != kNone; }
};

// Brings library bytes to GBK in place (the GBK form is never longer than
// the UTF-8 or UTF-16 form). kAuto: a byte-order mark decides; without one,
// text that reads as UTF-8 Chinese is converted and everything else is GBK
// as it is. kGbk takes the bytes as they are; kUtf8 and kUtf16 convert,
// skipping a mark (UTF-16 without one is little-endian). On a fault the
// bytes are unspecified. `reading`, when given, is set to what the bytes
// were taken for.
TextFault LibraryTextToGbk(Bytes& bytes, LibraryEncoding encoding, TextReading* reading = nullptr);

}  // namespace wordloom
