// Titles under a formula: its text, titles worked out by hand from the
// runtime's sequence of a fresh process (seed 1: 41, 18467, 6334, 26500,
// 19169, 15724, 11478, 29358, ...), what a run refuses, and the check.
#include <gtest/gtest.h>

#include "entry_ids.h"
#include "formula_draws.h"
#include "memory_env.h"
#include "title_outs.h"
#include "title_rule.h"
#include "word_groups.h"
#include "test_support.h"
#include "wordloom/formula.h"
#include "wordloom/messages.h"

namespace wordloom {
namespace {

using test::Gbk;

TEST(FormulaText, ReadsSlotsAndNamesThePartThatIsWrong) {
  const std::pair<std::string, std::string> read[] = {
      {"品牌+@+属性:2+卖点:1-2+流量词:*", "品牌+@+属性:2+卖点:1-2+流量词:*"},
      {" 属性 ： 2 ＋ 流量词:2-* ", "@+属性:2+流量词:2-*"},  // the core first when not named
      {"卖点:0-2+@", "卖点:0-2+@"},
      {"a:1-1+b:1", "@+a+b"},
  };
  for (const auto& [text, slots] : read) {
    std::vector<FormulaSlot> parsed;
    ASSERT_FALSE(ParseFormula(Gbk(text), parsed)) << text;
    EXPECT_EQ(FormulaText(parsed), Gbk(slots)) << text;
  }
  const std::tuple<std::string, FormulaFault::Kind, size_t> refused[] = {
      {"品牌++@", FormulaFault::kSyntax, 2}, {"品牌+", FormulaFault::kSyntax, 2}, {"品牌:x", FormulaFault::kSyntax, 1},
      {":2", FormulaFault::kSyntax, 1},      {"a:1-", FormulaFault::kSyntax, 1},  {"a:*-3", FormulaFault::kSyntax, 1},
      {"a:100000", FormulaFault::kSyntax, 1}, {"a+b:0", FormulaFault::kCount, 2}, {"a:3-1", FormulaFault::kCount, 1},
      {"a:0-0", FormulaFault::kCount, 1},    {"@+a+@", FormulaFault::kCoreTwice, 3},
  };
  for (const auto& [text, kind, part] : refused) {
    std::vector<FormulaSlot> parsed;
    const FormulaFault fault = ParseFormula(Gbk(text), parsed);
    EXPECT_EQ(fault.kind, kind) << text;
    EXPECT_EQ(fault.part, part) << text;
  }
}

const std::string kGrouped = "s\n[b]\nB1\nB2\n\n[s]\ns\nss\nsss\ncore\n";

struct Worked {
  const char* name;
  std::string formula, length;
  std::vector<std::string> titles;
  int drawsTaken;
  std::string library = kGrouped;
};

class FormulaTitles : public testing::TestWithParam<Worked> {};

TEST_P(FormulaTitles, AreWhatTheFileHolds) {
  const Worked& w = GetParam();
  test::MemorySession m(w.library);
  RunInputs inputs{std::to_string(w.titles.size()), "core", w.length, 0};
  inputs.formula = w.formula;
  ASSERT_EQ(m.Run(inputs), Outcome::kWritten) << m.front.messages[0];
  EXPECT_EQ(m.file(), test::TitleFile(w.titles));
  CrtRandom expected;
  for (int i = 0; i < w.drawsTaken; ++i) expected.Next();
  EXPECT_EQ(m.session.randomState(), expected.state());
}

// Entries of a group shortest first: B1 B2, s ss sss; "core" and the line
// before the first heading are never drawn.
INSTANTIATE_TEST_SUITE_P(
    Formula, FormulaTitles,
    testing::Values(
        // 41%2 draws B2 among the b that leave room for the core and the shortest s; the
        // range's number is 1 + 18467%2; 6334%3 is ss, 26500%3 ss again, drawn again as
        // 19169%3, sss. Then 15724%2 B1, 11478%2 a range of 1, 29358%3 s.
        Worked{"FixedCountCoreBetweenAndRange", "b+@+s:1-2", "20", {"B2,core,ss,sss,", "B1,core,s,"}, 8},
        // At least two: 41%3 draws sss while the s left fits; 18467%2 ss among the two that
        // still fit; then none does, and the title is at its limit.
        Worked{"AsManyAsFitWithALeastCount", "@+s:2-*", "12", {"core,sss,ss,"}, 2},
        // The core first when the formula does not name it; 41%2 B2, and then no s fits
        // within 9 bytes: as many as fit may take none.
        Worked{"CoreFirstWhenNotNamed", "b+s:*", "9", {"core,B2,"}, 1},
        // At the least limit that holds the formula: each slot may only take what leaves
        // room for the shortest of every later one (PositionDraw(1) still takes a value).
        Worked{"TightLimitLeavesRoomForEveryLaterSlot", "a+b+@+c", "11", {"A,B,core,C,"}, 3,
               "[a]\nA\nAAA\n[b]\nB\nBB\n[c]\nC\n"},
        // z is the only short entry of B: 41%2 and 18467%2 draw it for A and it goes
        // back, as B would then need wwwww; 6334%2 q; 26500%1 z.
        Worked{"ShortestOfALaterSlotIsLeftToIt", "A+B", "10", {"core,q,z,"}, 4, "[A]\nq\nz\n[B]\nz\nwwwww\n"},
        // Title 0: 41%2 AAAA, B, A. Title 1: 26500%2 takes A, so the last slot will need
        // AAAA and b may only take B; the last slot, with as many in the title as fit,
        // draws at once among those left: AAAA (15724%1).
        Worked{"SlotsOfOneGroupCountWhatTheTitleHolds", "a+b+a", "14", {"core,AAAA,B,A,", "core,A,B,AAAA,"}, 6,
               "[a]\nA\nAAAA\n[b]\nB\nBBB\n"}),
    [](const testing::TestParamInfo<Worked>& info) { return std::string(info.param.name); });

// Groups each in one slot and without a text in two: what the later slots
// need is counted once for the run instead of at every draw, with the same
// titles from the same sequence.
TEST(FormulaDraws, GroupsApartMakeTheTitlesOfCountingEveryDraw) {
  std::string text;
  for (char g = 'a'; g <= 'e'; ++g) {
    text += std::string("[") + g + "]\n";
    for (int i = 0; i < 40; ++i) text += g + std::to_string(i) + std::string(static_cast<size_t>(i % 7), 'x') + "\n";
  }
  const WordList words(test::BytesOf(text));
  const WordGroups groups(words);
  const EntryIds ids(words);
  for (const char* formula : {"a+@+b:2+c:1-2+d+e:*", "@+a:3+b:0-2+e:2-*", "c:1-3+d+@"}) {
    for (const char separator : {',', '\0'}) {
      std::vector<FormulaSlot> slots;
      ASSERT_FALSE(ParseFormula(formula, slots));
      TitleRecipe recipe(words, "core", 60, separator);
      recipe.FollowFormula(slots[0].core);
      FormulaDraws apart(recipe, groups, slots, ids, nullptr, CrtRandom(7), false);
      FormulaDraws counting(recipe, groups, slots, ids, nullptr, CrtRandom(7), false);
      counting.CountEveryDraw();
      FormulaDraws::Handle one{&apart}, other{&counting};
      for (int i = 0; i < 300; ++i) {
        std::string a, b;
        StringOut outA{&a}, outB{&b};
        one.Begin(), other.Begin();
        ComposeTitle(recipe, one, outA);
        ComposeTitle(recipe, other, outB);
        ASSERT_EQ(a, b) << formula << " title " << i;
      }
      EXPECT_EQ(apart.random().state(), counting.random().state());
    }
  }
}

TEST(FormulaRun, RefusesWhatItCannotUseBeforeTheSaveStep) {
  const std::string noGroups = "core\na\n";
  const std::tuple<std::string, std::string, std::string, Outcome, std::string> cases[] = {
      {kGrouped, "b++s", "20", Outcome::kFormulaSyntax, msg::FormulaSyntax(2, "")},
      {kGrouped, "b:0", "20", Outcome::kFormulaCount, msg::FormulaCount(1, "b:0")},
      {kGrouped, "b:2-1", "20", Outcome::kFormulaCount, msg::FormulaCount(1, "b:2-1")},
      {kGrouped, "@+b+@", "20", Outcome::kFormulaCoreTwice, msg::FormulaCoreTwice(3)},
      {noGroups, "b", "20", Outcome::kFormulaNoGroups, msg::FormulaNoGroups("d/words.txt")},
      {kGrouped, "b+x", "20", Outcome::kFormulaGroupMissing, msg::FormulaGroupMissing("d/words.txt", 2, "x")},
      // core,B1, is 8 bytes, and the shortest s would make 9: not below 9.
      {kGrouped, "b+s", "9", Outcome::kInputRefused, msg::FormulaTooLong(2, "s", 9)},
      {kGrouped, "s:4", "90", Outcome::kInputRefused, msg::FormulaTooLong(1, "s:4", 90)},
  };
  for (const auto& [library, formula, length, outcome, message] : cases) {
    test::MemorySession m(library);
    RunInputs inputs{"2", "core", length, 0};
    inputs.formula = formula;
    EXPECT_EQ(m.Run(inputs), outcome) << formula;
    EXPECT_EQ(m.front.messages, std::vector<std::string>{message});
    EXPECT_EQ(m.front.saveRequests, 0) << formula;
  }
  // Without a separator, b and sss always make the banned bsss.
  test::MemorySession m("[b]\nb\n[s]\nsss\n");
  m.env.Put("d/banned.txt", "bsss\n");
  m.session.UseBannedList("d/banned.txt");
  RunInputs inputs{"2", "core", "40", 2};
  inputs.formula = "@+b+s";
  inputs.rules.avoidBanned = true;
  EXPECT_EQ(m.Run(inputs), Outcome::kInputRefused);
  EXPECT_EQ(m.front.messages, std::vector<std::string>{msg::FormulaBlockedByBannedWords(1000)});
}

TEST(FormulaCheck, HoldsTheGroupsAgainstTheSlots) {
  test::MemorySession m("lost\n[b]\nB1\nss\n\n[e]\n[s]\ns\nss\nsss\ns\n");
  LibraryReport report;
  RunInputs inputs{"", "core", "9", 0};
  inputs.formula = "b+@+e+s:5+x";
  ASSERT_EQ(m.session.Check(inputs, m.front, report), Outcome::kChecked);
  ASSERT_TRUE(report.formula);
  const FormulaReport& f = *report.formula;
  ASSERT_EQ(f.groups.size(), 3u);
  const GroupSummary& g = f.groups[2];
  EXPECT_EQ(std::vector<size_t>({g.line, g.entries, g.distinct, g.shortest, g.longest}), std::vector<size_t>({7, 4, 3, 1, 3}));
  ASSERT_EQ(f.slots.size(), 3u);
  EXPECT_EQ(std::vector<int>({f.slots[0].kind, f.slots[1].kind, f.slots[2].kind}),
            std::vector<int>({SlotFinding::kEmpty, SlotFinding::kTooFew, SlotFinding::kMissing}));
  EXPECT_EQ(std::vector<size_t>({f.slots[1].slot, f.slots[1].asks, f.slots[1].holds}), std::vector<size_t>({4, 5, 3}));
  ASSERT_EQ(f.shared.count, 1u);
  EXPECT_EQ(std::make_pair(f.shared.examples[0].line, f.shared.examples[0].detail), std::make_pair(size_t{9}, std::string("b")));
  EXPECT_EQ(report.findings[LibraryReport::kDuplicate].count, 1u) << "s twice in one group";
  EXPECT_EQ(f.ungrouped.count, 1u);
  EXPECT_FALSE(f.lengthKnown) << "x is missing";
  // With the groups there, the limit: B1,core, is 8 bytes, 9 holds no s after it.
  inputs.formula = "b+@+s";
  ASSERT_EQ(m.session.Check(inputs, m.front, report), Outcome::kChecked);
  EXPECT_TRUE(report.formula->lengthKnown);
  EXPECT_FALSE(report.formula->fits);
  EXPECT_EQ(report.formula->overflow.slot, 3u);
  inputs.lengthText = "10";
  ASSERT_EQ(m.session.Check(inputs, m.front, report), Outcome::kChecked);
  EXPECT_TRUE(report.formula->fits);
  EXPECT_EQ(report.formula->shortest, 10) << "B1,core,s,";
}

}  // namespace
}  // namespace wordloom
