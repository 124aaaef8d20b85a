#include "fault_support.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace wordloom::faults {
namespace {

constexpr uid_t kNobody = 65534;

bool DropToNobody() {
  return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && ::setuid(0) != 0;
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, const CliOptions& options) {
  std::string binary = WORDLOOM_CLI;
  if (options.asNobody && ::geteuid() == 0) {
    // The build folder may not be reachable for another user; a copy is.
    OpenToAll(io_.path(), false);
    const fs::path copy = io_ / "wordloom-cli";
    fs::copy_file(binary, copy);
    fs::permissions(copy, fs::perms(0755));
    binary = copy.string();
  }
  const std::string outPath = (io_ / "stdout").string(), errPath = (io_ / "stderr").string();
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    int o = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int in = ::open("/dev/null", O_RDONLY);
    if (o < 0 || e < 0 || in < 0) ::_exit(124);
    ::dup2(in, 0);
    ::dup2(o, 1);
    ::dup2(e, 2);
    if (options.fileSizeLimit > 0) {
      struct rlimit limit = {options.fileSizeLimit, options.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.asNobody && ::geteuid() == 0 && !DropToNobody()) ::_exit(125);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    // Signals the test may send must reach the program with their defaults.
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::alarm(static_cast<unsigned>(options.deadlineSeconds));  // survives exec: a hang ends in SIGALRM
    ::execv(binary.c_str(), argv.data());
    ::_exit(127);
  }
}

CliProcess::~CliProcess() {
  if (!waited_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

long CliProcess::RssKb() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return -1;
}

void CliProcess::Signal(int sig) const { ::kill(pid_, sig); }

CliResult CliProcess::Wait() {
  CliResult r;
  int status = 0;
  struct rusage usage {};
  while (::wait4(pid_, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("wait4 failed");
  }
  waited_ = true;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.peakRssKb = usage.ru_maxrss;
  r.out = test::ReadFile(io_ / "stdout");
  r.err = test::ReadFile(io_ / "stderr");
  return r;
}

CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options) {
  CliProcess p(args, options);
  return p.Wait();
}

bool CanRunAsNobody(std::string& why) {
  if (::geteuid() != 0) return true;
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(DropToNobody() ? 0 : 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  why = "running as root and cannot switch to the user nobody (65534), so permissions are not checked";
  return false;
}

void OpenToAll(const fs::path& path, bool writable) {
  fs::permissions(path, fs::perms(writable ? 0777 : 0755));
}

std::vector<fs::path> TempFilesFor(const fs::path& target) {
  std::vector<fs::path> found;
  const std::string prefix = "." + target.filename().string() + ".wordloom-";
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(target.parent_path(), ec)) {
    const std::string name = e.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) == 0) found.push_back(e.path());
  }
  return found;
}

uintmax_t LargestTempFile(const fs::path& target) {
  uintmax_t largest = 0;
  for (const fs::path& p : TempFilesFor(target)) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(p, ec);
    if (!ec && size > largest) largest = size;
  }
  return largest;
}

std::string Repeat(const std::string& s, size_t times) {
  std::string out;
  out.reserve(s.size() * times);
  for (size_t i = 0; i < times; ++i) out += s;
  return out;
}

}  // namespace wordloom::faults
