// Field texts at and beyond the 32-bit limits, and a very long core word.
#include <signal.h>

#include <optional>

#include "fault_fixture.h"
#include "crt_rand.h"
#include "messages.h"
#include "word_list.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace wordloom::faults {
namespace {

using InputFaults = FaultTest;
using test::Gbk;
using test::ReadFile;
using test::WriteFile;

// Runs until it is stopped; its memory must not follow the bytes written.
void ExpectFlatMemoryUntilStopped(const std::vector<std::string>& args, const std::string& target) {
  CliProcess run(args);
  ASSERT_TRUE(WaitFor([&] { return LargestTempFile(target) >= (8u << 20); }, 60s));
  const long early = run.RssKb();
  ASSERT_TRUE(WaitFor([&] { return LargestTempFile(target) >= (72u << 20); }, 120s));
  const long late = run.RssKb();
  run.Signal(SIGTERM);
  const CliResult r = run.Wait();
  EXPECT_EQ(r.status, 128 + SIGTERM) << r.err;
  EXPECT_GT(early, 0);
  // 64 MB more output, not even a tenth of it more memory.
  EXPECT_LT(late - early, 6 * 1024) << "resident " << early << " KB, then " << late << " KB";
}

TEST_F(InputFaults, HugeCountIsStoppedByKillingAndMemoryStaysFlat) {
  ExpectFlatMemoryUntilStopped(Args(lib_, out_, "2147483647", "20"), out_);
  ExpectOldFileAlone();
}

TEST_F(InputFaults, HugeLengthAndCountAreStoppedByKillingAndMemoryStaysFlat) {
  // One title heading for 2 GB: it is streamed, never held.
  ExpectFlatMemoryUntilStopped(Args(lib_, out_, "2147483647", "2147483647"), out_);
  ExpectOldFileAlone();
}

// The dialog's way of stopping: the front end answers "stop" while writing.
class StopAfter : public test::RecordingFrontEnd {
 public:
  explicit StopAfter(int calls) : left_(calls) {}
  bool KeepWriting(int64_t) override { return --left_ > 0; }

 private:
  int left_;
};

// How many values the generator has given since CrtSeed(seed), found by
// stepping the generator's formula until its next values line up; nothing
// when that is more than `limit`.
std::optional<uint64_t> DrawsSince(uint32_t seed, uint64_t limit) {
  int next[4];
  for (int& v : next) v = CrtRand();
  int window[4] = {-1, -1, -1, -1};
  uint32_t state = seed;
  for (uint64_t i = 0; i < limit + 4; ++i) {
    state = state * 214013u + 2531011u;
    window[i % 4] = static_cast<int>(state >> 16 & 0x7FFF);
    if (i >= 3 && window[(i - 3) % 4] == next[0] && window[(i - 2) % 4] == next[1] &&
        window[(i - 1) % 4] == next[2] && window[i % 4] == next[3]) {
      return i - 3;
    }
  }
  return std::nullopt;
}

TEST_F(InputFaults, HugeCountOrLengthIsStoppedByCancelling) {
  for (const char* length : {"20", "2147483647"}) {
    SCOPED_TRACE(length);
    CrtSeed(1);
    g_strLibraryPath = lib_;
    StopAfter frontEnd(5);
    frontEnd.savePath = fs::path(out_);
    RunInputs inputs;
    inputs.countText = "2147483647";
    inputs.coreWord = "core";
    inputs.lengthText = length;
    inputs.separatorIndex = 1;
    EXPECT_EQ(RunGeneration(inputs, frontEnd), RunOutcome::kWriteCancelled);
    EXPECT_TRUE(frontEnd.messages.empty());
    EXPECT_TRUE(g_words.empty());
    ExpectOldFileAlone();
    // Five flushes of output need about a million draws; a run that went on
    // building its 2 GB title after the cancel would have taken ~500 million.
    const std::optional<uint64_t> draws = DrawsSince(1, 20'000'000);
    EXPECT_TRUE(draws.has_value()) << "the run kept drawing after it was cancelled";
  }
  g_strLibraryPath.clear();
}

TEST_F(InputFaults, NegativeAndOverflowingNumbers) {
  const std::string headerOnly = Gbk("商品名称") + "\r\n";
  struct Case {
    const char* count;
    const char* length;
    int status;
    const char* message;  // for a refusal
  };
  // A negative count passes the checks and writes the header alone; past the
  // 32-bit range numbers stop at the limit instead of wrapping round.
  const Case refusals[] = {
      {"3", "-5", 1, msg::kLengthRequired},
      {"3", "-99999999999999999999", 1, msg::kLengthRequired},
      {"3", "-2147483648", 1, msg::kLengthRequired},
      {"0x10", "10", 1, msg::kCountRequired},
      {"+-3", "10", 1, msg::kCountRequired},
      {"-0", "10", 1, msg::kCountRequired},
  };
  for (const Case& c : refusals) {
    SCOPED_TRACE(std::string(c.count) + " / " + c.length);
    const CliResult r = RunCli(Args(lib_, out_, c.count, c.length));
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    ExpectOldFileAlone();
  }
  for (const char* count : {"-1", "-2147483648", "-99999999999999999999", "  -4294967297"}) {
    SCOPED_TRACE(count);
    const CliResult r = RunCli(Args(lib_, out_, count, "10"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(out_), headerOnly);
    EXPECT_TRUE(TempFilesFor(out_).empty());
  }
  // A limit beyond the range with titles that cannot grow: the core alone.
  WriteFile(lib_, "core\n\n\n");
  for (const char* length : {"2147483647", "99999999999999999999", "4294967306"}) {
    SCOPED_TRACE(length);
    const CliResult r = RunCli(Args(lib_, out_, "3", length, "none"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TitleBodies(ReadFile(out_), "core"), std::vector<std::string>(3, ""));
  }
}

TEST_F(InputFaults, CoreWordOf10000Bytes) {
  // Typed, not in the library: alone it passes the limit, so each title is
  // the core word and the separator.
  const std::string typed(10000, 'x');
  CliResult r = RunCli(Args(lib_, out_, "5", "100", "comma", typed));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(TitleBodies(ReadFile(out_), typed), std::vector<std::string>(5, ","));

  // 5,000 Chinese characters typed in UTF-8: 10,000 GBK bytes, found as the
  // library's first line, and room for entries after it.
  std::string chinese;
  for (int i = 0; i < 5000; ++i) chinese += "字";
  const std::string chineseGbk = Gbk(chinese);
  ASSERT_EQ(chineseGbk.size(), 10000u);
  WriteFile(lib_, chinese + "\n" + "好\naa\n");
  r = RunCli(Args(lib_, out_, "5", "10020", "comma", chinese));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> bodies = TitleBodies(ReadFile(out_), chineseGbk);
  ASSERT_EQ(bodies.size(), 5u);
  for (const std::string& body : bodies) {
    // Both entries are 2 bytes: 10000 + 6 × (1 + 2) + 1 = 10019, and the
    // next 2 bytes would reach 10020.
    EXPECT_EQ(10000 + body.size(), 10019u) << body;
    EXPECT_EQ(body.find_first_not_of("a," + Gbk("好")), std::string::npos);
  }
}

}  // namespace
}  // namespace wordloom::faults
