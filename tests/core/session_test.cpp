// One generate command through the session, its files in memory: the order
// of the checks, what each failure says and leaves on disk, and the random
// sequence, which only a written title file moves on.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "memory_env.h"
#include "test_support.h"
#include "wordloom/messages.h"

namespace wordloom {
namespace {

using namespace std::string_literals;

const std::string kOld = "yesterday's only copy";

struct Fixture : test::MemorySession {
  Fixture() : MemorySession("core\r\naaa\r\nbbb\r\nccc\r\n") { env.Put("d/titles.txt", kOld); }
  Outcome Run(const std::string& count = "3") { return MemorySession::Run({count, "core", "10", 0}); }
};

// The next call of this name fails so.
std::function<void(Fixture&)> Failing(const char* call, Status::Code code, long systemError = 0) {
  return [=](Fixture& f) { f.env.failNext[call] = Status::Of(code, systemError); };
}

TEST(Session, ChecksTheInputsInOrderBeforeAnythingElse) {
  const char* cases[][4] = {
      {"", "", "", msg::kCoreWordRequired},       {"", "core", "0", msg::kLengthRequired},
      {"", "core", "-5", msg::kLengthRequired},   {"5", "core", "abc", msg::kLengthRequired},
      {"", "core", "10", msg::kCountRequired},    {"-0", "core", "10", msg::kCountRequired},
  };
  for (const auto& c : cases) {
    test::MemorySession m("");
    m.session.ChooseLibrary("");  // the library comes later: no word about it yet
    EXPECT_EQ(m.Run({c[0], c[1], c[2], 0}), Outcome::kInputRefused);
    EXPECT_EQ(m.front.messages, std::vector<std::string>{c[3]}) << c[0] << "|" << c[1] << "|" << c[2];
    EXPECT_EQ(m.front.saveRequests, 0);
  }
}

TEST(Session, LibraryThatCannotBeUsedIsNamedBeforeTheSaveStep) {
  const auto unreadable = [](const char* reason) { return msg::LibraryUnreadable("d/words.txt", reason); };
  const Outcome kLibrary = Outcome::kLibraryError, kRefused = Outcome::kInputRefused;
  const std::tuple<std::function<void(Fixture&)>, Outcome, std::string> cases[] = {
      {[](Fixture& f) { f.env.nodes.erase("d/words.txt"); }, kLibrary, unreadable("文件或文件夹不存在")},
      {[](Fixture& f) { f.env.nodes["d/words.txt"].kind = Env::Kind::kFolder; }, kLibrary, unreadable("这是一个文件夹")},
      {[](Fixture& f) { f.env.nodes["d/words.txt"].kind = Env::Kind::kOther; }, kLibrary, unreadable("这不是普通文件")},
      {Failing("read", Status::kDeviceError), kLibrary, unreadable("读写设备出错")},
      {Failing("read", Status::kOther, 5), kLibrary, unreadable("系统错误 5：Input/output error")},
      {[](Fixture& f) { f.env.Put("d/words.txt", "\xFF\xFE" "a\0\n\0\x3D\xD8\0\xDE"s); }, Outcome::kEncodingError,
       msg::LibraryNotGbk("d/words.txt", 2)},
      {[](Fixture& f) { f.env.Put("d/words.txt", ""); }, kRefused, msg::NothingToDraw("d/words.txt")},
      {[](Fixture& f) { f.env.Put("d/words.txt", "core\r\n"); }, kRefused, msg::NothingToDraw("d/words.txt")},
      {[](Fixture& f) { f.session.ChooseLibrary(""); }, kLibrary, msg::kNoLibraryChosen},
  };
  for (const auto& [setUp, outcome, message] : cases) {
    Fixture f;
    setUp(f);
    EXPECT_EQ(f.Run(), outcome) << message;
    EXPECT_EQ(f.front.messages, std::vector<std::string>{message});
    EXPECT_EQ(f.front.saveRequests, 0);
  }
}

// Faults while the title file is written: what the user reads, and what is
// left (the old file as it was, no temporary file).
struct WriteFault {
  std::string name;
  std::function<void(Fixture&)> setUp;
  Outcome outcome;
  std::string reason;  // what the message gives as the reason; empty: no message
  std::string target = "d/titles.txt";
};

class Writing : public testing::TestWithParam<WriteFault> {};

TEST_P(Writing, FailsWithoutTouchingTheOldFile) {
  const WriteFault& c = GetParam();
  Fixture f;
  f.front.savePath = c.target;
  c.setUp(f);
  const std::vector<std::string> before = f.env.Files();
  EXPECT_EQ(f.Run("100000"), c.outcome);
  const std::string message = c.outcome == Outcome::kOutOfMemory ? msg::kOutOfMemory
                              : c.reason.empty()                 ? ""
                                                                 : msg::TitleFileUnwritable(c.target, c.reason);
  EXPECT_EQ(f.front.messages, message.empty() ? std::vector<std::string>() : std::vector<std::string>{message});
  EXPECT_EQ(f.env.Files(), before);
  EXPECT_EQ(f.session.randomState(), 1u) << "a run that writes nothing leaves the sequence alone";
}

INSTANTIATE_TEST_SUITE_P(
    Session, Writing,
    testing::Values(
        WriteFault{"Cancelled", [](Fixture& f) { f.front.cancelAt = 0; }, Outcome::kWriteCancelled, ""},
        WriteFault{"TargetIsAFolder", [](Fixture& f) { f.env.nodes["d/titles.txt"].kind = Env::Kind::kFolder; },
                   Outcome::kWriteError, "这是一个文件夹"},
        WriteFault{"TargetIsReadOnly", [](Fixture& f) { f.env.nodes["d/titles.txt"].mode = 0444; }, Outcome::kWriteError,
                   "文件是只读的"},
        WriteFault{"FolderMissing", [](Fixture&) {}, Outcome::kWriteError, "文件或文件夹不存在", "e/titles.txt"},
        WriteFault{"FolderRefusesNewFiles", Failing("create", Status::kNoAccess), Outcome::kWriteError, "没有访问权限"},
        WriteFault{"ModeCannotBeSet", Failing("setmode", Status::kNoAccess), Outcome::kWriteError, "没有访问权限"},
        WriteFault{"DiskFullMidway", [](Fixture& f) { f.env.spaceLeft = 1500000; }, Outcome::kWriteError, "磁盘空间不足"},
        WriteFault{"WriteFails", Failing("write", Status::kDeviceError), Outcome::kWriteError, "读写设备出错"},
        WriteFault{"SyncFails", Failing("sync", Status::kQuotaFull), Outcome::kWriteError, "磁盘配额已用完"},
        WriteFault{"CloseFails", Failing("close", Status::kNoSpace), Outcome::kWriteError, "磁盘空间不足"},
        WriteFault{"RenameFails", Failing("rename", Status::kInUse), Outcome::kWriteError, "文件正被其他程序使用"},
        WriteFault{"MemoryRunsOut", [](Fixture& f) { f.env.writeThrowsBadAlloc = true; }, Outcome::kOutOfMemory, ""}),
    [](const testing::TestParamInfo<WriteFault>& info) { return info.param.name; });

TEST(Session, ReplacesAnExistingFileOnlyOnceItIsOnTheDisk) {
  Fixture f;
  f.env.nodes["d/titles.txt"].mode = 0640;
  ASSERT_EQ(f.Run(), Outcome::kWritten);
  EXPECT_EQ(f.env.nodes["d/titles.txt"].mode, 0640u);
  EXPECT_EQ(f.env.calls, (std::vector<std::string>{"sync d/.titles.txt.wordloom-1",
                                                   "rename d/.titles.txt.wordloom-1>d/titles.txt", "syncfolder d"}));
  // A new file takes what the umask leaves, and needs no sync: there was nothing to lose.
  f.env.nodes.erase("d/titles.txt");
  f.env.umask = 027;
  f.env.calls.clear();
  ASSERT_EQ(f.Run(), Outcome::kWritten);
  EXPECT_EQ(f.env.nodes["d/titles.txt"].mode, 0640u);
  EXPECT_EQ(f.env.calls, std::vector<std::string>{"rename d/.titles.txt.wordloom-2>d/titles.txt"});
}

TEST(Session, ReportsProgressBeforeEachBufferGoesOut) {
  Fixture f;
  ASSERT_EQ(f.Run("200000"), Outcome::kWritten);  // about 4 MB of titles
  ASSERT_GE(f.front.progress.size(), 4u);
  for (size_t i = 1; i < f.front.progress.size(); ++i) EXPECT_LT(f.front.progress[i - 1].first, f.front.progress[i].first);
  EXPECT_EQ(f.front.progress.front().second, 200000);
  EXPECT_EQ(f.front.progress.back(), std::make_pair(int64_t{200000}, int64_t{200000}));
}

TEST(Session, SequenceRunsOnFromOneWrittenFileToTheNext) {
  Fixture f;
  const auto next = [&] { return f.Run("1") == Outcome::kWritten ? f.file() : "refused"; };
  EXPECT_EQ(next(), test::TitleFile({"core,aaa,"}));
  EXPECT_EQ(next(), test::TitleFile({"core,bbb,"}));
  f.session.Seed(12345);
  EXPECT_EQ(next(), test::TitleFile({"core,ccc,"}));  // 7584 and 19164 land on the core
}

}  // namespace
}  // namespace wordloom
