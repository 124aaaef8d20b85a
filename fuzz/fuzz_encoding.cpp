// Encoding detection and conversion of library files, checked against the
// system's iconv (an independent decoder) and against round trips.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "gbk_codec.h"
#include "library_encoding.h"

using namespace wordloom;

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}
#define CHECK(cond) \
  do {              \
    if (!(cond)) Fail(#cond); \
  } while (0)

// The whole of `in` converted by iconv, or nothing when iconv refuses any of it.
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) Fail("iconv_open");
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

bool ValidUtf8(std::string_view s) { return Iconv("UTF-32LE", "UTF-8", s).has_value(); }

bool HasNonAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Converts `bytes` as `encoding`; nothing on failure, with the line it gave.
std::optional<std::string> Convert(std::string bytes, LibraryEncoding encoding, ConversionFailure& failure) {
  if (!ConvertLibraryToGbk(bytes, encoding, failure)) return std::nullopt;
  return bytes;
}

// Offset just past the (line-1)th line end of `body`, in units of `unit`
// bytes whose value is LF.
size_t StartOfLine(std::string_view body, size_t line, bool utf16, bool bigEndian) {
  size_t seen = 1, i = 0;
  const size_t step = utf16 ? 2 : 1;
  for (; i + step <= body.size() && seen < line; i += step) {
    const bool lf = utf16 ? (bigEndian ? body[i] == 0 && body[i + 1] == '\n' : body[i] == '\n' && body[i + 1] == 0)
                          : body[i] == '\n';
    if (lf) ++seen;
  }
  CHECK(seen == line);
  return i;
}

void CheckLibraryConversion(const std::string& data, LibraryEncoding encoding) {
  const bool utf16 = encoding == LibraryEncoding::kUtf16Le || encoding == LibraryEncoding::kUtf16Be;
  const bool bigEndian = encoding == LibraryEncoding::kUtf16Be;
  const size_t skip = encoding == LibraryEncoding::kUtf8Bom ? 3 : utf16 ? 2 : 0;
  if (data.size() < skip) return;
  const std::string prefix = data.substr(0, skip);
  const std::string_view body = std::string_view(data).substr(skip);

  ConversionFailure failure;
  const std::optional<std::string> gbk = Convert(data, encoding, failure);
  if (encoding == LibraryEncoding::kGbk) {
    CHECK(gbk && *gbk == data);  // GBK bytes are taken unchanged
    return;
  }
  // (iconv copies UTF-8 to UTF-8 without looking, so validity comes from UTF-32.)
  const std::optional<std::string> asUtf8 =
      utf16 ? Iconv("UTF-8", bigEndian ? "UTF-16BE" : "UTF-16LE", body)
            : ValidUtf8(body) ? std::optional<std::string>(body) : std::nullopt;
  if (gbk) {
    // Whatever converts decodes the same as iconv reads it, and comes back.
    CHECK(asUtf8.has_value());
    CHECK(GbkToUtf8(*gbk) == *asUtf8);
    CHECK(gbk->size() <= body.size());
    return;
  }
  if (!failure.notGbk) CHECK(!asUtf8.has_value());  // called malformed: iconv agrees
  // The named line is the first that fails: everything before it converts.
  CHECK(failure.line >= 1);
  const size_t start = StartOfLine(body, failure.line, utf16, bigEndian);
  ConversionFailure again;
  CHECK(Convert(prefix + std::string(body.substr(0, start)), encoding, again).has_value());
  size_t end = start;
  const size_t step = utf16 ? 2 : 1;
  while (end + step <= body.size()) {
    const bool lf = utf16 ? (bigEndian ? body[end] == 0 && body[end + 1] == '\n' : body[end] == '\n' && body[end + 1] == 0)
                          : body[end] == '\n';
    end += step;
    if (lf) break;
  }
  if (end + step > body.size()) end = body.size();
  CHECK(!Convert(prefix + std::string(body.substr(0, end)), encoding, again).has_value());
  CHECK(again.line == failure.line && again.notGbk == failure.notGbk);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string data(reinterpret_cast<const char*>(bytes), size);

  // Detection: a byte-order mark decides, then valid UTF-8 with non-ASCII.
  const LibraryEncoding detected = DetectLibraryEncoding(data);
  const bool valid = ValidUtf8(data);
  CHECK(IsValidUtf8(data) == valid);
  LibraryEncoding expected = LibraryEncoding::kGbk;
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    expected = LibraryEncoding::kUtf8Bom;
  } else if (data.compare(0, 2, "\xFF\xFE") == 0) {
    expected = LibraryEncoding::kUtf16Le;
  } else if (data.compare(0, 2, "\xFE\xFF") == 0) {
    expected = LibraryEncoding::kUtf16Be;
  } else if (HasNonAscii(data) && valid) {
    expected = LibraryEncoding::kUtf8;
  }
  CHECK(detected == expected);

  // Conversion as detected, and as each other reading a user could force.
  CheckLibraryConversion(data, detected);
  for (LibraryEncoding e : {LibraryEncoding::kUtf8, LibraryEncoding::kUtf16Le, LibraryEncoding::kUtf16Be}) {
    if (e != detected) CheckLibraryConversion(data, e);
  }

  // UTF-8 text to GBK (the core word's road) and back.
  std::string gbk;
  size_t bad = data.size();
  if (Utf8ToGbk(data, gbk, bad)) {
    CHECK(valid);
    CHECK(GbkToUtf8(gbk) == data);
  } else {
    CHECK(bad < data.size());
    std::string head;
    size_t bad2 = 0;
    CHECK(Utf8ToGbk(std::string_view(data).substr(0, bad), head, bad2));
    char32_t cp = 0;
    char out[2];
    const size_t n = DecodeUtf8(data, bad, cp);
    CHECK(n == 0 || EncodeGbk(cp, out) == 0);
    if (n != 0) CHECK(ValidUtf8(std::string_view(data).substr(bad, n)));
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
