// The checks before listing: the library report, banned words matched on
// GBK text, the banned-word list's faults, and the report on a run's titles.
#include <gtest/gtest.h>

#include "banned_words.h"
#include "batch_tally.h"
#include "fingerprint_set.h"
#include "rejected_chars.h"
#include "memory_env.h"
#include "test_support.h"
#include "wordloom/messages.h"
#include "wordloom/text.h"

namespace wordloom {
namespace {

using test::Gbk;

// A report in one line: the reading, the counts, then each kind as its
// count and examples ("line:detail", ">first line" for a duplicate,
// "=bytes" for an entry too long); "-" for a kind not checked. Details show
// as UTF-8, a user-defined character as U+FFFD.
std::string Summary(const LibraryReport& r) {
  static const char* const kForms[] = {"GBK", "UTF-8", "UTF-16LE", "UTF-16BE"};
  static const char* const kDecided[] = {"chosen", "mark", "guess"};
  static const char* const kKinds[] = {"dup", "empty", "space", "sep", "long", "banned", "char"};
  std::string s = std::string(kForms[r.reading.form]) + "/" + kDecided[r.reading.decided] + " lines " +
                  std::to_string(r.lines) + " distinct " + std::to_string(r.distinct);
  for (size_t k = 0; k < LibraryReport::kKinds; ++k) {
    const FindingList& f = r.findings[k];
    s += std::string(" | ") + kKinds[k] + " ";
    if (!f.checked) {
      s += "-";
      continue;
    }
    s += std::to_string(f.count);
    for (const Finding& e : f.examples) {
      s += " " + std::to_string(e.line);
      if (!e.detail.empty()) s += ":" + GbkToUtf8(e.detail);
      if (k == LibraryReport::kDuplicate) s += ">" + std::to_string(e.number);
      if (k == LibraryReport::kTooLong) s += "=" + std::to_string(e.number);
    }
  }
  return s;
}

struct CheckCase {
  const char* name;
  std::string library;
  std::string core;  // UTF-8
  std::string length;
  int separator;
  std::string want;
  LibraryEncoding encoding = LibraryEncoding::kAuto;
};

class LibraryCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(LibraryCheck, FindsWhatAMarketplaceRefuses) {
  const CheckCase& c = GetParam();
  test::MemorySession m(c.library, c.encoding);
  LibraryReport report;
  ASSERT_EQ(m.session.Check({"", Gbk(c.core), c.length, c.separator}, m.front, report), Outcome::kChecked)
      << (m.front.messages.empty() ? "" : m.front.messages[0]);
  EXPECT_EQ(Summary(report), c.want);
  EXPECT_EQ(m.env.Files().size(), 1u) << "a check writes nothing";
}

// After "连衣裙," 13 bytes are left within 20: line 12 (13 bytes) can never go in, line 13 (12) can.
const std::string kEveryKind = Gbk(
    "连衣裙\n 长袖\n长袖\t\n\n长袖\n长袖\na,b\n最佳款\n★爆款\n问准也\nx<y\nABCDEFGHIJKLM\nABCDEFGHIJKL\n"
    "长袖　\n长　袖\n") + "\xAA\xA1\nc\r\r\n" + Gbk("№1\n");

INSTANTIATE_TEST_SUITE_P(
    Findings, LibraryCheck,
    testing::Values(
        CheckCase{"EveryKindWithCoreLengthAndComma", kEveryKind, "连衣裙", "20", 0,
                  "GBK/guess lines 18 distinct 16 | dup 1 6>5 | empty 1 4 | space 3 2 3 14 | sep 1 7:, "
                  "| long 1 12=13 | banned 1 8:最佳 | char 5 9:★ 11:< 16:\xEF\xBF\xBD 17:\r 18:№"},
        // Without a separator or a core the kinds that need them are not looked for;
        // the core's own line is never drawn, so it is never too long.
        CheckCase{"KindsThatNeedInputsAreLeftOut", Gbk("连衣裙\n长袖\n"), "", "", 2,
                  "GBK/guess lines 2 distinct 2 | dup 0 | empty 0 | space 0 | sep - | long - | banned 0 | char 0"},
        CheckCase{"CoreLineIsNeverTooLong", Gbk("连衣裙连衣裙\na\nab\n"), "连衣裙连衣裙", "15", 1,
                  "GBK/guess lines 3 distinct 3 | dup 0 | empty 0 | space 0 | sep 0 | long 1 3=2 | banned 0 | char 0"},
        CheckCase{"MarkDecidesUtf8", "\xEF\xBB\xBF" "特价\n特价\n", "", "", 0,
                  "UTF-8/mark lines 2 distinct 1 | dup 1 2>1 | empty 0 | space 0 | sep 0 | long - | banned 2 1:特价 "
                  "2:特价 | char 0"},
        CheckCase{"Utf16BigEndianByItsMark", std::string("\xFE\xFF\x4E\x00\x00\n", 6), "", "", 0,
                  "UTF-16BE/mark lines 1 distinct 1 | dup 0 | empty 0 | space 0 | sep 0 | long - | banned 0 | char 0"},
        CheckCase{"GuessedUtf8", "包邮\n", "", "", 2,
                  "UTF-8/guess lines 1 distinct 1 | dup 0 | empty 0 | space 0 | sep - | long - | banned 0 | char 0"},
        CheckCase{"ChosenGbkKeepsTheMark", "\xEF\xBB\xBF" "a\n", "", "", 2,
                  "GBK/chosen lines 1 distinct 1 | dup 0 | empty 0 | space 0 | sep - | long - | banned 0 | char 0",
                  LibraryEncoding::kGbk}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(BannedWords, MatchOnlyWhereACharacterBegins) {
  const BannedWords words(Gbk("# a note\n 首家\t\n\n最热　\n第一\n"));
  EXPECT_EQ(words.size(), 3u);
  // 问准也 is CE CA D7 BC D2 B2, and 首家 is CA D7 BC D2: the bytes are there,
  // but from the middle of 问 to the middle of 也. So 米钊人 (C3 D7 EE C8 C8 CB)
  // holds 最热 (D7 EE C8 C8) and 说谝还 (CB B5 DA D2 BB B9) holds 第一 (B5 DA D2 BB).
  for (const char* text : {"问准也", "米钊人", "说谝还", "提问准也好"}) EXPECT_EQ(words.Find(Gbk(text)), nullptr) << text;
  for (const char* text : {"问首家", "最热米", "说第一还"}) EXPECT_NE(words.Find(Gbk(text)), nullptr) << text;
  // A term beginning before `before` and ending past `after`: the join of two entries.
  const std::string joined = Gbk("超第一名");
  EXPECT_NE(words.Find(joined, 0, 4, 4), nullptr);
  EXPECT_EQ(words.Find(joined, 0, 2, 6), nullptr) << "it begins too late";
  EXPECT_EQ(words.Find(joined, 0, 4, 6), nullptr) << "it ends too soon";
}

TEST(BannedWords, ListThatCannotBeUsedSaysWhy) {
  const std::tuple<std::string, Outcome, std::string> cases[] = {
      {"", Outcome::kListUnreadable, msg::BannedListUnreadable("d/banned.txt", "文件或文件夹不存在")},
      {"最佳\nPNG\x1A\n", Outcome::kListNotText, msg::BannedListNotText("d/banned.txt", 2)},
      {std::string("ok\n\0\n", 5), Outcome::kListNotText, msg::BannedListNotText("d/banned.txt", 2)},
      {"ok\n\nDEL\x7F\n", Outcome::kListNotText, msg::BannedListNotText("d/banned.txt", 3)},
      {"\xEF\xBB\xBF\xFF\n", Outcome::kListNotText, msg::BannedListNotText("d/banned.txt", 1)},
      {"# only notes\n \t\n\n", Outcome::kListEmpty, msg::BannedListEmpty("d/banned.txt")},
  };
  for (const auto& [list, outcome, message] : cases) {
    test::MemorySession m("core\naaa\n");
    if (!list.empty()) m.env.Put("d/banned.txt", list);
    m.session.UseBannedList("d/banned.txt");
    LibraryReport report;
    EXPECT_EQ(m.session.Check({}, m.front, report), outcome) << message;
    RunInputs run{"1", "core", "10", 0};
    run.report = true;
    EXPECT_EQ(m.Run(run), outcome) << "a run that needs the list says the same";
    EXPECT_EQ(m.front.messages, (std::vector<std::string>{message, message}));
    EXPECT_EQ(m.front.saveRequests, 0);
  }
}

TEST(BannedWords, BuiltInListHoldsTheLawsTerms) {
  const BannedWords& list = BuiltInBannedWords();
  for (const char* term : {"国家级", "最高级", "最佳", "极品"}) EXPECT_NE(list.Find(Gbk(term)), nullptr) << term;
  EXPECT_EQ(list.Find(Gbk("# 广告法")), nullptr) << "notes are not terms";
}

// Titles of "core a bb ccc" within 12 bytes, worked out in the simulation of
// the rule by hand: core,a,ccc, / core,a,bb, / core,bb,a,a, / core,ccc,a, /
// core,ccc,bb, / core,ccc,bb, (11, 10, 12, 11, 12, 12 bytes).
TEST(BatchReport, CountsTheTitlesAsTheyAreWritten) {
  test::MemorySession m("core\na\nbb\nccc\n");
  m.env.Put("d/banned.txt", "bb\n");
  m.session.UseBannedList("d/banned.txt");
  RunInputs run{"6", "core", "12", 0};
  run.report = true;
  ASSERT_EQ(m.Run(run), Outcome::kWritten);
  const std::string withReport = m.file();
  EXPECT_EQ(withReport, test::TitleFile({"core,a,ccc,", "core,a,bb,", "core,bb,a,a,", "core,ccc,a,", "core,ccc,bb,",
                                         "core,ccc,bb,"}));
  const BatchReport& r = *m.session.lastReport();
  EXPECT_EQ(std::vector<int64_t>({r.titles, r.limit, r.least, r.median, r.most, r.repeating, r.duplicates, r.banned}),
            std::vector<int64_t>({6, 12, 10, 11, 12, 1, 1, 4}));
  EXPECT_EQ(r.repeatingExamples[0].title, 2);
  EXPECT_EQ(r.repeatingExamples[0].detail, "a");
  EXPECT_EQ(r.duplicateExamples[0].title, 5);
  ASSERT_EQ(r.bannedExamples.size(), 3u);
  EXPECT_EQ(r.bannedExamples[2].title, 4);
  EXPECT_EQ(r.bannedList.file, "d/banned.txt");
  // The first four alone: 10, 11, 11, 12 bytes, whose lower middle is 11.
  test::MemorySession four("core\na\nbb\nccc\n");
  run.countText = "4";
  ASSERT_EQ(four.Run(run), Outcome::kWritten);
  const BatchReport& f = *four.session.lastReport();
  EXPECT_EQ(std::vector<int64_t>({f.least, f.median, f.most, f.repeating, f.duplicates}),
            std::vector<int64_t>({10, 11, 12, 1, 0}));
  // The same run without a report writes the same bytes.
  test::MemorySession plain("core\na\nbb\nccc\n");
  ASSERT_EQ(plain.Run({"6", "core", "12", 0}), Outcome::kWritten);
  EXPECT_EQ(plain.file(), withReport);
  EXPECT_FALSE(plain.session.lastReport());
}

// Other systems show GBK's user-defined characters as empty boxes: every
// row of the three areas is refused, and the rows beside them are not.
TEST(RejectedCharacters, UserDefinedAreasAreRefusedToTheirFirstAndLastRow) {
  for (uint32_t code : {0xAAA1u, 0xAAFEu, 0xAFA1u, 0xAFFEu, 0xF8A1u, 0xF8FEu, 0xFEA1u, 0xFEFEu, 0xA140u, 0xA7A0u})
    EXPECT_TRUE(IsRejectedCharacter(code)) << std::hex << code;
  for (uint32_t code : {0xA9FEu, 0xB0A1u, 0xF7FEu, 0xF8A0u, 0xFEA0u, 0xA7A1u, 0xA8A1u, 0xB0A0u})
    EXPECT_FALSE(IsRejectedCharacter(code)) << std::hex << code;
}

// A title that holds an entry three times is one title with a repeat.
TEST(BatchReport, CountsATitleWithRepeatsOnce) {
  const WordList words(test::BytesOf("core\na\nbb\n"));
  const TitleRecipe recipe(words, "core", 60, ',');
  const EntryIds ids(words);
  BatchReport report;
  BatchTally tally(recipe, ids, nullptr, 2, false, report);
  const size_t thrice[] = {1, 1, 2, 1}, once[] = {1, 2};
  tally.Add(0, "core,a,a,bb,a,", 14, thrice, 4);
  tally.Add(1, "core,a,bb,", 10, once, 2);
  EXPECT_EQ(report.repeating, 1);
  ASSERT_EQ(report.repeatingExamples.size(), 1u);
  EXPECT_EQ(report.repeatingExamples[0].title, 0);
}

TEST(FingerprintSet, GrowsPastWhatItWasSizedFor) {
  FingerprintSet set(1);
  for (uint64_t i = 0; i < 5000; ++i) ASSERT_TRUE(set.Insert(i * 0x9E3779B97F4A7C15ull)) << i;
  for (uint64_t i = 0; i < 5000; ++i) ASSERT_FALSE(set.Insert(i * 0x9E3779B97F4A7C15ull)) << i;
}

}  // namespace
}  // namespace wordloom
