#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "messages.h"
#include "test_support.h"

namespace wordloom {
namespace {

using test::Gbk;
using test::ReadFile;
using test::WriteFile;

struct Result {
  int status = -1;
  std::string out, err;
};

// Runs the built wordloom-cli with `args`; `fileLimit` > 0 caps the size of
// files it may write, as a full disk would.
Result RunCli(const std::vector<std::string>& args, rlim_t fileLimit = 0) {
  test::TempDir io;
  const std::string outPath = (io / "stdout").string(), errPath = (io / "stderr").string();
  pid_t pid = fork();
  if (pid == 0) {
    int o = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(o, 1);
    dup2(e, 2);
    if (fileLimit > 0) {
      struct rlimit limit = {fileLimit, fileLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(WORDLOOM_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    setenv("LC_ALL", "C.UTF-8", 1);
    alarm(60);  // a hang fails the test instead of blocking the suite
    execv(WORDLOOM_CLI, argv.data());
    _exit(127);
  }
  Result r;
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = ReadFile(outPath);
  r.err = ReadFile(errPath);
  return r;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(lib_, "core\r\naaa\r\nbbb\r\nccc\r\n"); }
  std::vector<std::string> Args(const std::string& count, const std::string& output) {
    return {"-l", lib_, "-c", "core", "-n", "10", "-N", count, "-s", "comma", "-o", output};
  }

  test::TempDir dir_;
  const std::string lib_ = (dir_ / "lib.txt").string();
  const std::string out_ = (dir_ / "out.txt").string();
  const std::string twoTitles_ =
      Gbk("商品名称\r\n标题0:") + "core,aaa,\r\n" + Gbk("标题1:") + "core,bbb,\r\n";
};

TEST_F(CliTest, WritesTheTitleFileAndExitsZero) {
  Result r = RunCli(Args("2", out_));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(out_), twoTitles_);
  EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, DashWritesToStandardOutput) {
  Result r = RunCli(Args("2", "-"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, twoTitles_);
}

TEST_F(CliTest, LongOptionsSeedAndDefaultSeparator) {
  Result r = RunCli({"--library", lib_, "--core", "core", "--length", "10", "--count", "1", "--output", "-"});
  EXPECT_EQ(r.out, Gbk("商品名称\r\n标题0:") + "coreaaa\r\n");
  r = RunCli({"-l", lib_, "-c", "core", "-n", "10", "-N", "1", "-s", "comma", "--seed", "0", "-o", "-"});
  EXPECT_EQ(r.out, Gbk("商品名称\r\n标题0:") + "core,bbb,\r\n");  // seed 0 starts 38, 7719
}

TEST_F(CliTest, RefusedInputsExitOneWithTheirMessage) {
  Result r = RunCli({"-l", lib_, "-c", "", "-n", "", "-N", "", "-o", out_});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(msg::kCoreWordRequired), std::string::npos);
  r = RunCli({"-l", lib_, "-c", "core", "-n", "0", "-N", "", "-o", out_});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(msg::kLengthRequired), std::string::npos);
  r = RunCli({"-l", lib_, "-c", "core", "-n", "9", "-N", "0", "-o", out_});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(msg::kCountRequired), std::string::npos);
  r = RunCli({"-l", lib_, "-c", "核心😀", "-n", "9", "-N", "1", "-o", out_});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(msg::kCoreWordNotGbk), std::string::npos);
  WriteFile(lib_, "core\n");
  r = RunCli(Args("1", out_));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("没有可供组合的词语"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out_));
}

TEST_F(CliTest, UsageErrorsExitTwo) {
  EXPECT_EQ(RunCli({"-l", lib_, "-c", "core", "-n", "10", "-o", out_}).status, 2);  // no count
  EXPECT_EQ(RunCli({"-l", lib_, "-c", "core", "-n", "10", "-N", "1", "-s", "tab", "-o", out_}).status, 2);
  EXPECT_EQ(RunCli({"--frobnicate"}).status, 2);
  Result help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--library", "--core", "--length", "--count", "--separator", "--output", "--seed", "--version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  EXPECT_NE(help.out.find("Exit status"), std::string::npos);
  Result version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("1.0"), std::string::npos);
}

TEST_F(CliTest, FileErrorsExitThreeAndNameTheFile) {
  Result r = RunCli({"-l", (dir_ / "none.txt").string(), "-c", "core", "-n", "10", "-N", "1", "-o", out_});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("none.txt"), std::string::npos);
  std::filesystem::create_directory(out_);
  r = RunCli(Args("1", out_));
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("out.txt"), std::string::npos);
}

TEST_F(CliTest, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  WriteFile(out_, "yesterday's titles");
  Result r = RunCli(Args("100000", out_), 4096);
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("文件超过了允许的大小"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(out_), "yesterday's titles");
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"lib.txt", "out.txt"}));
}

TEST_F(CliTest, Utf8LibraryAndCoreWordBecomeGbk) {
  WriteFile(lib_, "连衣裙\n红色\n蓝色\n白色\n");
  Result r = RunCli({"-l", lib_, "-c", "连衣裙", "-n", "12", "-N", "1", "-s", "space", "-o", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  // 41%4=1 fits at 11 bytes with both spaces; 18467%4=3 would pass 12.
  EXPECT_EQ(r.out, Gbk("商品名称\r\n标题0:连衣裙 红色 \r\n"));
  WriteFile(lib_, Gbk("连衣裙\n红色\n蓝色\n白色\n"));
  EXPECT_EQ(RunCli({"-l", lib_, "-c", "连衣裙", "-n", "12", "-N", "1", "-s", "space", "-o", "-"}).out, r.out);
}

}  // namespace
}  // namespace wordloom
