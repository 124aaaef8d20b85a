// Word libraries that are missing, unreadable, not files, or strange inside.
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "fault_fixture.h"
#include "messages.h"
#include "word_list.h"

namespace fs = std::filesystem;

namespace wordloom::faults {
namespace {

using LibraryFaults = FaultTest;
using test::Gbk;
using test::ReadFile;
using test::WriteFile;

TEST_F(LibraryFaults, MissingFileOrFolderIsNamedWithTheReason) {
  const std::string missing = (dir_ / "no-such-words.txt").string();
  CliResult r = RunCli(Args(missing, out_));
  EXPECT_EQ(r.status, 3);
  EXPECT_MESSAGE(r, missing, "文件或文件夹不存在");
  ExpectOldFileAlone();

  const std::string underFile = lib_ + "/words.txt";  // a file used as a folder
  r = RunCli(Args(underFile, out_));
  EXPECT_EQ(r.status, 3);
  EXPECT_MESSAGE(r, underFile, "路径中有一部分不是文件夹");
  ExpectOldFileAlone();
}

TEST_F(LibraryFaults, FolderIsRefused) {
  fs::create_directory(dir_ / "a folder");
  const std::string folder = (dir_ / "a folder").string();
  CliResult r = RunCli(Args(folder, out_));
  EXPECT_EQ(r.status, 3);
  EXPECT_MESSAGE(r, folder, "这是一个文件夹");
  ExpectOldFileAlone({"a folder"});
}

TEST_F(LibraryFaults, FifoAndDevicesAreRefusedAtOnceWithoutBlocking) {
  // Nobody writes to the FIFO: reading it would wait forever, and /dev/zero
  // would never end. The deadline turns a block into a failure.
  const std::string fifo = (dir_ / "pipe").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  CliOptions quick;
  quick.deadlineSeconds = 30;
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    CliResult r = RunCli(Args(path, out_), quick);
    EXPECT_EQ(r.status, 3);
    EXPECT_MESSAGE(r, path, "这不是普通文件");
  }
  struct stat st;
  ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ExpectOldFileAlone({"pipe"});
}

TEST_F(LibraryFaults, NoReadPermission) {
  std::string why;
  if (!CanRunAsNobody(why)) GTEST_SKIP() << why;
  // Everything but the library itself is open to the unprivileged user, so
  // the library's own permission is what stops the run.
  OpenToAll(dir_.path(), true);
  fs::permissions(lib_, fs::perms::none);
  CliOptions nobody;
  nobody.asNobody = true;
  CliResult r = RunCli(Args(lib_, out_), nobody);
  fs::permissions(lib_, fs::perms(0644));
  EXPECT_EQ(r.status, 3);
  EXPECT_MESSAGE(r, lib_, "没有访问权限");
  ExpectOldFileAlone();
}

TEST_F(LibraryFaults, DeletedBetweenTwoRuns) {
  // The dialog keeps the chosen path across runs; the file can go meanwhile.
  g_strLibraryPath = lib_;
  test::RecordingFrontEnd frontEnd;
  frontEnd.savePath = fs::path(out_);
  RunInputs inputs;
  inputs.countText = "2";
  inputs.coreWord = "core";
  inputs.lengthText = "10";
  inputs.separatorIndex = 0;
  ASSERT_EQ(RunGeneration(inputs, frontEnd), RunOutcome::kWritten);
  const std::string first = ReadFile(out_);
  EXPECT_NE(first, old_);

  fs::remove(lib_);
  EXPECT_EQ(RunGeneration(inputs, frontEnd), RunOutcome::kLibraryError);
  ASSERT_EQ(frontEnd.messages.size(), 1u);
  EXPECT_NE(frontEnd.messages[0].find(lib_), std::string::npos) << frontEnd.messages[0];
  EXPECT_NE(frontEnd.messages[0].find("文件或文件夹不存在"), std::string::npos) << frontEnd.messages[0];
  EXPECT_EQ(frontEnd.saveRequests, 1);  // the second run never got to the save step
  EXPECT_TRUE(g_words.empty());
  EXPECT_EQ(ReadFile(out_), first);
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"titles.txt"});
  g_strLibraryPath.clear();
}

