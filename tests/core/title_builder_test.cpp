#include <gtest/gtest.h>

#include <cstdio>

#include "crt_rand.h"
#include "test_support.h"
#include "title_builder.h"

namespace wordloom {
namespace {

using test::Gbk;

// The runtime's sequence from seed 1 starts 41, 18467, 6334, 26500, 19169,
// 15724, 11478, 29358, 26962, 24464, 5705; the expected titles below follow
// those draws by hand.
class TitleBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { CrtSeed(1); }

  void Use(const std::string& text) {
    words_.Clear();
    words_.AppendText(std::string(text));
  }
  std::vector<std::string> Titles(const std::string& core, int32_t maxLength, char sep, int count) {
    TitleRecipe recipe(words_, core, maxLength, sep);
    PositionDraw draw(words_.size());
    std::vector<std::string> titles;
    for (int i = 0; i < count; ++i) titles.push_back(BuildTitle(recipe, draw));
    return titles;
  }

  WordList words_;
};

TEST_F(TitleBuilderTest, StopsAtTheFirstDrawThatDoesNotFit) {
  Use("core\naaa\nbbb\nccc\n");
  // 41%4=1 fits (9 bytes with both commas); 18467%4=3 would reach 10.
  // Title two: 6334%4=2, then 26500%4=0 is the core and is drawn again.
  EXPECT_EQ(Titles("core", 10, ',', 3), (std::vector<std::string>{"core,aaa,\r\n", "core,bbb,\r\n", "core,bbb,\r\n"}));
}

TEST_F(TitleBuilderTest, SeparatorCountsTowardsTheLimit) {
  Use("core\naaa\nbbb\nccc\n");
  EXPECT_EQ(Titles("core", 10, '\0', 1)[0], "coreaaa\r\n");  // a second entry would make exactly 10
  CrtSeed(1);
  EXPECT_EQ(Titles("core", 9, ' ', 1)[0], "core aaa \r\n");
}

TEST_F(TitleBuilderTest, ChineseEntriesCountTwoBytesEach) {
  Use(Gbk("核心\n红色\n蓝色\n白色\n"));
  const std::string title = Titles(Gbk("核心"), 30, ',', 1)[0];
  EXPECT_EQ(title, Gbk("核心,红色,白色,蓝色,红色,蓝色,\r\n"));
  EXPECT_EQ(title.size(), 32u);
  EXPECT_EQ(CrtRand(), 26962);  // the failing draw was 29358
}

TEST_F(TitleBuilderTest, CoreThatAloneReachesTheLimitStillTakesOneDraw) {
  Use("core\nab\n");
  EXPECT_EQ(Titles("core", 1, ',', 1)[0], "core,\r\n");
  EXPECT_EQ(CrtRand(), 18467);
  CrtSeed(1);
  Use("core\n\n");
  EXPECT_EQ(Titles("core", 3, '\0', 1)[0], "core\r\n");
  EXPECT_EQ(CrtRand(), 18467);
}

TEST_F(TitleBuilderTest, TitleThatCanNeverGrowEndsWithoutDrawing) {
  Use("core\n\n\n");
  EXPECT_EQ(Titles("core", 10, '\0', 2), (std::vector<std::string>{"core\r\n", "core\r\n"}));
  EXPECT_EQ(CrtRand(), 41);
}

TEST_F(TitleBuilderTest, EmptyEntriesLeaveSeparatorsSideBySide) {
  Use("core\n\n");
  // 41 and 18467 draw the empty entry; then the core five times, 5705 the empty one.
  EXPECT_EQ(Titles("core", 8, ',', 1)[0], "core,,,,\r\n");
}

TEST_F(TitleBuilderTest, DuplicateOfTheCoreCanBeDrawn) {
  Use("core\ncore\n");
  EXPECT_EQ(Titles("core", 12, ',', 1)[0], "core,core,\r\n");
}

TEST_F(TitleBuilderTest, MissingCoreStartsWithTheTypedWordAndExcludesNothing) {
  Use("aa\nbb\n");
  // 41%2=1, 18467%2=1, 6334%2=0 (position 0 is drawable), 26500 stops it.
  EXPECT_EQ(Titles("zz", 12, ',', 1)[0], "zz,bb,bb,aa,\r\n");
}

TEST_F(TitleBuilderTest, LineFeedInTheCoreIsWrittenAsCrLfButCountsOnce) {
  Use("xx\nyy\n");
  EXPECT_EQ(Titles("a\nb", 6, '\0', 1)[0], "a\r\nbyy\r\n");
}

TEST_F(TitleBuilderTest, LargeLibrariesReachEveryEntry) {
  auto numbered = [](size_t n) {
    std::string text;
    char line[16];
    for (size_t i = 0; i < n; ++i) {
      std::snprintf(line, sizeof line, "e%05zu\n", i);
      text += line;
    }
    return text;
  };
  // Up to 32768 entries one value is one draw: 41.
  Use(numbered(32768));
  EXPECT_EQ(Titles("C", 13, '\0', 1)[0], "Ce00041\r\n");
  // Beyond, (41 << 15 | 18467) = 1361955 is the draw.
  CrtSeed(1);
  Use(numbered(32769));
  EXPECT_EQ(Titles("C", 13, '\0', 1)[0], "Ce18426\r\n");  // 1361955 % 32769
  CrtSeed(1);
  Use(numbered(65536));
  EXPECT_EQ(Titles("C", 13, '\0', 1)[0], "Ce51235\r\n");  // 1361955 % 65536
}

TEST(PositionDraw, MatchesPlainRemainderForAnyCount) {
  for (size_t n : {1u, 2u, 3u, 7u, 1000u, 32767u, 32768u, 32769u, 65535u, 65536u, 65537u, 1000003u, 1u << 30, (1u << 30) + 1}) {
    CrtSeed(12345);
    PositionDraw draw(n);
    uint32_t state = 12345;
    auto next = [&state] {
      state = state * 214013u + 2531011u;
      return (state >> 16) & 0x7FFFu;
    };
    for (int i = 0; i < 2000; ++i) {
      uint32_t r = next();
      if (n > 32768) r = r << 15 | next();
      ASSERT_EQ(draw.Next(), r % n) << "n=" << n << " i=" << i;
    }
  }
}

TEST(SeparatorFromIndex, OnlyTheFirstTwoPositionsHaveOne) {
  EXPECT_EQ(SeparatorFromIndex(0), ',');
  EXPECT_EQ(SeparatorFromIndex(1), ' ');
  EXPECT_EQ(SeparatorFromIndex(2), '\0');
  EXPECT_EQ(SeparatorFromIndex(-1), '\0');
  EXPECT_EQ(SeparatorFromIndex(7), '\0');
}

}  // namespace
}  // namespace wordloom
