// Title files that cannot be written, written through links, stopped
// halfway, or written by two programs at once.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "fault_fixture.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace wordloom::faults {
namespace {

using OutputFaults = FaultTest;
using test::ReadFile;
using test::WriteFile;

TEST_F(OutputFaults, FolderWithoutWritePermission) {
  std::string why;
  if (!CanRunAsNobody(why)) GTEST_SKIP() << why;
  // The library is readable for everyone; the folder of the title file is
  // not writable for the user running the program.
  const fs::path locked = dir_ / "locked";
  fs::create_directory(locked);
  const std::string target = (locked / "titles.txt").string();
  WriteFile(target, old_);
  OpenToAll(dir_.path(), false);
  fs::permissions(lib_, fs::perms(0644));  // whatever the umask made it
  fs::permissions(locked, fs::perms(::geteuid() == 0 ? 0755 : 0555));
  CliOptions nobody;
  nobody.asNobody = true;
  CliResult r = RunCli(Args(lib_, target), nobody);
  fs::permissions(locked, fs::perms(0755));
  EXPECT_EQ(r.status, 3);
  EXPECT_MESSAGE(r, target, "没有访问权限");
  EXPECT_MESSAGE(r, target, "原有文件未被改动");
  EXPECT_EQ(ReadFile(target), old_);
  EXPECT_EQ(test::ReadFile(out_), old_);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(locked)) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"titles.txt"});
}

TEST_F(OutputFaults, DiskFullLeavesTheOldFile) {
  // A file-size limit fails the write part way (EFBIG, SIGXFSZ ignored)...
  CliOptions limited;
  limited.fileSizeLimit = 64 * 1024;
  CliResult r = RunCli(Args(lib_, out_, "100000"), limited);
  EXPECT_EQ(r.status, 3);
  EXPECT_MESSAGE(r, out_, "文件超过了允许的大小");
  EXPECT_MESSAGE(r, out_, "原有文件未被改动");
  ExpectOldFileAlone();

  // ...and a device without space says so on the first flush (ENOSPC).
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  r = RunCli(Args(lib_, "/dev/full", "100000"));
  EXPECT_EQ(r.status, 3);
  EXPECT_MESSAGE(r, "/dev/full", "磁盘空间不足");
}

TEST_F(OutputFaults, TargetIsAFolderOrALinkToOne) {
  const fs::path folder = dir_ / "folder";
  fs::create_directory(folder);
  WriteFile(folder / "inside.txt", "kept");
  fs::create_directory_symlink("folder", dir_ / "folder-link");
  for (const fs::path& target : {folder, dir_ / "folder-link"}) {
    SCOPED_TRACE(target.string());
    CliResult r = RunCli(Args(lib_, target.string()));
    EXPECT_EQ(r.status, 3);
    EXPECT_MESSAGE(r, target.string(), "这是一个文件夹");
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "folder-link"));
  EXPECT_EQ(ReadFile(folder / "inside.txt"), "kept");
  ExpectOldFileAlone({"folder", "folder-link"});
}

TEST_F(OutputFaults, SymbolicLinkStaysAndItsFileIsReplaced) {
  const fs::path real = dir_ / "real";
  fs::create_directory(real);
  WriteFile(real / "titles.txt", old_);
  fs::permissions(real / "titles.txt", fs::perms(0640));
  fs::create_symlink("real/titles.txt", dir_ / "link.txt");  // relative, as users make them
  fs::create_symlink("real/new.txt", dir_ / "new-link.txt");  // points at nothing yet

  for (const char* link : {"link.txt", "new-link.txt"}) {
    SCOPED_TRACE(link);
    CliResult r = RunCli(Args(lib_, (dir_ / link).string()));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir_ / link));
  }
  EXPECT_EQ(fs::read_symlink(dir_ / "link.txt"), "real/titles.txt");
  EXPECT_EQ(fs::read_symlink(dir_ / "new-link.txt"), "real/new.txt");
  for (const char* name : {"titles.txt", "new.txt"}) {
    SCOPED_TRACE(name);
    const fs::path file = real / name;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
    EXPECT_EQ(TitleBodies(ReadFile(file), "core").size(), 3u);
    EXPECT_TRUE(TempFilesFor(file).empty());
  }
  EXPECT_EQ(fs::status(real / "titles.txt").permissions() & fs::perms::all, fs::perms(0640));
  ExpectOldFileAlone({"link.txt", "new-link.txt", "real"});
}

