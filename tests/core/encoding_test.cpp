#include <gtest/gtest.h>

#include "gbk_codec.h"
#include "library_encoding.h"
#include "test_support.h"
#include "word_list.h"

namespace wordloom {
namespace {

using test::Gbk;

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t u : text) {
    char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

TEST(LibraryEncoding, DetectsByMarkOrByValidUtf8) {
  EXPECT_EQ(DetectLibraryEncoding("\xEF\xBB\xBFplain"), LibraryEncoding::kUtf8Bom);
  EXPECT_EQ(DetectLibraryEncoding("\xFF\xFEx\0"), LibraryEncoding::kUtf16Le);
  EXPECT_EQ(DetectLibraryEncoding("\xFE\xFF\0x"), LibraryEncoding::kUtf16Be);
  EXPECT_EQ(DetectLibraryEncoding("连衣裙\n"), LibraryEncoding::kUtf8);
  // Pure ASCII is the same in both; GBK text is rarely valid UTF-8.
  EXPECT_EQ(DetectLibraryEncoding("abc\n"), LibraryEncoding::kGbk);
  EXPECT_EQ(DetectLibraryEncoding(Gbk("连衣裙\n夏季\n")), LibraryEncoding::kGbk);
  // Overlong forms and surrogates are not UTF-8.
  EXPECT_EQ(DetectLibraryEncoding("\xC0\xAF"), LibraryEncoding::kGbk);
  EXPECT_EQ(DetectLibraryEncoding("\xED\xA0\x80"), LibraryEncoding::kGbk);
}

TEST(LibraryEncoding, ConvertsEveryUnicodeFormToTheSameGbk) {
  const std::string expected = Gbk("连衣裙\r\n2026新款\r\n€\r\n");
  const std::string sources[] = {
      "连衣裙\r\n2026新款\r\n€\r\n",
      "\xEF\xBB\xBF连衣裙\r\n2026新款\r\n€\r\n",
      Utf16(u"连衣裙\r\n2026新款\r\n€\r\n", false),
      Utf16(u"连衣裙\r\n2026新款\r\n€\r\n", true),
  };
  for (const std::string& source : sources) {
    std::string bytes = source;
    ConversionFailure failure;
    ASSERT_TRUE(ConvertLibraryToGbk(bytes, DetectLibraryEncoding(bytes), failure));
    EXPECT_EQ(bytes, expected);
  }
}

TEST(LibraryEncoding, ReportsTheLineOfACharacterWithoutGbkForm) {
  std::string bytes = "甲\n乙\n丙 😀\n";
  ConversionFailure failure;
  ASSERT_FALSE(ConvertLibraryToGbk(bytes, DetectLibraryEncoding(bytes), failure));
  EXPECT_EQ(failure.line, 3u);
  EXPECT_TRUE(failure.notGbk);

  bytes = Utf16(u"a\nb\n\xD83D\xDE00\n", false);  // a pair beyond the BMP
  ASSERT_FALSE(ConvertLibraryToGbk(bytes, LibraryEncoding::kUtf16Le, failure));
  EXPECT_EQ(failure.line, 3u);
  EXPECT_TRUE(failure.notGbk);

  bytes = Utf16(u"a\n\xDC00", true);  // a lone low surrogate is broken text
  ASSERT_FALSE(ConvertLibraryToGbk(bytes, LibraryEncoding::kUtf16Be, failure));
  EXPECT_EQ(failure.line, 2u);
  EXPECT_FALSE(failure.notGbk);

  bytes = "\xEF\xBB\xBF" "ok\n\xFF\n";  // marked as UTF-8 but is not
  ASSERT_FALSE(ConvertLibraryToGbk(bytes, LibraryEncoding::kUtf8Bom, failure));
  EXPECT_EQ(failure.line, 2u);
  EXPECT_FALSE(failure.notGbk);
}

}  // namespace
}  // namespace wordloom
