// The title file's fast paths (tables by generator value, the short-title
// loop writing straight into the buffer, buffers handed on) against the
// plain form of the same rule, BuildTitle, across the boundaries where they
// change: entry counts near powers of two and 32768, the separators, buffer
// ends, titles longer than a buffer, entries too long for the tables' byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "memory_env.h"
#include "test_support.h"
#include "title_rule.h"

namespace wordloom {
namespace {

struct Shape {
  std::string name, library, core;
  int32_t maxLength, count;
  int separator;
  uint32_t seed = 7;
};

// Entries of varied length, each telling its position, and "core" halfway.
std::string Numbered(size_t n, size_t spread = 13) {
  std::string text;
  for (size_t i = 0; i < n; ++i)
    text += (i == n / 2 ? std::string("core") : "w" + std::to_string(i) + std::string(i % spread, 'x')) + "\n";
  return text;
}

class FastPaths : public testing::TestWithParam<Shape> {};

// A run with a report takes the rules' path, one title at a time: the same bytes still.
TEST_P(FastPaths, WriteWhatThePlainRuleBuilds) {
  const Shape& s = GetParam();
  const WordList words(test::BytesOf(s.library));
  const TitleRecipe recipe(words, s.core, s.maxLength, SeparatorFromIndex(s.separator));
  CrtRandom random(s.seed);
  const std::string want = test::TitleFile(test::BuiltTitles(recipe, random, s.count));
  for (const bool report : {false, true}) {
    test::MemorySession m(s.library, LibraryEncoding::kGbk);
    m.session.Seed(s.seed);
    RunInputs inputs{std::to_string(s.count), s.core, std::to_string(s.maxLength), s.separator};
    inputs.report = report;
    ASSERT_EQ(m.Run(inputs), Outcome::kWritten);
    const std::string& file = m.file();
    const size_t same = std::mismatch(file.begin(), file.end(), want.begin(), want.end()).first - file.begin();
    EXPECT_TRUE(file == want) << file.size() << " bytes for " << want.size() << ", the same up to " << same
                              << (report ? " with a report" : "");
    EXPECT_EQ(m.session.randomState(), random.state());
  }
}

std::vector<Shape> Shapes() {
  std::vector<Shape> all;
  const char* const separators[] = {"Comma", "Space", "None"};
  for (size_t n : {1, 2, 3, 255, 256, 257, 32767, 32768, 32769, 65536, 100000})
    for (int sep = 0; sep < 3; ++sep)
      all.push_back({std::to_string(n) + "Entries" + separators[sep], Numbered(n), n == 1 ? "absent" : "core", 60,
                     n > 32768 ? 3000 : 20000, sep});
  const std::string huge = "core\n" + std::string(1048576 + 17, 'a') + "\n" + std::string(1048576, 'b') + "\ncc\n\n";
  all.push_back({"TitlesLongerThanABuffer", huge, "core", 5 << 20, 4, 0});
  all.push_back({"TitlesJustOverHalfABuffer", Numbered(40000, 29), "w7", 524288, 5, 0});
  all.push_back({"TitlesJustUnderHalfABuffer", Numbered(40000, 29), "w7", 524000, 5, 2});
  all.push_back({"LongCoreWithLineEnd", Numbered(300), std::string(40, 'L') + "\n" + std::string(40, 'L'), 120, 3000, 0});
  all.push_back({"CoreReachingTheLimit", Numbered(300), std::string(80, 'L'), 60, 5000, 1});
  // Entries past 16 bytes and past what a byte can count, drawn through the tables.
  all.push_back({"EntriesOfUpTo300Bytes", Numbered(3000, 300), "core", 2000, 5000, 0});
  return all;
}

INSTANTIATE_TEST_SUITE_P(Writer, FastPaths, testing::ValuesIn(Shapes()),
                         [](const testing::TestParamInfo<Shape>& info) { return info.param.name; });

TEST(PositionDraw, RemainderMatchesDivisionNearPowersOfTwo) {
  std::vector<uint64_t> counts = {3, 5, 7, 100, 5000, 100000, 1000003, 4294967295u};
  for (int bit = 1; bit < 32; ++bit)
    for (int d : {-1, 0, 1}) counts.push_back((uint64_t{1} << bit) + d);
  for (uint64_t n : counts) {
    const PositionDraw draw(static_cast<size_t>(n));
    std::vector<uint32_t> rs = {0, 1, 32767, 32768, (1u << 30) - 1, (1u << 30) - 2};
    for (uint64_t r = n - 1; r < 64 * n && r + 2 < (1u << 30); r += n) rs.insert(rs.end(), {uint32_t(r), uint32_t(r + 1)});
    for (uint32_t r : rs) ASSERT_EQ(draw.Reduce(r), r % n) << "r=" << r << " n=" << n;
  }
}

}  // namespace
}  // namespace wordloom
