// The real program under the test's display: it opens a window titled
// "Wordloom", and Esc on it ends the process normally.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, pipe)) out += buf;
    pclose(pipe);
  }
  return out;
}

// Polls until the process has ended; false if it is still running after
// about `tenths` tenths of a second.
bool WaitForExit(pid_t pid, int tenths, int& status) {
  for (int i = 0; i < tenths; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    usleep(100000);
  }
  return false;
}

}  // namespace

TEST(RealProgramTest, OpensItsWindowAndEndsOnEsc) {
  ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "xdotool is needed (scripts/deps.sh)";
  char* argv[] = {const_cast<char*>(WORDLOOM_EXE), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, WORDLOOM_EXE, nullptr, nullptr, argv, environ), 0);

  const std::string search = "xdotool search --all --onlyvisible --pid " + std::to_string(pid) + " --name '^Wordloom$'";
  std::string window;
  for (int i = 0; i < 300 && window.empty(); ++i) {
    window = Shell(search);
    if (window.empty()) usleep(100000);
  }
  window = window.substr(0, window.find('\n'));
  int status = 0;
  bool ended = false;
  if (!window.empty()) {
    // The window takes the keyboard focus, then gets Esc; other tests may
    // show windows on the same display, so try a few times.
    for (int attempt = 0; attempt < 5 && !ended; ++attempt) {
      Shell("xdotool windowfocus --sync " + window + " key Escape 2>/dev/null");
      ended = WaitForExit(pid, 50, status);
    }
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  EXPECT_FALSE(window.empty()) << "no visible window titled Wordloom";
  ASSERT_TRUE(ended) << "the program did not end on Esc";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(RealProgramTest, WithoutADisplayPointsToTheCommandLineProgram) {
  const std::string out = Shell("env -u DISPLAY -u WAYLAND_DISPLAY '" WORDLOOM_EXE "' 2>&1; echo \"rc=$?\"");
  EXPECT_NE(out.find("wordloom-cli"), std::string::npos) << out;
  EXPECT_EQ(out.find("rc=0"), std::string::npos) << out;
}
