// The real program under the test's display: it opens a window titled
// "Wordloom", and Esc on it ends the process normally.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

TEST(RealProgramTest, OpensItsWindowAndEndsOnEsc) {
  ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "xdotool is needed (scripts/deps.sh)";
  char* argv[] = {const_cast<char*>(WORDLOOM_EXE), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, WORDLOOM_EXE, nullptr, nullptr, argv, environ), 0);

  // Up to 30 s for a visible window of this process titled exactly "Wordloom".
  const std::string search = "for i in $(seq 300); do xdotool search --all --onlyvisible --pid " +
                             std::to_string(pid) + " --name '^Wordloom$' && break; sleep 0.1; done";
  char window[32] = "";
  if (FILE* pipe = popen(search.c_str(), "r")) {
    if (fgets(window, sizeof window, pipe)) window[strcspn(window, "\n")] = '\0';
    pclose(pipe);
  }
  // The window takes the keyboard focus, then gets Esc; other tests may show
  // windows on the same display, so Esc goes again every 5 s, five times.
  // Esc goes only while the program runs and its window is there, so the end
  // is Esc's and not an earlier accident's.
  const std::string stillThere = "xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                                 " --name '^Wordloom$' 2>/dev/null | grep -qx " + window;
  const std::string esc = "xdotool windowfocus --sync " + std::string(window) + " key Escape 2>/dev/null";
  int status = 0;
  bool ended = false;
  bool escSent = false;
  for (int i = 0; i < 250 && !ended && window[0]; ++i) {
    ended = waitpid(pid, &status, WNOHANG) == pid;
    if (!ended && i % 50 == 0 && std::system(stillThere.c_str()) == 0) {
      std::system(esc.c_str());
      escSent = true;
    }
    usleep(100000);
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  EXPECT_TRUE(window[0]) << "no visible window titled Wordloom";
  EXPECT_TRUE(escSent) << "the program or its window was gone before Esc";
  ASSERT_TRUE(ended) << "the program did not end on Esc";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
