#include <gtest/gtest.h>

#include "test_support.h"
#include "word_list.h"

namespace wordloom {
namespace {

using test::Gbk;

std::vector<std::string> Entries(const std::string& text) {
  WordList list;
  list.AppendText(std::string(text));
  std::vector<std::string> out;
  for (size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
  return out;
}

TEST(WordList, SplitsLinesTheWayTextModeReadsThem) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Entries("a\r\nbb\r\n\r\nccc"), (V{"a", "bb", "", "ccc"}));
  EXPECT_EQ(Entries("a\nb\n"), (V{"a", "b"}));
  EXPECT_EQ(Entries(""), V{});
  EXPECT_EQ(Entries("\n"), V{""});
  EXPECT_EQ(Entries("\n\n\n"), (V{"", "", ""}));
  // Only a CR right before LF is part of the line end.
  EXPECT_EQ(Entries("a\rb\r\r\nc\r"), (V{"a\rb\r", "c\r"}));
  // Spaces and tabs belong to the entry.
  EXPECT_EQ(Entries(" x \t\n"), V{" x \t"});
}

TEST(WordList, NulEndsAnEntryButNotTheLine) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Entries(std::string("ab\0cd\r\nef\n\0\ng", 13)), (V{"ab", "ef", "", "g"}));
}

TEST(WordList, AppendingKeepsEarlierEntries) {
  WordList list;
  list.AppendText("a\nb");
  list.AppendText("c\r\nd\n");
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[1], "b");
  EXPECT_EQ(list[2], "c");
  EXPECT_EQ(list[3], "d");
  list.Clear();
  EXPECT_TRUE(list.empty());
}

TEST(WordList, FindTakesTheFirstExactMatch) {
  WordList list;
  list.AppendText("x\ny\nx\nabc\nABC\n abc\n");
  EXPECT_EQ(list.Find("x"), 0u);
  EXPECT_EQ(list.Find("y"), 1u);
  EXPECT_EQ(list.Find("ABC"), 4u);
  EXPECT_EQ(list.Find("Abc"), list.size());
  EXPECT_EQ(list.Find("ab"), list.size());
  EXPECT_EQ(list.Find(""), list.size());
  WordList empty;
  EXPECT_EQ(empty.Find("x"), 0u);
}

}  // namespace
}  // namespace wordloom
