// The platform's files under the generate command: real folders, links,
// pipes and devices, permissions, and the permission bits a title file gets.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"
#include "wordloom/messages.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;

struct Folder {
  test::TempDir dir;
  Session session;
  test::RecordingFrontEnd front;
  Folder() {
    test::WriteFile(dir / "words.txt", "core\naaa\nbbb\n");
    session.ChooseLibrary(dir / "words.txt");
  }
  Outcome Run(const fs::path& target) {
    front.savePath = target;
    front.messages.clear();
    return session.Run({"2", "core", "10", 0}, front);
  }
  uint32_t Mode(const std::string& name) const { return static_cast<uint32_t>(fs::status(dir / name).permissions()); }
};

TEST(PosixFiles, TitleFilesKeepOrTakeTheirPermissions) {
  Folder f;
  const mode_t old = ::umask(027);
  const Outcome fresh = f.Run(f.dir / "new.txt");
  ::umask(old);
  ASSERT_EQ(fresh, Outcome::kWritten);
  EXPECT_EQ(f.Mode("new.txt"), 0640u) << "a new file gets what the umask leaves";
  test::WriteFile(f.dir / "old.txt", "old");
  fs::permissions(f.dir / "old.txt", fs::perms(0604));
  ASSERT_EQ(f.Run(f.dir / "old.txt"), Outcome::kWritten);
  EXPECT_EQ(f.Mode("old.txt"), 0604u);
  fs::permissions(f.dir / "old.txt", fs::perms(0444));
  EXPECT_EQ(f.Run(f.dir / "old.txt"), Outcome::kWriteError);
  EXPECT_EQ(f.front.messages, std::vector<std::string>{msg::TitleFileUnwritable((f.dir / "old.txt").string(), "文件是只读的")});
  EXPECT_EQ(f.dir.List(), (std::vector<std::string>{"new.txt", "old.txt", "words.txt"}));
}

TEST(PosixFiles, LinksAreFollowedAndStay) {
  Folder f;
  fs::create_directory(f.dir / "real");
  test::WriteFile(f.dir / "real/titles.txt", "old");
  fs::create_symlink("real/titles.txt", f.dir / "link.txt");
  fs::create_symlink("real/new.txt", f.dir / "dangling.txt");
  fs::create_directory_symlink("real", f.dir / "folder-link");
  for (const char* link : {"link.txt", "dangling.txt"}) {
    ASSERT_EQ(f.Run(f.dir / link), Outcome::kWritten) << link;
    EXPECT_TRUE(fs::is_symlink(f.dir / link)) << link;
  }
  EXPECT_NE(test::ReadFile(f.dir / "real/titles.txt"), "old");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(f.dir / "real/new.txt")));
  EXPECT_EQ(f.Run(f.dir / "folder-link"), Outcome::kWriteError);
  EXPECT_NE(f.front.messages.at(0).find("这是一个文件夹"), std::string::npos);
}

TEST(PosixFiles, LibrariesThatAreNoFilesAreRefusedAtOnceAndDevicesAreWrittenAsTheyAre) {
  Folder f;
  ASSERT_EQ(::mkfifo((f.dir / "pipe").c_str(), 0644), 0);  // never written: reading it would block
  const std::pair<fs::path, const char*> cases[] = {{f.dir / "pipe", "这不是普通文件"},
                                                    {f.dir.path(), "这是一个文件夹"},
                                                    {f.dir / "words.txt/x", "路径中有一部分不是文件夹"}};
  for (const auto& [library, reason] : cases) {
    f.session.ChooseLibrary(library);
    EXPECT_EQ(f.Run(f.dir / "out.txt"), Outcome::kLibraryError);
    EXPECT_EQ(f.front.messages, std::vector<std::string>{msg::LibraryUnreadable(library.string(), reason)});
  }
  f.session.ChooseLibrary(f.dir / "words.txt");
  EXPECT_EQ(f.Run("/dev/null"), Outcome::kWritten);
  EXPECT_EQ(f.Run("/dev/full"), Outcome::kWriteError);
  EXPECT_EQ(f.front.messages, std::vector<std::string>{msg::TitleFileUnwritable("/dev/full", "磁盘空间不足")});
  EXPECT_EQ(f.dir.List(), (std::vector<std::string>{"pipe", "words.txt"}));
}

TEST(PosixFiles, ALibraryWithoutReadPermissionSaysSo) {
  Folder f;
  fs::permissions(f.dir / "words.txt", fs::perms::none);
  const std::vector<std::string> expected{msg::LibraryUnreadable((f.dir / "words.txt").string(), "没有访问权限")};
  const pid_t child = ::fork();  // root reads anything: the run goes as nobody, in a child
  if (child == 0)
    ::_exit((::geteuid() == 0 && ::setuid(65534) != 0) || f.Run(f.dir / "out.txt") != Outcome::kLibraryError ||
            f.front.messages != expected);
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(status, 0) << "the child's run did not say 没有访问权限";
}

}  // namespace
}  // namespace wordloom
