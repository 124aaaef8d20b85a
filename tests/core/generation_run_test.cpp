#include <gtest/gtest.h>
#include <sys/stat.h>

#include "crt_rand.h"
#include "generation_run.h"
#include "messages.h"
#include "test_support.h"
#include "word_list.h"

namespace wordloom {
namespace {

using test::Gbk;
using test::ReadFile;
using test::WriteFile;

class GenerationRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CrtSeed(1);
    g_strLibraryPath = dir_ / "lib.txt";
    WriteFile(g_strLibraryPath, "core\r\naaa\r\nbbb\r\nccc\r\n");
    front_.savePath = dir_ / "out.txt";
  }
  void TearDown() override { g_strLibraryPath.clear(); }

  RunOutcome Run(const std::string& count, const std::string& core, const std::string& length, int sep = 0) {
    return RunGeneration(RunInputs{count, core, length, sep}, front_);
  }
  std::string Output() { return ReadFile(dir_ / "out.txt"); }

  const std::string header_ = Gbk("商品名称\r\n");
  test::TempDir dir_;
  test::RecordingFrontEnd front_;
};

TEST_F(GenerationRunTest, WritesHeaderAndNumberedTitlesInCrLfLines) {
  ASSERT_EQ(Run("3", "core", "10"), RunOutcome::kWritten);
  EXPECT_EQ(Output(), header_ + Gbk("标题0:") + "core,aaa,\r\n" + Gbk("标题1:") + "core,bbb,\r\n" +
                          Gbk("标题2:") + "core,bbb,\r\n");
  EXPECT_TRUE(front_.messages.empty());
  EXPECT_TRUE(g_words.empty());
  EXPECT_EQ(g_nTitleCount, 3);
  EXPECT_EQ(g_strCoreWord, "core");
}

TEST_F(GenerationRunTest, ChecksInputsInOrderAndStopsAtTheFirst) {
  struct Case {
    const char *count, *core, *length;
    const char* message;
  } cases[] = {
      {"", "", "", msg::kCoreWordRequired},
      {"", "core", "0", msg::kLengthRequired},
      {"", "core", "-5", msg::kLengthRequired},
      {"5", "core", "abc", msg::kLengthRequired},
      {"", "core", "10", msg::kCountRequired},
      {"x7", "core", "10", msg::kCountRequired},
  };
  for (const Case& c : cases) {
    front_.messages.clear();
    EXPECT_EQ(Run(c.count, c.core, c.length), RunOutcome::kInputRefused);
    EXPECT_EQ(front_.messages, std::vector<std::string>{c.message});
  }
  EXPECT_EQ(front_.saveRequests, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.txt"));
  EXPECT_EQ(CrtRand(), 41);  // no title was built
}

TEST_F(GenerationRunTest, NegativeCountWritesOnlyTheHeader) {
  ASSERT_EQ(Run("-3", "core", "10"), RunOutcome::kWritten);
  EXPECT_EQ(Output(), header_);
}

TEST_F(GenerationRunTest, SequenceRunsOnAcrossRuns) {
  ASSERT_EQ(Run("1", "core", "10"), RunOutcome::kWritten);
  ASSERT_EQ(Run("1", "core", "10"), RunOutcome::kWritten);
  EXPECT_EQ(Output(), header_ + Gbk("标题0:") + "core,bbb,\r\n");
}

TEST_F(GenerationRunTest, SaveCancelledWritesNothingAndEmptiesTheList) {
  front_.savePath.reset();
  EXPECT_EQ(Run("3", "core", "10"), RunOutcome::kSaveCancelled);
  EXPECT_EQ(front_.saveRequests, 1);
  EXPECT_TRUE(g_words.empty());
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"lib.txt"});
}

TEST_F(GenerationRunTest, EveryRunReadsTheLibraryAnew) {
  ASSERT_EQ(Run("1", "core", "10"), RunOutcome::kWritten);
  WriteFile(g_strLibraryPath, "core\nzzz\n");
  CrtSeed(1);
  ASSERT_EQ(Run("1", "core", "10"), RunOutcome::kWritten);
  EXPECT_EQ(Output(), header_ + Gbk("标题0:") + "core,zzz,\r\n");
}

