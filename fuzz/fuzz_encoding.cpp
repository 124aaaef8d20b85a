// Library text brought to GBK, from every encoding a user can name or the
// program can find, checked against the system's iconv (an independent
// decoder) and by round trips.
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "gbk_codec.h"
#include "library_text.h"
#include "test_support.h"

using namespace wordloom;

namespace {

// iconv copies UTF-8 to UTF-8 without looking, so validity comes from UTF-32.
bool ValidUtf8(std::string_view s) { return test::Iconv("UTF-32LE", "UTF-8", s).has_value(); }

std::optional<std::string> ToGbk(std::string_view data, LibraryEncoding encoding, TextFault& fault) {
  Bytes bytes = test::BytesOf(data);
  fault = LibraryTextToGbk(bytes, encoding);
  if (fault) return std::nullopt;
  return std::string(bytes.data(), bytes.size());
}

// Converting as UTF-8 or UTF-16: what converts reads as iconv reads it, and
// what is refused as malformed iconv refuses too.
void CheckConversion(std::string_view data, LibraryEncoding encoding) {
  const bool utf16 = encoding == LibraryEncoding::kUtf16;
  const bool be = utf16 && data.substr(0, 2) == "\xFE\xFF";
  const size_t skip = utf16 ? (be || data.substr(0, 2) == "\xFF\xFE" ? 2 : 0) : data.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  const std::string_view body = data.substr(skip);
  TextFault fault;
  const std::optional<std::string> gbk = ToGbk(data, encoding, fault);
  const std::optional<std::string> asUtf8 = utf16 ? test::Iconv("UTF-8", be ? "UTF-16BE" : "UTF-16LE", body)
                                            : ValidUtf8(body) ? std::optional<std::string>(body)
                                                              : std::nullopt;
  if (gbk) return CHECK(asUtf8 && GbkToUtf8(*gbk) == *asUtf8);
  if (fault.kind == TextFault::kMalformed) CHECK(!asUtf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  const bool valid = ValidUtf8(data);
  CHECK(IsValidUtf8(data) == valid);

  // Found by itself: a mark decides; without one the text is taken as GBK
  // unchanged, or, being valid UTF-8, converted as iconv reads it.
  TextFault fault;
  const std::optional<std::string> found = ToGbk(data, LibraryEncoding::kAuto, fault);
  const bool marked = data.substr(0, 3) == "\xEF\xBB\xBF" || data.substr(0, 2) == "\xFF\xFE" || data.substr(0, 2) == "\xFE\xFF";
  if (!marked) CHECK(found ? *found == data || (valid && GbkToUtf8(*found) == data) : valid);
  CHECK(ToGbk(data, LibraryEncoding::kGbk, fault) == std::string(data));
  CheckConversion(data, LibraryEncoding::kUtf8);
  CheckConversion(data, LibraryEncoding::kUtf16);

  // The core word's road, UTF-8 to GBK and back; GBK to UTF-8 as iconv reads it.
  size_t bad = 0;
  if (const std::optional<std::string> gbk = Utf8ToGbk(data, &bad)) {
    CHECK(valid && GbkToUtf8(*gbk) == data);
  } else {
    CHECK(bad < size && Utf8ToGbk(data.substr(0, bad)).has_value());
  }
  const std::string utf8 = GbkToUtf8(data);
  CHECK(ValidUtf8(utf8));
  if (const std::optional<std::string> ref = test::Iconv("UTF-8", "CP936", data)) CHECK(utf8 == *ref);
  return 0;
}