TEST_F(LibraryFaults, BinaryGarbageIsTakenAsBytesOrRefusedByLine) {
  std::mt19937 random(20261206);
  std::string garbage(256 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  garbage[0] = 'x';  // no byte-order mark: taken as GBK bytes, as any other file
  WriteFile(lib_, garbage);
  CliResult r = RunCli(Args(lib_, out_, "50", "40", "none"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> bodies = TitleBodies(ReadFile(out_), "core");
  ASSERT_EQ(bodies.size(), 50u);
  for (const std::string& body : bodies) EXPECT_LE(4 + body.size(), 39u);
  EXPECT_TRUE(TempFilesFor(out_).empty());

  // Behind a UTF-16 byte-order mark the same bytes cannot be text: refused
  // with the line, and the title file from before stays.
  WriteFile(out_, old_);
  WriteFile(lib_, "\xFF\xFE" + garbage.substr(1));
  r = RunCli(Args(lib_, out_, "50", "40", "none"));
  EXPECT_EQ(r.status, 1);
  EXPECT_MESSAGE(r, lib_, " 行");
  ExpectOldFileAlone();
}

TEST_F(LibraryFaults, NulBytesEndTheirEntry) {
  // Entries: "core", "xx", "" — what follows a NUL on its line is dropped.
  WriteFile(lib_, std::string("core\0junk\r\nxx\0yy\r\n\0zz\r\n", 24));
  CliResult r = RunCli(Args(lib_, out_, "4", "7", "none"));
  ASSERT_EQ(r.status, 0) << r.err;
  // 4 + 2 fits below 7, a second "xx" would not; the empty entry adds nothing.
  std::string expected = Gbk("商品名称") + "\r\n";
  for (int i = 0; i < 4; ++i) expected += Gbk("标题" + std::to_string(i) + ":") + "corexx\r\n";
  EXPECT_EQ(ReadFile(out_), expected);
}

TEST_F(LibraryFaults, OneLineOf100MB) {
  const size_t big = 100u << 20;
  {
    std::string bytes = "core\n";
    bytes.append(big, 'a');
    bytes += "\nbb\n";
    WriteFile(lib_, bytes);
  }
  CliResult r = RunCli(Args(lib_, out_, "20", "12", "comma"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> bodies = TitleBodies(ReadFile(out_), "core");
  ASSERT_EQ(bodies.size(), 20u);
  for (const std::string& body : bodies) EXPECT_TRUE(body == "," || body == ",bb," || body == ",bb,bb,") << body;
  // The library is held once, not copied per line or per step (the
  // sanitizer build adds about a quarter).
  EXPECT_LT(r.peakRssKb, static_cast<long>(big / 1024 * 8 / 5)) << "peak " << r.peakRssKb << " KB";
}

TEST_F(LibraryFaults, TenMillionEmptyLines) {
  {
    std::string bytes = "core\n";
    bytes.append(10'000'000, '\n');
    bytes += "w\n";
    WriteFile(lib_, bytes);
  }
  CliResult r = RunCli(Args(lib_, out_, "30", "10", "comma"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> bodies = TitleBodies(ReadFile(out_), "core");
  ASSERT_EQ(bodies.size(), 30u);
  for (const std::string& body : bodies) {
    EXPECT_LE(4 + body.size(), 10u) << body;
    EXPECT_EQ(body.find_first_not_of(",w"), std::string::npos) << body;
    EXPECT_EQ(body.back(), ',');
  }
  // Ten million entries cost their offsets, not a string each.
  EXPECT_LT(r.peakRssKb, 400L * 1024) << "peak " << r.peakRssKb << " KB";
}

}  // namespace
}  // namespace wordloom::faults
