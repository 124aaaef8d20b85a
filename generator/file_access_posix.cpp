#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "file_access.h"

namespace wordloom {
namespace {

std::string Reason(int err) {
  switch (err) {
    case ENOENT: return "文件或文件夹不存在";
    case EACCES:
    case EPERM: return "没有访问权限";
    case EISDIR: return "这是一个文件夹";
    case ENOTDIR: return "路径中有一部分不是文件夹";
    case ENOSPC: return "磁盘空间不足";
    case EDQUOT: return "磁盘配额已用完";
    case EFBIG: return "文件超过了允许的大小";
    case EROFS: return "磁盘是只读的";
    case EIO: return "读写设备出错";
    case ENAMETOOLONG: return "路径太长";
    case ELOOP: return "符号链接层数太多";
    case ENOMEM: return "内存不足";
    default: return std::string("系统错误：") + std::strerror(err);
  }
}

bool Fail(std::string& reason, int err) {
  reason = Reason(err);
  return false;
}

bool WriteAll(int fd, const char* data, size_t size, std::string& reason) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(reason, errno);
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

mode_t CurrentUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// Ctrl-C, a logout or a kill during a long write must not leave the
// temporary file behind: while one exists, these signals remove it and then
// end the process as they would have. SIGKILL cannot be caught; what it
// leaves is a file named .<target>.wordloom-XXXXXX beside the target.
const int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr size_t kSignalCount = sizeof kCleanupSignals / sizeof kCleanupSignals[0];
char g_signalTempPath[PATH_MAX];
volatile sig_atomic_t g_signalTempSet = 0;
bool g_handlerInstalled[kSignalCount];

extern "C" void RemoveTempAndRaise(int sig) {
  if (g_signalTempSet) ::unlink(g_signalTempPath);
  ::signal(sig, SIG_DFL);
  ::raise(sig);  // delivered with the default action once the handler returns
}

// Blocks the cleanup signals for as long as it lives, so that a temporary
// file is never created, renamed or forgotten halfway through a signal.
class SignalsBlocked {
 public:
  SignalsBlocked() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kCleanupSignals) sigaddset(&set, sig);
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

 private:
  sigset_t old_;
};

// Called with the signals blocked.
void WatchTemp(const std::string& path) {
  if (g_signalTempSet || path.size() >= sizeof g_signalTempPath) return;
  std::memcpy(g_signalTempPath, path.c_str(), path.size() + 1);
  g_signalTempSet = 1;
  for (size_t i = 0; i < kSignalCount; ++i) {
    struct sigaction old;
    // Only where nobody else decided what the signal does (not under nohup,
    // not over a handler of the program's own).
    g_handlerInstalled[i] = ::sigaction(kCleanupSignals[i], nullptr, &old) == 0 && old.sa_handler == SIG_DFL;
    if (!g_handlerInstalled[i]) continue;
    struct sigaction act;
    std::memset(&act, 0, sizeof act);
    act.sa_handler = RemoveTempAndRaise;
    sigemptyset(&act.sa_mask);
    ::sigaction(kCleanupSignals[i], &act, nullptr);
  }
}

// Called with the signals blocked.
void UnwatchTemp(const std::string& path) {
  if (!g_signalTempSet || path != g_signalTempPath) return;
  g_signalTempSet = 0;
  for (size_t i = 0; i < kSignalCount; ++i) {
    if (g_handlerInstalled[i]) ::signal(kCleanupSignals[i], SIG_DFL);
    g_handlerInstalled[i] = false;
  }
}

// The file a target path finally names: symbolic links are followed even
// when the file they point to does not exist yet, so the new file is made
// there and the link stays a link.
std::filesystem::path FollowLinks(std::filesystem::path path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<size_t>(n) >= buf.size()) break;
    const std::filesystem::path to(std::string(buf.data(), static_cast<size_t>(n)));
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return path;
}

}  // namespace

std::string PathForDisplay(const std::filesystem::path& path) { return path.string(); }

