// The formats and the preview through the session, its files in memory: what
// fails leaves the old file, and a preview shows the next run's titles.
#include <gtest/gtest.h>

#include "memory_env.h"
#include "test_support.h"
#include "wordloom/messages.h"

namespace wordloom {
namespace {

const std::string kLibrary = "core\naaa\nbbb\n\"c\"\nd,d\n";

TEST(Formats, WhatASheetCannotHoldIsRefusedBeforeAnythingIsWritten) {
  const std::pair<RunInputs, std::string> cases[] = {
      {{"1048576", "core", "60", 0}, msg::XlsxTooManyTitles(1048575)},
      {{"1", "core", "40000", 0}, msg::XlsxTitleTooLong(32767, 40000)},
  };
  for (auto [inputs, message] : cases) {
    test::MemorySession m(kLibrary);
    m.env.Put("d/titles.txt", "old");
    inputs.format.kind = OutputFormat::kXlsx;
    EXPECT_EQ(m.Run(inputs), Outcome::kInputRefused);
    EXPECT_EQ(m.front.messages, std::vector<std::string>{message});
    EXPECT_EQ(m.env.Files(), (std::vector<std::string>{"d/titles.txt=old", "d/words.txt=" + kLibrary}));
  }
}

TEST(Formats, AFailedWriteLeavesTheOldFileInEveryFormat) {
  for (const OutputFormat::Kind kind : {OutputFormat::kList, OutputFormat::kCsv, OutputFormat::kXlsx}) {
    for (const bool full : {true, false}) {
      test::MemorySession m(kLibrary);
      m.env.Put("d/titles.txt", "old");
      if (full) m.env.spaceLeft = 1000;
      if (!full) m.front.savePath = "e/titles.txt";
      RunInputs inputs{"5000", "core", "40", 0};
      inputs.format.kind = kind;
      EXPECT_EQ(m.Run(inputs), Outcome::kWriteError) << kind;
      EXPECT_EQ(m.front.messages, std::vector<std::string>{msg::TitleFileUnwritable(
                                      full ? "d/titles.txt" : "e/titles.txt", full ? "磁盘空间不足" : "文件或文件夹不存在")});
      EXPECT_EQ(m.env.Files(), (std::vector<std::string>{"d/titles.txt=old", "d/words.txt=" + kLibrary}));
    }
  }
}

// Each kind of run, previewed and then run: the file begins with exactly the
// preview's titles, and the preview left the sequence where it was.
TEST(Preview, ShowsTheFirstTitlesOfTheRunThatFollows) {
  const std::string grouped = "[a]\naaa\nb\ncc\n[b]\nx\nyy\n";
  for (int kind = 0; kind < 3; ++kind) {
    test::MemorySession m(kind == 2 ? grouped : kLibrary);
    m.session.Seed(77);
    RunInputs inputs{"30", "core", "20", 0};
    if (kind == 1) inputs.rules = {false, true, true, false};
    if (kind == 2) inputs.formula = "a:1-2+@+b:*";
    TitlePreview preview;
    ASSERT_EQ(m.session.Preview(inputs, m.front, preview), Outcome::kChecked);
    EXPECT_EQ(m.session.randomState(), 77u);
    EXPECT_EQ(m.front.saveRequests, 0);
    ASSERT_EQ(preview.titles.size(), 20u);
    EXPECT_EQ(preview.report.titles, 20);
    ASSERT_EQ(m.Run(inputs), Outcome::kWritten);
    std::vector<std::string> titles;
    for (const TitlePreview::Title& t : preview.titles) {
      titles.push_back(t.text);
      EXPECT_LE(t.bytes, 20);
    }
    const std::string first = test::TitleFile(titles);
    EXPECT_EQ(m.file().substr(0, first.size()), first) << kind;
  }
  // A refusal is the run's own.
  test::MemorySession m(kLibrary);
  TitlePreview preview;
  EXPECT_EQ(m.session.Preview({"5", "", "14", 0}, m.front, preview), Outcome::kInputRefused);
  EXPECT_EQ(m.front.messages, std::vector<std::string>{msg::kCoreWordRequired});
}

}  // namespace
}  // namespace wordloom
