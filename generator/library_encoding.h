#pragma once
#include <cstddef>
#include <string>

namespace wordloom {

enum class LibraryEncoding { kGbk, kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };

// Which encoding a library file is in: a byte-order mark decides; otherwise
// valid UTF-8 with at least one non-ASCII byte is UTF-8, and everything else
// is taken as GBK bytes.
LibraryEncoding DetectLibraryEncoding(const std::string& bytes);

struct ConversionFailure {
  size_t line = 0;        // 1-based line of the offending character
  bool notGbk = false;    // true: valid text without a GBK form; false: malformed
};

// Brings library bytes to GBK in place (the GBK form is never longer than
// the UTF-8 or UTF-16 form). Returns false and fills `failure` when a
// character cannot be converted; `bytes` is then unspecified.
bool ConvertLibraryToGbk(std::string& bytes, LibraryEncoding encoding, ConversionFailure& failure);

// DetectLibraryEncoding and ConvertLibraryToGbk in one pass over the text:
// sets `encoding` to what the text turned out to be and brings it to GBK.
bool BringLibraryToGbk(std::string& bytes, LibraryEncoding& encoding, ConversionFailure& failure);

const char* EncodingName(LibraryEncoding encoding);

}  // namespace wordloom
