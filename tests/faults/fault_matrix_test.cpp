// The fault matrix of docs/RELIABILITY.md: wordloom-cli (or the core) under
// one fault at a time. Every case checks the exit status, the message (the
// file and the reason), the old title file and that nothing stray is left.
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <random>

#include "fault_support.h"
#include "messages.h"

namespace wordloom::faults {
namespace {

using namespace test;
using namespace std::string_literals;

std::string Garbage() {
  std::mt19937 random(20261206);
  std::string bytes(256 << 10, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

TEST_F(FaultMatrix, RefusedLibraryOrTargetIsNamedAndTheOldFileKept) {
  const bool nobody = RunCli({"--version"}, 0, true).status == 0;  // not root, or root can become nobody
  const fs::path d = dir_.path(), gone = d / "gone.txt", locked = d / "locked";
  fs::copy_file(lib_, gone);  // a run with it, then it is deleted before the next
  ASSERT_EQ(RunCli(Args(gone, out_)).status, 0);
  fs::remove(gone);
  const std::string kept = ReadFile(out_);
  fs::create_directories(d / "folder");
  WriteFile(d / "folder/inside.txt", "kept");
  fs::create_directory_symlink("folder", d / "link");
  ASSERT_EQ(::mkfifo((d / "pipe").c_str(), 0644), 0);  // never written to: reading it would block
  WriteFile(d / "unreadable.txt", "core\naaa\n");
  fs::permissions(d / "unreadable.txt", fs::perms::none);
  WriteFile(d / "utf16.txt", "\xFF\xFE" + Garbage());  // cannot be UTF-16 text
  fs::create_directory(locked);
  WriteFile(locked / "titles.txt", old_);
  // All is open to nobody but the unreadable library and the `locked` folder.
  fs::permissions(d, fs::perms(0777));
  fs::permissions(lib_, fs::perms(0644));
  fs::permissions(locked, fs::perms(::geteuid() == 0 ? 0755 : 0555));
  const std::vector<std::string> before = dir_.List();
  struct Case {
    std::string library, target;
    int status;
    const char *reason, *count = "3", *length = "10";
    rlim_t fileSizeLimit = 0;
    bool asNobody = false;
  };
  const Case cases[] = {
      {d / "missing.txt", out_, 3, "文件或文件夹不存在"}, {gone, out_, 3, "文件或文件夹不存在"},
      {lib_ + "/words.txt", out_, 3, "路径中有一部分不是文件夹"},
      {d / "folder", out_, 3, "这是一个文件夹"},
      {d / "pipe", out_, 3, "这不是普通文件"}, {"/dev/zero", out_, 3, "这不是普通文件"},
      {"/dev/null", out_, 3, "这不是普通文件"}, {d / "utf16.txt", out_, 1, " 行"},
      {d / "unreadable.txt", out_, 3, "没有访问权限", "3", "10", 0, true},
      {lib_, locked / "titles.txt", 3, "没有访问权限", "3", "10", 0, true},
      {lib_, out_, 3, "文件超过了允许的大小", "100000", "10", 64 << 10},  // disk full: EFBIG, SIGXFSZ ignored
      {lib_, d / "folder", 3, "这是一个文件夹"}, {lib_, d / "link", 3, "这是一个文件夹"},
      {lib_, "/dev/full", 3, "磁盘空间不足", "100000"},  // written directly, fails at a flush
      {lib_, out_, 1, msg::kLengthRequired, "3", "-5"},  // negative and overflowing numbers
      {lib_, out_, 1, msg::kLengthRequired, "3", "-99999999999999999999"}, {lib_, out_, 1, msg::kCountRequired, "-0"},
      {lib_, out_, 1, msg::kLengthRequired, "3", "-2147483648"}, {lib_, out_, 1, msg::kCountRequired, "+-3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library + " -> " + c.target + " " + c.count + " / " + c.length);
    if ((c.asNobody && !nobody) || !fs::exists(c.target)) continue;
    const auto r = RunCli(Args(c.library, c.target, c.count, c.length), c.fileSizeLimit, c.asNobody);
    const std::string named = c.library != lib_ ? c.library : c.status == 3 ? c.target : "";
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(r.err.find(named) != npos && r.err.find(c.reason) != npos) << r.err;
    EXPECT_TRUE(named != c.target || c.target == "/dev/full" || r.err.find("原有文件未被改动") != npos) << r.err;
    ExpectOldFileAlone(before, kept);
  }
  EXPECT_TRUE(ReadFile(locked / "titles.txt") == old_ && TempFilesFor(locked / "titles.txt").empty());
  EXPECT_TRUE(ReadFile(d / "folder/inside.txt") == "kept" && fs::is_symlink(d / "link") && fs::is_fifo(d / "pipe"));
  if (!nobody) GTEST_SKIP() << "running as root and cannot become nobody: permissions not checked";
}

TEST_F(FaultMatrix, OddLibrariesAndLongCoreWordsGiveCompleteTitles) {
  std::string chinese;  // 5,000 characters: 10,000 GBK bytes
  for (int i = 0; i < 5000; ++i) chinese += "字";
  struct Case {
    const char *name, *count, *length, *separator;
    std::function<std::string()> library;
    std::string core;
    std::function<bool(const std::string&)> bodyOk;
    long peakKb = 0;  // the library is held once, entries as offsets (the sanitizer build adds a quarter)
  };
  const Case cases[] = {
      {"binary garbage, taken as GBK bytes", "50", "40", "none", [] { return "x" + Garbage(); }, "core",
       [](const std::string& b) { return 4 + b.size() <= 39; }},
      {"NUL bytes: entries core, xx and the empty one", "4", "7", "none",
       [] { return "core\0junk\r\nxx\0yy\r\n\0zz\r\n"s; }, "core", [](const std::string& b) { return b == "xx"; }},
      {"one line of 100 MB", "20", "12", "comma", [] { return "core\n" + std::string(100 << 20, 'a') + "\nbb\n"; },
       "core", [](const std::string& b) { return b == "," || b == ",bb," || b == ",bb,bb,"; }, 160 << 10},
      {"10 million empty lines", "30", "10", "comma", [] { return "core\n" + std::string(10'000'000, '\n') + "w\n"; },
       "core", [](const std::string& b) { return b.size() <= 6 && b.find_first_not_of(",w") == npos; }, 400 << 10},
      {"negative count: the header alone", "-99999999999999999999", "10", "none", [] { return "core\n\n"s; }, "core",
       nullptr},
      {"length past 32 bits, not wrapped round", "3", "4294967306", "none", [] { return "core\n\n"s; }, "core",
       [](const std::string& b) { return b.empty(); }},
      // Found as the library's first line; 2-byte entries: 10000 + 6 × (1 + 2) + 1 = 10019, 2 more reach 10020.
      {"core of 10,000 GBK bytes with entries", "5", "10020", "comma", [&] { return chinese + "\n好\naa\n"; }, chinese,
       [](const std::string& b) { return b.size() == 19 && b.find_first_not_of("a," + Gbk("好")) == npos; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(lib_, c.library());
    const auto r = RunCli(Args(lib_, out_, c.count, c.length, c.separator, c.core));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> bodies = TitleBodies(ReadFile(out_), Gbk(c.core));
    EXPECT_EQ(bodies.size(), std::max(0LL, std::strtoll(c.count, nullptr, 10)));
    for (const std::string& body : bodies) EXPECT_TRUE(c.bodyOk(body)) << body;
    EXPECT_TRUE(c.peakKb == 0 || r.peakRssKb < c.peakKb) << "peak " << r.peakRssKb << " KB";
    EXPECT_EQ(dir_.List(), (std::vector<std::string>{"titles.txt", "words.txt"}));
  }
}

TEST_F(FaultMatrix, SymbolicLinkStaysAndItsFileIsReplaced) {
  fs::create_directory(dir_ / "real");
  WriteFile(dir_ / "real/titles.txt", old_);
  fs::permissions(dir_ / "real/titles.txt", fs::perms(0640));
  fs::create_symlink("real/titles.txt", dir_ / "link.txt");   // relative, as users make them
  fs::create_symlink("real/new.txt", dir_ / "new-link.txt");  // points at nothing yet
  for (const char* link : {"link.txt", "new-link.txt"}) {
    const fs::path pointsTo = fs::read_symlink(dir_ / link);
    EXPECT_EQ(RunCli(Args(lib_, dir_ / link)).status, 0) << link;
    EXPECT_EQ(fs::read_symlink(dir_ / link), pointsTo);  // throws when it is no longer a link
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir_ / pointsTo))) << link;
    EXPECT_EQ(TitleBodies(ReadFile(dir_ / pointsTo), "core").size(), 3u) << link;
  }
  EXPECT_EQ(fs::status(dir_ / "real/titles.txt").permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_EQ(TempFilesFor(dir_ / "real/titles.txt").size() + TempFilesFor(dir_ / "real/new.txt").size(), 0u);
  ExpectOldFileAlone({"link.txt", "new-link.txt", "real", "titles.txt", "words.txt"});
}

TEST_F(FaultMatrix, TwoProgramsWritingOneTargetGiveOneCompleteFile) {
  auto args = [&](const fs::path& target, std::string seed) {
    return std::vector<std::string>{"-l", lib_, "-c", "core", "-n", "30", "-N", "200000", "--seed", seed, "-o", target};
  };
  test::TempDir alone;  // what each program writes undisturbed
  ASSERT_EQ(RunCli(args(alone / "1", "1")).status + RunCli(args(alone / "2", "2")).status, 0);
  const std::string one = ReadFile(alone / "1"), two = ReadFile(alone / "2");
  ASSERT_NE(one, two);
  for (int round = 0; round < 4; ++round) {
    CliProcess a(args(out_, "1")), b(args(out_, "2"));
    EXPECT_EQ(a.Wait().status + b.Wait().status, 0);
    const std::string result = ReadFile(out_);
    EXPECT_TRUE(result == one || result == two) << "round " << round << ": a mix of " << result.size() << " bytes";
  }
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"titles.txt", "words.txt"}));
}

TEST_F(FaultMatrix, HugeRunStoppedBySignalKeepsTheOldFileAndFlatMemory) {
  const std::vector<std::string> before = dir_.List();
  const std::pair<int, const char*> cases[] = {
      {SIGKILL, "60"}, {SIGINT, "20"}, {SIGTERM, "2147483647"}, {SIGHUP, "60"}, {SIGQUIT, "2147483647"}};
  for (const auto& [sig, length] : cases) {
    SCOPED_TRACE(strsignal(sig) + " / "s + length);
    // Memory does not follow the output (a 2 GB title is streamed, never held).
    CliProcess run(Args(lib_, out_, "2147483647", length));
    ASSERT_TRUE(WaitForTempFile(out_, 8 << 20));
    const long early = run.RssKb();
    ASSERT_TRUE(WaitForTempFile(out_, 72 << 20));
    const long late = run.RssKb();
    run.Signal(sig);
    EXPECT_EQ(run.Wait().status, 128 + sig);
    EXPECT_TRUE(early > 0 && late - early < (6 << 10)) << "resident " << early << " KB, then " << late << " KB";
    if (sig == SIGKILL) {  // cannot be caught: the partial file stays, named .titles.txt.wordloom-XXXXXX
      const std::vector<fs::path> left = TempFilesFor(out_);
      ASSERT_EQ(left.size(), 1u);
      const std::string name = left[0].filename().string();
      EXPECT_TRUE(name.size() == ".titles.txt.wordloom-"s.size() + 6 &&
                  std::all_of(name.end() - 6, name.end(), [](unsigned char ch) { return std::isalnum(ch); })) << name;
      fs::remove(left[0]);
    }
    ExpectOldFileAlone(before);
  }
  EXPECT_EQ(RunCli(Args(lib_, out_)).status, 0);  // the next run writes the title file as usual
  EXPECT_EQ(TitleBodies(ReadFile(out_), "core").size(), 3u);
}

}  // namespace
}  // namespace wordloom::faults
