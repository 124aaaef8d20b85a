// Titles worked out by hand from the runtime's sequence of a fresh process
// (seed 1: 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464,
// 5705, ...), each written by the real session into a title file.
#include <gtest/gtest.h>

#include <cstdio>

#include "crt_atoi.h"
#include "crt_random.h"
#include "memory_env.h"
#include "rule_draws.h"
#include "title_outs.h"
#include "unique_titles.h"
#include "test_support.h"
#include "wordloom/messages.h"

namespace wordloom {
namespace {

using test::Gbk;

std::string Numbered(size_t n) {
  std::string text;
  char line[16];
  for (size_t i = 0; i < n; ++i) text += (std::snprintf(line, sizeof line, "e%05zu\n", i), line);
  return text;
}

struct Worked {
  const char* name;
  std::string library, core, length, count;
  int separator;  // the list's position: 0 comma, 1 space, else none
  std::vector<std::string> titles;
  int drawsTaken = -1;  // values taken from the sequence, where the titles do not show it
  TitleRules rules = {};
  std::string banned = "";  // the banned-word list, when not the built-in one
};

class WorkedTitles : public testing::TestWithParam<Worked> {};

TEST_P(WorkedTitles, AreWhatTheFileHolds) {
  const Worked& w = GetParam();
  test::MemorySession m(w.library);
  if (!w.banned.empty()) {
    m.env.Put("d/banned.txt", w.banned);
    m.session.UseBannedList("d/banned.txt");
  }
  RunInputs inputs{w.count, w.core, w.length, w.separator};
  inputs.rules = w.rules;
  ASSERT_EQ(m.Run(inputs), Outcome::kWritten) << m.front.messages[0];
  EXPECT_EQ(m.file(), test::TitleFile(w.titles));
  if (w.drawsTaken >= 0) {
    CrtRandom expected;
    for (int i = 0; i < w.drawsTaken; ++i) expected.Next();
    EXPECT_EQ(m.session.randomState(), expected.state());
  }
}

const std::string kAbc = "core\naaa\nbbb\nccc\n";

INSTANTIATE_TEST_SUITE_P(
    Rules, WorkedTitles,
    testing::Values(
        // 41%4=1 fits at 9 bytes with both commas; 18467%4=3 would reach 10. Then 6334%4=2;
        // 26500%4=0 is the core's own and is drawn again.
        Worked{"StopsAtTheFirstDrawThatWouldReachTheLimit", kAbc, "core", "10", "3", 0,
               {"core,aaa,", "core,bbb,", "core,bbb,"}},
        Worked{"WithoutSeparatorAnEntryThatReachesTheLimitExactlyIsLeftOut", kAbc, "core", "10", "1", 2, {"coreaaa"}},
        Worked{"SpaceSeparatorFillsTheLimitExactly", kAbc, "core", "9", "1", 1, {"core aaa "}},
        // 4, 5, 9, 10 ... 29, 30 bytes: five entries, six commas; the failing draw is 29358.
        Worked{"ChineseCharactersCountTwoBytesAndSeparatorsCount", Gbk("核心\n红色\n蓝色\n白色\n"), Gbk("核心"), "30",
               "1", 0, {Gbk("核心,红色,白色,蓝色,红色,蓝色,")}, 8},
        Worked{"CoreThatAloneReachesTheLimitStillTakesItsDraw", "core\nab\n", "core", "1", "2", 0, {"core,", "core,"}, 2},
        Worked{"TitleThatCanNeverGrowTakesNoDraw", "core\n\n\n", "core", "10", "2", 2, {"core", "core"}, 0},
        Worked{"CoreOfExactlyTheLimitTakesItsDrawEvenWhenNothingCanGrow", "core\n\n", "core", "4", "2", 2, {"core", "core"}, 2},
        // 41 and 18467 draw the empty entry; then the core five times, 5705 the empty one again.
        Worked{"EmptyEntriesLeaveSeparatorsSideBySide", "core\n\n", "core", "8", "1", 0, {"core,,,,"}},
        Worked{"DuplicateOfTheCoreCanBeDrawn", "core\ncore\n", "core", "12", "1", 0, {"core,core,"}},
        // 41%2=1, 18467%2=1, 6334%2=0: position 0 is drawable; 26500 stops it.
        Worked{"MissingCoreStartsTheTitleAndExcludesNothing", "aa\nbb\n", "zz", "12", "1", 0, {"zz,bb,bb,aa,"}},
        Worked{"LineFeedInTheCoreIsWrittenAsCrLfButCountsOnce", "xx\nyy\n", "a\nb", "6", "1", -1, {"a\r\nbyy"}},
        Worked{"UpTo32768EntriesOneValueIsOneDraw", Numbered(32768), "C", "13", "1", 2, {"Ce00041"}, 2},
        // (41 << 15 | 18467) = 1361955 is the draw.
        Worked{"Past32768EntriesTwoValuesMakeOneDraw", Numbered(32769), "C", "13", "1", 2, {"Ce18426"}, 4},
        Worked{"TwoValuesReachEveryEntryOf65536", Numbered(65536), "C", "13", "1", 2, {"Ce51235"}, 4},
        // GBK libraries whose bytes are valid UTF-8 too: 猫 / 茅 / 路 and 女装 / 童装 / 皮鞋.
        Worked{"GbkThatReadsAsUtf8TooStaysGbk", "\xC3\xA8\r\n\xC3\xA9\r\n\xC2\xB7\r\n", Gbk("猫"), "12", "3", 0,
               {Gbk("猫,路,路,茅,"), Gbk("猫,路,茅,茅,"), Gbk("猫,路,路,茅,")}},
        Worked{"GbkClothesStayGbk", Gbk("女装\r\n童装\r\n皮鞋\r\n"), Gbk("女装"), "14", "2", 1, {Gbk("女装 皮鞋 "), Gbk("女装 童装 ")}},
        Worked{"NegativeCountWritesTheHeaderAlone", kAbc, "core", "10", "-3", 0, {}, 0},
        Worked{"FieldsAreReadLikeAtoi", kAbc, "core", " +10px", "2 titles", 0, {"core,aaa,", "core,bbb,"}},
        // The rules, each on its own. Without them the first two titles here would be
        // core,aaa,ccc,bbb, and core,bbb,bbb,bbb,. Under --no-repeat: 26500 is the core's,
        // 19169 aaa, 15724 the core's, 11478 bbb; 29358, 26962 bbb again, 24464 the core's,
        // 5705, 28145, 23281 aaa again; 16827 ccc; with all three in, the titles end undrawn.
        Worked{"NoRepeatDrawsAnEntryTheTitleHoldsAgain", kAbc, "core", "17", "2", 0,
               {"core,aaa,ccc,bbb,", "core,aaa,bbb,ccc,"}, 14, {true, false, false, false}},
        // By size b, aaaa: 41%2 takes aaaa with 7 bytes left; then only b fits 2 bytes
        // (18467%1), and nothing fits 0. Without --fill: core,b,b,.
        Worked{"FillDrawsAmongTheEntriesThatFit", "core\naaaa\nb\n", "core", "12", "1", 0, {"core,aaaa,b,"}, 2,
               {false, false, true, false}},
        // The third title comes out core,bbb, twice (15724 11478 29358, 26962 24464 5705),
        // then core,aaa, (28145 23281), then core,ccc, (16827 9961).
        Worked{"UniqueMakesATitleMadeBeforeAgain", kAbc, "core", "10", "3", 0, {"core,aaa,", "core,bbb,", "core,ccc,"},
               15, {false, true, false, false}},
        // Without a separator the empty entry is all that may go in: it would never end a title.
        Worked{"RulesThatLeaveOnlyEmptyEntriesEndTheTitleUndrawn", Gbk("core\n\n最佳\n"), "core", "10", "2", 2,
               {"core", "core"}, 0, {false, false, false, true}},
        // 价格 would always make 特价 after the core, and the empty entry would add nothing:
        // 64 draws, then none is left that may go in.
        Worked{"EntryThatAlwaysMakesABannedWordEndsTheTitleAfter64Draws", Gbk("特\n\n价格\n"), Gbk("特"), "10", "1", 2,
               {Gbk("特")}, 64, {false, false, false, true}, Gbk("特价\n")},
        // A term holding the separator is looked for across it: without the rule the second
        // title is core a b ; here 19169 draws b, which would make "a b", and 15724 a again.
        Worked{"BannedWordHoldingTheSeparatorIsLookedForAcrossIt", "core\na\nb\n", "core", "10", "3", 1,
               {"core b b ", "core a a ", "core b b "}, 12, {false, false, false, true}, "a b\n"},
        // 41 and 18467 draw 价, which would make 特价; 6334 draws 色, 26500 色 again, which ends it.
        Worked{"AvoidBannedDrawsAgainWhatWouldMakeABannedWord", Gbk("特\n色\n价\n"), Gbk("特"), "6", "1", 2,
               {Gbk("特色")}, 4, {false, false, false, true}, Gbk("特价\n")}),
    [](const testing::TestParamInfo<Worked>& info) { return std::string(info.param.name); });

TEST(UniqueRule, GivesUpWhenTheLibraryHasNoMoreTitlesAndSaysHowMany) {
  test::MemorySession m("core\naaa\nbbb\n");
  m.env.Put("d/titles.txt", "old");
  RunInputs inputs{"3", "core", "10", 0};
  inputs.rules.unique = true;
  EXPECT_EQ(m.Run(inputs), Outcome::kInputRefused);
  EXPECT_EQ(m.front.messages, std::vector<std::string>{msg::UniqueTitlesExhausted(2, 3, 1000)});
  EXPECT_EQ(m.env.Files(), (std::vector<std::string>{"d/titles.txt=old", "d/words.txt=core\naaa\nbbb\n"}));
  EXPECT_EQ(m.session.randomState(), 1u);
  inputs.countText = "2";
  EXPECT_EQ(m.Run(inputs), Outcome::kWritten) << "the number it names can be made";
}

TEST(UniqueRule, GivesUpOnlyAfterAThousandRepeatsInARow) {
  UniqueTitles unique(10);
  ASSERT_TRUE(unique.Keep(1));
  for (uint64_t title = 2; title < 5; ++title) {
    for (int i = 1; i < UniqueTitles::kTries; ++i) ASSERT_FALSE(unique.Keep(1));
    EXPECT_FALSE(unique.GaveUp()) << "999 in a row";
    EXPECT_TRUE(unique.Keep(title)) << "a new title starts the count again";
  }
  for (int i = 0; i < UniqueTitles::kTries; ++i) unique.Keep(1);
  EXPECT_TRUE(unique.GaveUp());
}

// The core word on a line of its own and again further on: no title holds it
// twice, wherever its copies stand.
TEST(NoRepeatRule, NeverDrawsTheCoreWordFromAnyOfItsLines) {
  const WordList words(test::BytesOf("aa\ncore\nbb\ncore\ncc\ncore\n"));
  const TitleRecipe recipe(words, "core", 40, ',');
  const EntryIds ids(words);
  for (uint32_t seed : {1u, 2u, 3u}) {
    RuleDraws draws(recipe, {true, false, false, false}, nullptr, &ids, CrtRandom(seed), false);
    RuleDraws::Handle handle{&draws};
    for (int i = 0; i < 50; ++i) {
      std::string title;
      StringOut out{&title};
      handle.Begin();
      ComposeTitle(recipe, handle, out);
      EXPECT_EQ(title.find("core", 1), std::string::npos) << title;
    }
  }
}

TEST(RuleOfTheCore, BannedCoreWordIsRefusedByName) {
  test::MemorySession m("core\naaa\n");
  RunInputs inputs{"1", Gbk("最佳连衣裙"), "60", 0};
  inputs.rules.avoidBanned = true;
  EXPECT_EQ(m.Run(inputs), Outcome::kInputRefused);
  EXPECT_EQ(m.front.messages, std::vector<std::string>{msg::CoreWordBanned(Gbk("最佳"))});
  EXPECT_EQ(m.front.saveRequests, 0);
}

TEST(CrtAtoi, ReadsLikeTheCRuntimeAndSaturates) {
  const std::pair<const char*, int32_t> cases[] = {
      {"60", 60},          {"  \t\n-12abc", -12}, {"\v\f\r8", 8},   {"+7", 7},
      {"007", 7},          {"", 0},                 {"abc", 0},
      {"- 5", 0},          {"12 34", 12},           {"\xEF\xBC\x91", 0},  // a full-width digit is not one
      {"2147483647", INT32_MAX},  {"2147483648", INT32_MAX}, {"99999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN}, {"-99999999999999999999x", INT32_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(CrtAtoi(text), value) << '"' << text << '"';
}

}  // namespace
}  // namespace wordloom
