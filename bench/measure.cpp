// Runs a command and prints its wall time in seconds, its peak resident
// memory in KiB, its exit status and the CPU time (user and system) it
// used: "SECONDS KIB EXIT CPU_SECONDS". Standard output of the command can
// be sent to a file with -o (the benchmark's dd and wc references need it).
//
//   measure [-o FILE] COMMAND ARG...
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  int first = 1;
  const char* stdoutPath = nullptr;
  if (argc > 2 && std::strcmp(argv[1], "-o") == 0) {
    stdoutPath = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: measure [-o FILE] COMMAND ARG...\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    if (stdoutPath) {
      int fd = open(stdoutPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || dup2(fd, 1) < 0) _exit(127);
      close(fd);
    }
    execvp(argv[first], argv + first);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) return 2;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::printf("%.6f %ld %d %.6f\n", seconds, static_cast<long>(usage.ru_maxrss), code, cpu);
  return 0;
}