// Starts an endless run on the title file and waits until it has written a
// good part of its temporary file.
class LongRun {
 public:
  LongRun(const std::vector<std::string>& args, const std::string& target) : process_(args), target_(target) {}
  bool WaitUntilWritten(uintmax_t bytes) {
    return WaitFor([&] { return LargestTempFile(target_) >= bytes; }, 60s);
  }
  CliProcess& process() { return process_; }

 private:
  CliProcess process_;
  std::string target_;
};

TEST_F(OutputFaults, KilledInTheMiddleLeavesTheOldFileAndOneNamedTempFile) {
  LongRun run(Args(lib_, out_, "2147483647", "60"), out_);
  ASSERT_TRUE(run.WaitUntilWritten(4 << 20));
  run.process().Signal(SIGKILL);
  EXPECT_EQ(run.process().Wait().status, 128 + SIGKILL);
  EXPECT_EQ(ReadFile(out_), old_);
  // SIGKILL cannot be caught: its temporary file stays, named after the target.
  const std::vector<fs::path> left = TempFilesFor(out_);
  ASSERT_EQ(left.size(), 1u);
  const std::string name = left[0].filename().string(), prefix = ".titles.txt.wordloom-";
  EXPECT_EQ(name.size(), prefix.size() + 6) << name;
  EXPECT_EQ(name.compare(0, prefix.size(), prefix), 0) << name;
  EXPECT_TRUE(std::all_of(name.begin() + prefix.size(), name.end(), [](char c) { return std::isalnum(c) != 0; }))
      << name;
  EXPECT_TRUE(fs::is_regular_file(left[0]));
  // The next run writes the title file as usual.
  fs::remove(left[0]);
  CliResult r = RunCli(Args(lib_, out_));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(TitleBodies(ReadFile(out_), "core").size(), 3u);
}

TEST_F(OutputFaults, InterruptedOrTerminatedLeavesNothingBehind) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(strsignal(sig));
    LongRun run(Args(lib_, out_, "2147483647", "60"), out_);
    ASSERT_TRUE(run.WaitUntilWritten(1 << 20));
    run.process().Signal(sig);
    const CliResult r = run.process().Wait();
    EXPECT_EQ(r.status, 128 + sig) << r.err;
    ExpectOldFileAlone();
  }
}

TEST_F(OutputFaults, TwoProgramsWritingOneTargetGiveOneCompleteFile) {
  // What each program writes on its own, undisturbed.
  auto args = [&](const std::string& target, const char* seed) {
    std::vector<std::string> a = Args(lib_, target, "200000", "30");
    a.insert(a.end(), {"--seed", seed});
    return a;
  };
  const std::string alone1 = (dir_ / "alone1").string(), alone2 = (dir_ / "alone2").string();
  ASSERT_EQ(RunCli(args(alone1, "1")).status, 0);
  ASSERT_EQ(RunCli(args(alone2, "2")).status, 0);
  const std::string one = ReadFile(alone1), two = ReadFile(alone2);
  ASSERT_NE(one, two);
  fs::remove(alone1);
  fs::remove(alone2);

  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    CliProcess a(args(out_, "1")), b(args(out_, "2"));
    const CliResult ra = a.Wait(), rb = b.Wait();
    EXPECT_EQ(ra.status, 0) << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.err;
    const std::string result = ReadFile(out_);
    EXPECT_TRUE(result == one || result == two) << "a mix of " << result.size() << " bytes";
    EXPECT_TRUE(TempFilesFor(out_).empty());
  }
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"titles.txt", "words.txt"}));
}

}  // namespace
}  // namespace wordloom::faults
