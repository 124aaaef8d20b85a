// Encoding detection and conversion of library files, checked against the
// system's iconv (an independent decoder) and against round trips.
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "gbk_codec.h"
#include "library_encoding.h"

using namespace wordloom;

namespace {

// The whole of `in` converted by iconv, or nothing when iconv refuses any of it.
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  CHECK(cd != reinterpret_cast<iconv_t>(-1));
  std::string out(in.size() * 4 + 16, '\0');
  char* ip = const_cast<char*>(in.data());
  char* op = &out[0];
  size_t il = in.size(), ol = out.size();
  const size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || il != 0) return std::nullopt;
  out.resize(out.size() - ol);
  return out;
}

// (iconv copies UTF-8 to UTF-8 without looking, so validity comes from UTF-32.)
bool ValidUtf8(std::string_view s) { return Iconv("UTF-32LE", "UTF-8", s).has_value(); }

// Converts `bytes` as `encoding`; nothing on failure, with the line it gave.
std::optional<std::string> Convert(std::string bytes, LibraryEncoding encoding, ConversionFailure& failure) {
  return ConvertLibraryToGbk(bytes, encoding, failure) ? std::optional<std::string>(bytes) : std::nullopt;
}

void CheckLibraryConversion(const std::string& data, LibraryEncoding encoding) {
  const bool utf16 = encoding == LibraryEncoding::kUtf16Le || encoding == LibraryEncoding::kUtf16Be;
  const bool bigEndian = encoding == LibraryEncoding::kUtf16Be;
  const size_t skip = encoding == LibraryEncoding::kUtf8Bom ? 3 : utf16 ? 2 : 0, step = utf16 ? 2 : 1;
  if (data.size() < skip) return;
  const std::string prefix = data.substr(0, skip);
  const std::string_view body = std::string_view(data).substr(skip);
  // Offset just past the first line end (an LF unit) from `i`; npos when there is none.
  const auto pastLineEnd = [&](size_t i) {
    for (; i + step <= body.size(); i += step) {
      if (utf16 ? body.substr(i, 2) == (bigEndian ? std::string_view("\0\n", 2) : std::string_view("\n\0", 2))
                : body[i] == '\n')
        return i + step;
    }
    return std::string_view::npos;
  };

  ConversionFailure failure;
  const std::optional<std::string> gbk = Convert(data, encoding, failure);
  if (encoding == LibraryEncoding::kGbk) return CHECK(gbk && *gbk == data);  // GBK bytes are taken unchanged
  const std::optional<std::string> asUtf8 = utf16 ? Iconv("UTF-8", bigEndian ? "UTF-16BE" : "UTF-16LE", body)
                                            : ValidUtf8(body) ? std::optional<std::string>(body)
                                                              : std::nullopt;
  if (gbk) {  // whatever converts decodes the same as iconv reads it
    return CHECK(asUtf8 && GbkToUtf8(*gbk) == *asUtf8 && gbk->size() <= body.size());
  }
  if (!failure.notGbk) CHECK(!asUtf8.has_value());  // called malformed: iconv agrees
  // The named line is the first that fails: everything before it converts, and with it does not.
  CHECK(failure.line >= 1);
  size_t start = 0;
  for (size_t line = 1; line < failure.line; ++line) CHECK((start = pastLineEnd(start)) != std::string_view::npos);
  ConversionFailure again;
  CHECK(Convert(prefix + std::string(body.substr(0, start)), encoding, again).has_value());
  const size_t lineEnd = pastLineEnd(start);
  const size_t end = lineEnd == std::string_view::npos || lineEnd + step > body.size() ? body.size() : lineEnd;
  CHECK(!Convert(prefix + std::string(body.substr(0, end)), encoding, again).has_value());
  CHECK(again.line == failure.line && again.notGbk == failure.notGbk);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string data(reinterpret_cast<const char*>(bytes), size);

  // Detection: a byte-order mark decides, then valid UTF-8 with non-ASCII.
  const bool valid = ValidUtf8(data);
  CHECK(IsValidUtf8(data) == valid);
  const bool nonAscii = std::any_of(data.begin(), data.end(), [](char c) { return (c & 0x80) != 0; });
  const LibraryEncoding detected = DetectLibraryEncoding(data);
  CHECK(detected == (data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? LibraryEncoding::kUtf8Bom
                     : data.compare(0, 2, "\xFF\xFE") == 0   ? LibraryEncoding::kUtf16Le
                     : data.compare(0, 2, "\xFE\xFF") == 0   ? LibraryEncoding::kUtf16Be
                     : nonAscii && valid                     ? LibraryEncoding::kUtf8
                                                             : LibraryEncoding::kGbk));

  // Conversion as detected, and as each other reading a user could force.
  CheckLibraryConversion(data, detected);
  for (LibraryEncoding e : {LibraryEncoding::kUtf8, LibraryEncoding::kUtf16Le, LibraryEncoding::kUtf16Be}) {
    if (e != detected) CheckLibraryConversion(data, e);
  }

  // UTF-8 text to GBK (the core word's road) and back; a refusal names the
  // first character that is malformed or has no GBK form.
  std::string gbk, head;
  size_t bad = data.size(), bad2 = 0;
  if (Utf8ToGbk(data, gbk, bad)) {
    CHECK(valid && GbkToUtf8(gbk) == data);
  } else {
    CHECK(bad < data.size() && Utf8ToGbk(std::string_view(data).substr(0, bad), head, bad2));
    char32_t cp = 0;
    char out[2];
    const size_t n = DecodeUtf8(data, bad, cp);
    CHECK(n == 0 || (EncodeGbk(cp, out) == 0 && ValidUtf8(std::string_view(data).substr(bad, n))));
  }

  // GBK bytes to UTF-8: always valid UTF-8, the same as iconv where iconv
  // can read the bytes, and stable through a round trip.
  const std::string utf8 = GbkToUtf8(data);
  CHECK(ValidUtf8(utf8));
  if (const std::optional<std::string> ref = Iconv("UTF-8", "CP936", data)) CHECK(utf8 == *ref);
  std::string back;
  if (Utf8ToGbk(utf8, back, bad)) CHECK(GbkToUtf8(back) == utf8);
  return 0;
}
