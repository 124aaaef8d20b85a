#pragma once
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"

// Running the built wordloom-cli under a fault (a file size limit, an
// unprivileged user, a signal in the middle) and checking what it leaves.
namespace wordloom::faults {

namespace fs = std::filesystem;
constexpr size_t npos = std::string::npos;

// A started program; Wait() collects it, the destructor kills it if needed.
// A hang past two minutes ends in SIGALRM and fails the test.
class CliProcess {
 public:
  explicit CliProcess(const std::vector<std::string>& args, rlim_t fileSizeLimit = 0, bool asNobody = false) {
    std::string binary = WORDLOOM_CLI;
    asNobody = asNobody && ::geteuid() == 0;
    if (asNobody) {  // the build folder may be out of nobody's reach; a copy is not
      fs::permissions(io_.path(), fs::perms(0755));
      fs::copy_file(binary, io_ / "wordloom-cli");
      binary = (io_ / "wordloom-cli").string();
    }
    if ((pid_ = ::fork()) != 0) return;
    const int null = ::open("/dev/null", O_RDWR), err = ::open((io_ / "stderr").c_str(), O_WRONLY | O_CREAT, 0600);
    if (null < 0 || err < 0 || ::dup2(null, 0) < 0 || ::dup2(null, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(124);
    const struct rlimit limit = {fileSizeLimit, fileSizeLimit};
    if (fileSizeLimit && ::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
    if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(125);
    std::vector<char*> argv{binary.data()};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::signal(sig, SIG_DFL);  // as the test sends them
    sigset_t none{};
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::alarm(120);  // survives exec
    ::execv(binary.c_str(), argv.data());
    ::_exit(127);
  }
  ~CliProcess() { if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0); }
  void Signal(int sig) const { ::kill(pid_, sig); }
  long RssKb() const {  // resident memory now
    const std::string status = test::ReadFile("/proc/" + std::to_string(pid_) + "/status");
    return status.find("VmRSS:") == npos ? -1 : std::atol(status.c_str() + status.find("VmRSS:") + 6);
  }
  struct Result { int status; std::string err; long peakRssKb; };  // status: exit status, or 128 + signal
  Result Wait() {
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) continue;
    pid_ = -1;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return {code, test::ReadFile(io_ / "stderr"), usage.ru_maxrss};
  }

 private:
  test::TempDir io_;
  pid_t pid_ = -1;
};

inline CliProcess::Result RunCli(const std::vector<std::string>& args, rlim_t fileSizeLimit = 0, bool nobody = false) {
  return CliProcess(args, fileSizeLimit, nobody).Wait();
}


// Temporary files beside `target`: .<name>.wordloom-XXXXXX
inline std::vector<fs::path> TempFilesFor(const fs::path& target) {
  std::vector<fs::path> found;
  const std::string prefix = "." + target.filename().string() + ".wordloom-";
  for (const fs::directory_entry& e : fs::directory_iterator(target.parent_path()))
    if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path());
  return found;
}

// Waits, two minutes at most, until a temporary file beside `target` holds `bytes`.
inline bool WaitForTempFile(const fs::path& target, uintmax_t bytes) {
  for (int tries = 0; tries < 12000; ++tries, ::usleep(10000)) {
    std::error_code ec;  // a file may go while we look
    for (const fs::path& p : TempFilesFor(target))
      if (fs::file_size(p, ec) >= bytes && !ec) return true;
  }
  return false;
}

// The titles after the core word, checking the header, the numbering from
// 0, the core at the start of every title and the CR LF line ends.
inline std::vector<std::string> TitleBodies(const std::string& file, const std::string& coreGbk) {
  std::vector<std::string> bodies;
  size_t pos = test::Gbk("商品名称\r\n").size(), end = 0;
  EXPECT_EQ(file.substr(0, pos), test::Gbk("商品名称\r\n"));
  for (; pos < file.size(); pos = end + 2) {
    const std::string label = test::Gbk("标题" + std::to_string(bodies.size()) + ":") + coreGbk;
    end = file.find("\r\n", pos + label.size());
    EXPECT_TRUE(end != npos && file.compare(pos, label.size(), label) == 0) << "title line " << bodies.size();
    if (end == npos) break;
    bodies.push_back(file.substr(pos + label.size(), end - pos - label.size()));
  }
  return bodies;
}

// A folder with a small library and an existing title file that every fault
// must leave exactly as it was.
class FaultMatrix : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteFile(lib_, "core\r\naaa\r\nbbb\r\nccc\r\n"), test::WriteFile(out_, old_); }
  using Str = const std::string&;
  std::vector<std::string> Args(Str library, Str output, Str count = "3", Str length = "10", Str sep = "comma",
                                Str core = "core") const {
    return {"-l", library, "-c", core, "-n", length, "-N", count, "-s", sep, "-o", output};
  }
  // The old title file as it was, and the folder as `listing` (so no temporary file).
  void ExpectOldFileAlone(const std::vector<std::string>& listing, const std::string& old = "") const {
    EXPECT_EQ(test::ReadFile(out_), old.empty() ? old_ : old);
    EXPECT_EQ(dir_.List(), listing);
  }

  test::TempDir dir_;
  const std::string lib_ = (dir_ / "words.txt").string();
  const std::string out_ = (dir_ / "titles.txt").string();
  const std::string old_ = test::Gbk("商品名称\r\n标题0:") + "yesterday's only copy\r\n";
};

}  // namespace wordloom::faults