TEST_F(GenerationRunTest, UnreadableLibraryEndsTheRunBeforeTheSaveStep) {
  g_strLibraryPath.clear();
  EXPECT_EQ(Run("1", "core", "10"), RunOutcome::kLibraryError);
  EXPECT_EQ(front_.messages, std::vector<std::string>{msg::kNoLibraryChosen});

  g_strLibraryPath = dir_ / "gone.txt";
  front_.messages.clear();
  EXPECT_EQ(Run("1", "core", "10"), RunOutcome::kLibraryError);
  ASSERT_EQ(front_.messages.size(), 1u);
  EXPECT_NE(front_.messages[0].find("gone.txt"), std::string::npos);
  EXPECT_EQ(front_.saveRequests, 0);
}

TEST_F(GenerationRunTest, LibraryWithNothingToDrawIsRefused) {
  for (const char* text : {"", "core\r\n"}) {
    WriteFile(g_strLibraryPath, text);
    front_.messages.clear();
    EXPECT_EQ(Run("1", "core", "10"), RunOutcome::kInputRefused);
    ASSERT_EQ(front_.messages.size(), 1u);
    EXPECT_NE(front_.messages[0].find("没有可供组合的词语"), std::string::npos);
  }
  EXPECT_EQ(front_.saveRequests, 0);
  // One entry that is not the core is enough.
  WriteFile(g_strLibraryPath, "aaa");
  EXPECT_EQ(Run("1", "core", "10"), RunOutcome::kWritten);
  EXPECT_EQ(Output(), header_ + Gbk("标题0:") + "core,aaa,\r\n");
}

TEST_F(GenerationRunTest, LibraryCharacterWithoutGbkFormIsRefused) {
  WriteFile(g_strLibraryPath, "core\n好\n🙂\n");
  EXPECT_EQ(Run("1", "core", "10"), RunOutcome::kEncodingError);
  ASSERT_EQ(front_.messages.size(), 1u);
  EXPECT_NE(front_.messages[0].find("第 3 行"), std::string::npos);
  EXPECT_EQ(front_.saveRequests, 0);
}

TEST_F(GenerationRunTest, ReplacingATitleFileKeepsItsPermissions) {
  WriteFile(dir_ / "out.txt", "old");
  ASSERT_EQ(::chmod((dir_ / "out.txt").c_str(), 0640), 0);
  ASSERT_EQ(Run("1", "core", "10"), RunOutcome::kWritten);
  struct stat st;
  ASSERT_EQ(::stat((dir_ / "out.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"lib.txt", "out.txt"}));
}

TEST_F(GenerationRunTest, UnwritableTargetIsReportedAndLeavesNoTrace) {
  std::filesystem::create_directory(dir_ / "out.txt");
  EXPECT_EQ(Run("1", "core", "10"), RunOutcome::kWriteError);
  ASSERT_EQ(front_.messages.size(), 1u);
  EXPECT_NE(front_.messages[0].find("out.txt"), std::string::npos);
  EXPECT_NE(front_.messages[0].find("文件夹"), std::string::npos);
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"lib.txt", "out.txt"}));

  front_.savePath = dir_ / "no-such-folder" / "t.txt";
  EXPECT_EQ(Run("1", "core", "10"), RunOutcome::kWriteError);
  EXPECT_TRUE(g_words.empty());
}

class CancellingFrontEnd : public test::RecordingFrontEnd {
 public:
  bool KeepWriting(int64_t) override { return false; }
};

TEST_F(GenerationRunTest, CancelledWriteLeavesTheOldFile) {
  WriteFile(dir_ / "out.txt", "old");
  CancellingFrontEnd front;
  front.savePath = dir_ / "out.txt";
  EXPECT_EQ(RunGeneration(RunInputs{"100000", "core", "10", 0}, front), RunOutcome::kWriteCancelled);
  EXPECT_EQ(Output(), "old");
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"lib.txt", "out.txt"}));
}

}  // namespace
}  // namespace wordloom
