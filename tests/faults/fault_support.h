#pragma once
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

// Running the built wordloom-cli under the conditions of a fault: a file
// size limit, an unprivileged user, a deadline, a signal in the middle.
namespace wordloom::faults {

struct CliOptions {
  unsigned long fileSizeLimit = 0;  // bytes; 0 for none
  bool asNobody = false;            // run as an unprivileged user (see CanRunAsNobody)
  int deadlineSeconds = 120;        // a hang past this kills the program and fails the test
};

struct CliResult {
  int status = -1;     // exit status, or 128 + signal
  std::string out;     // standard output
  std::string err;     // standard error (UTF-8: the program runs in C.UTF-8)
  long peakRssKb = 0;  // the program's peak resident memory
};

// A started program; Wait() collects it.
class CliProcess {
 public:
  CliProcess(const std::vector<std::string>& args, const CliOptions& options = {});
  ~CliProcess();
  pid_t pid() const { return pid_; }
  long RssKb() const;  // current resident memory
  void Signal(int sig) const;
  CliResult Wait();

 private:
  test::TempDir io_;
  pid_t pid_ = -1;
  bool waited_ = false;
};

CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options = {});

// True when permission checks apply to a child: we are not root, or root can
// become the "nobody" user (65534). The reason is set when it is false.
bool CanRunAsNobody(std::string& why);

// Makes a folder and everything named reachable and readable (or writable)
// for every user, since mkdtemp's folders are private.
void OpenToAll(const std::filesystem::path& path, bool writable);

// Waits until `pred` holds, checking every 10 ms; false after `limit`.
template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > until) return false;
    struct timespec ts = {0, 10 * 1000 * 1000};
    nanosleep(&ts, nullptr);
  }
  return true;
}

// Temporary files the program leaves beside `target` (.<name>.wordloom-XXXXXX).
std::vector<std::filesystem::path> TempFilesFor(const std::filesystem::path& target);
// Size of the largest of them, 0 when there is none.
uintmax_t LargestTempFile(const std::filesystem::path& target);

std::string Repeat(const std::string& s, size_t times);

}  // namespace wordloom::faults
