// The library file: its line rules, finding the core, and its text brought
// to GBK from each encoding.
#include <gtest/gtest.h>

#include "library_text.h"
#include "test_support.h"
#include "word_list.h"

namespace wordloom {
namespace {

using test::BytesOf;
using test::Gbk;
using V = std::vector<std::string>;

V Entries(const std::string& text) {
  const WordList list(BytesOf(text));
  V out;
  for (size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
  return out;
}

TEST(WordList, SplitsLinesTheWayTextModeReadsThem) {
  EXPECT_EQ(Entries("a\r\nbb\r\n\r\nccc"), (V{"a", "bb", "", "ccc"}));
  EXPECT_EQ(Entries("a\nb\n"), (V{"a", "b"}));
  EXPECT_EQ(Entries("core\naaa\nbbb"), (V{"core", "aaa", "bbb"}));  // plain LF, no line end at the last
  EXPECT_EQ(Entries(""), V{});
  EXPECT_EQ(Entries("\n\n\n"), (V{"", "", ""}));
  EXPECT_EQ(Entries("a\rb\r\r\nc\r"), (V{"a\rb\r", "c\r"}));  // only a CR right before LF goes
  EXPECT_EQ(Entries(" x \t\n"), V{" x \t"});
  EXPECT_EQ(Entries(std::string("ab\0cd\r\nef\n\0\ng", 13)), (V{"ab", "ef", "", "g"}));
  // Long plain LF text goes through the block scan first: up to 64 LFs a block...
  V many;
  for (int i = 0; i < 300; ++i) many.push_back(std::string(i < 100 ? 0 : i * 7 % 9, static_cast<char>('a' + i % 26)));
  std::string lines;
  for (const std::string& entry : many) lines += entry + "\n";
  EXPECT_EQ(Entries(lines), many);
  many.push_back("last");
  EXPECT_EQ(Entries(lines + "last"), many);
  // ...and a NUL or CR far in must still count.
  const std::string line(70, 'x');
  for (const char* odd : {"\0", "\r"}) {
    const std::string text = line + "\n" + line + "\n" + line + std::string(odd, 1) + "tail\n" + line + "\nend";
    const V entries = Entries(text);
    ASSERT_EQ(entries.size(), 5u) << int(odd[0]);
    EXPECT_EQ(entries[2], odd[0] ? line + "\rtail" : line) << "the NUL ends the entry";
    EXPECT_EQ(entries[3], line);
    EXPECT_EQ(entries[4], "end");
  }
}

TEST(WordList, FindsTheFirstExactEntry) {
  const WordList list(BytesOf("x\ny\nx\nabc\nABC\n abc\nlong-entry\nlong-entry\n"));
  EXPECT_EQ(list.Find("x"), 0u);
  EXPECT_EQ(list.Find("y"), 1u);
  EXPECT_EQ(list.Find("ABC"), 4u);
  EXPECT_EQ(list.Find("long-entry"), 6u);
  for (const char* absent : {"Abc", "ab", "bc", "", "long", "entry"}) EXPECT_EQ(list.Find(absent), list.size()) << absent;
  EXPECT_EQ(WordList().Find("x"), 0u);
}

std::string Utf16(const std::u16string& text, bool bigEndian, bool mark = true) {
  std::string out = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char16_t u : text) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

struct TextCase {
  const char* name;
  std::string bytes;
  LibraryEncoding encoding;
  std::string gbk;           // what it becomes, when it converts
  TextFault::Kind fault = TextFault::kNone;
  size_t line = 0;
};

class LibraryText : public testing::TestWithParam<TextCase> {};

TEST_P(LibraryText, BecomesGbkOrNamesTheLine) {
  const TextCase& c = GetParam();
  Bytes bytes = BytesOf(c.bytes);
  const TextFault fault = LibraryTextToGbk(bytes, c.encoding);
  EXPECT_EQ(fault.kind, c.fault);
  if (c.fault == TextFault::kNone) {
    EXPECT_EQ(std::string(bytes.data(), bytes.size()), c.gbk);
  } else {
    EXPECT_EQ(fault.line, c.line);
  }
}

const std::string kText = "连衣裙\r\n2026新款\r\n€§\r\n";
const auto kAuto = LibraryEncoding::kAuto;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, LibraryText,
    testing::Values(
        TextCase{"Utf8", kText, kAuto, Gbk(kText)},
        TextCase{"Utf8WithMark", "\xEF\xBB\xBF" + kText, kAuto, Gbk(kText)},
        TextCase{"Utf16LittleEndian", Utf16(u"连衣裙\r\n2026新款\r\n€§\r\n", false), kAuto, Gbk(kText)},
        TextCase{"Utf16BigEndian", Utf16(u"连衣裙\r\n2026新款\r\n€§\r\n", true), kAuto, Gbk(kText)},
        TextCase{"GbkAsItIs", Gbk(kText), kAuto, Gbk(kText)},
        // 路 in GBK is · in UTF-8: a tie, which keeps GBK. The worked titles take whole GBK libraries so.
        TextCase{"GbkRoadTiesWithMiddleDot", "\xC2\xB7\n", kAuto, "\xC2\xB7\n"},
        TextCase{"Utf8MiddleDotAndAccentInChinese", "米·兰\n咖啡café\n卡布奇诺\n", kAuto, Gbk("米·兰\n咖啡café\n卡布奇诺\n")},
        TextCase{"Utf8OneCharacter", "中\n", kAuto, Gbk("中\n")},
        TextCase{"Utf8WithTheLastRowOfLevel1", "专座\n", kAuto, Gbk("专座\n")},  // 座 is D7F9 in GBK
        TextCase{"Utf8AfterLongAsciiHead", std::string(100000, 'a') + "\n连衣裙\n", kAuto, std::string(100000, 'a') + Gbk("\n连衣裙\n")},
        TextCase{"Utf8OneLongLine", Repeat("连衣裙", 30000), kAuto, Repeat(Gbk("连衣裙"), 30000)},
        TextCase{"Utf8HeadGbkTail", Repeat("连衣裙\n", 30000) + Gbk("夏季\n"), kAuto, Repeat("连衣裙\n", 30000) + Gbk("夏季\n")},
        TextCase{"MarkDecides", "\xEF\xBB\xBF\xC2\xB7\n", kAuto, Gbk("·\n")},
        TextCase{"Utf8CharacterWithoutGbkForm", "甲\n乙\n丙 😀\n", kAuto, "", TextFault::kNotGbk, 3},
        TextCase{"Utf16PairBeyondTheBmp", Utf16(u"a\nb\n\xD83D\xDE00\n", false), kAuto, "", TextFault::kNotGbk, 3},
        TextCase{"Utf16LoneSurrogate", Utf16(u"a\n\xDC00", true), kAuto, "", TextFault::kMalformed, 2},
        TextCase{"Utf16OddLastByte", Utf16(u"a\nb", false) + "x", kAuto, "", TextFault::kMalformed, 2},
        TextCase{"MarkedUtf8ThatIsNot", "\xEF\xBB\xBFok\n\xFF\n", kAuto, "", TextFault::kMalformed, 2},
        // § (U+00A7) in three bytes instead of two: not UTF-8, so GBK bytes as they are.
        TextCase{"OverlongFormIsNotUtf8", "a\n\xE0\x82\xA7\n", kAuto, "a\n\xE0\x82\xA7\n"},
        TextCase{"OverlongFormRefusedAsUtf8", "a\n\xE0\x82\xA7\n", LibraryEncoding::kUtf8, "", TextFault::kMalformed, 2},
        TextCase{"OverlongTwoByteFormRefusedAsUtf8", "a\n\xC1\xA7\n", LibraryEncoding::kUtf8, "", TextFault::kMalformed, 2},
        TextCase{"ForcedGbkKeepsAMark", "\xEF\xBB\xBF" + Gbk("甲"), LibraryEncoding::kGbk, "\xEF\xBB\xBF" + Gbk("甲")},
        TextCase{"ForcedUtf8SkipsItsMark", "\xEF\xBB\xBF" + kText, LibraryEncoding::kUtf8, Gbk(kText)},
        TextCase{"ForcedUtf8ThatIsGbk", "ok\n" + Gbk("甲乙"), LibraryEncoding::kUtf8, "", TextFault::kMalformed, 2},
        TextCase{"ForcedUtf16WithoutMarkIsLittleEndian", Utf16(u"甲\n", false, false), LibraryEncoding::kUtf16,
                 Gbk("甲\n")},
        TextCase{"ForcedUtf16FollowsABigEndianMark", Utf16(u"甲\n", true), LibraryEncoding::kUtf16, Gbk("甲\n")}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wordloom