bool ReadWholeFile(const std::filesystem::path& path, std::string& out, std::string& reason) {
  // O_NONBLOCK so that opening a FIFO cannot hang; cleared below for files.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(reason, errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return Fail(reason, err);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    reason = S_ISDIR(st.st_mode) ? "这是一个文件夹，不是词库文件" : "这不是普通文件";
    return false;
  }
  ::fcntl(fd, F_SETFL, 0);
  out.clear();
  try {
    out.resize(static_cast<size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    ::close(fd);
    return Fail(reason, ENOMEM);
  }
  size_t have = 0;
  for (;;) {
    // At the expected end, a small probe tells whether the file grew while
    // we read; growing the buffer blindly would double a 100 MB library.
    char probe[4096];
    const bool full = have == out.size();
    ssize_t n = full ? ::read(fd, probe, sizeof probe) : ::read(fd, &out[have], out.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      out.clear();
      return Fail(reason, err);
    }
    if (n == 0) break;
    if (full) {
      try {
        out.append(probe, static_cast<size_t>(n));
      } catch (const std::bad_alloc&) {
        ::close(fd);
        out.clear();
        return Fail(reason, ENOMEM);
      }
    }
    have += static_cast<size_t>(n);
  }
  ::close(fd);
  out.resize(have);
  return true;
}

struct OutputFile::Impl {
  int fd = -1;
  bool ownsFd = true;
  std::string tempPath;  // empty when writing directly
  std::string targetPath;
};

OutputFile::~OutputFile() { Abort(); }

bool OutputFile::Open(const std::filesystem::path& target, std::string& reason) {
  Abort();
  std::string path = target.string();
  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;  // follows a symbolic link to its file
  if (exists && S_ISDIR(st.st_mode)) {
    reason = "这是一个文件夹";
    return false;
  }
  impl_ = new Impl;
  if (exists && !S_ISREG(st.st_mode)) {
    impl_->fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (impl_->fd < 0) {
      int err = errno;
      Abort();
      return Fail(reason, err);
    }
    return true;
  }
  // A link stays a link: the file it names is the one replaced.
  const std::filesystem::path real = FollowLinks(target);
  impl_->targetPath = real.string();
  std::filesystem::path dir = real.parent_path();
  std::string temp = (dir / ("." + real.filename().string() + ".wordloom-XXXXXX")).string();
  std::vector<char> tmpl(temp.begin(), temp.end());
  tmpl.push_back('\0');
  {
    SignalsBlocked blocked;
    impl_->fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (impl_->fd >= 0) {
      impl_->tempPath = tmpl.data();
      WatchTemp(impl_->tempPath);
    }
  }
  if (impl_->fd < 0) {
    int err = errno;
    Abort();
    return Fail(reason, err);
  }
  mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
  if (::fchmod(impl_->fd, mode) != 0) {
    int err = errno;
    Abort();
    return Fail(reason, err);
  }
  return true;
}

bool OutputFile::OpenStandardOutput(std::string&) {
  Abort();
  impl_ = new Impl;
  impl_->fd = STDOUT_FILENO;
  impl_->ownsFd = false;
  return true;
}

bool OutputFile::Write(const char* data, size_t size, std::string& reason) {
  if (!impl_ || impl_->fd < 0) return Fail(reason, EBADF);
  return WriteAll(impl_->fd, data, size, reason);
}

bool OutputFile::Commit(std::string& reason) {
  if (!impl_) return Fail(reason, EBADF);
  int fd = impl_->fd;
  impl_->fd = -1;
  if (impl_->ownsFd && ::close(fd) != 0) {
    int err = errno;
    Abort();
    return Fail(reason, err);
  }
  if (!impl_->tempPath.empty()) {
    SignalsBlocked blocked;
    if (::rename(impl_->tempPath.c_str(), impl_->targetPath.c_str()) != 0) {
      int err = errno;
      Abort();
      return Fail(reason, err);
    }
    UnwatchTemp(impl_->tempPath);
  }
  delete impl_;
  impl_ = nullptr;
  return true;
}

void OutputFile::Abort() {
  if (!impl_) return;
  if (impl_->fd >= 0 && impl_->ownsFd) ::close(impl_->fd);
  if (!impl_->tempPath.empty()) {
    SignalsBlocked blocked;
    ::unlink(impl_->tempPath.c_str());
    UnwatchTemp(impl_->tempPath);
  }
  delete impl_;
  impl_ = nullptr;
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace wordloom
