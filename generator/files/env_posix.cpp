// The POSIX platform: open, read, write, fsync, rename and friends.
#include <fcntl.h>
#include <stdlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "env.h"

namespace wordloom {
namespace {

Status FromErrno(int err) {
  switch (err) {
    case ENOENT: return Status::Of(Status::kNotFound, err);
    case EACCES:
    case EPERM: return Status::Of(Status::kNoAccess, err);
    case EISDIR: return Status::Of(Status::kIsFolder, err);
    case ENOTDIR: return Status::Of(Status::kNotAFolder, err);
    case ENOSPC: return Status::Of(Status::kNoSpace, err);
    case EDQUOT: return Status::Of(Status::kQuotaFull, err);
    case EFBIG: return Status::Of(Status::kTooLarge, err);
    case EROFS: return Status::Of(Status::kReadOnlyDisk, err);
    case EIO: return Status::Of(Status::kDeviceError, err);
    case ENAMETOOLONG: return Status::Of(Status::kNameTooLong, err);
    case ELOOP: return Status::Of(Status::kLinkLoop, err);
    case ENOMEM: return Status::Of(Status::kNoMemory, err);
    case ETXTBSY:
    case EBUSY: return Status::Of(Status::kInUse, err);
    default: return Status::Of(Status::kOther, err);
  }
}

Status LastError() { return FromErrno(errno); }

// Ctrl-C, a logout or a kill during a long write must not leave the
// temporary file behind: while one exists, these signals remove it and then
// end the process as they would have. SIGKILL cannot be caught.
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

// Blocks the cleanup signals while it lives, so that a temporary file is
// never created, renamed or forgotten halfway through a signal.
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

int Fd(Env::Handle handle) { return static_cast<int>(handle); }

class PosixEnv final : public Env {
 public:
  // A file-size limit turns into a failed write instead of killing the
  // process with a temporary file left behind.
  PosixEnv() { ::signal(SIGXFSZ, SIG_IGN); }

  Status ReadFile(const std::filesystem::path& path, Bytes& out) override {
    // O_NONBLOCK so that opening a FIFO cannot hang; cleared for files.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return LastError();
    struct Closer {
      int fd;
      ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) return LastError();
    if (S_ISDIR(st.st_mode)) return Status::Of(Status::kIsFolder);
    if (!S_ISREG(st.st_mode)) return Status::Of(Status::kNotRegularFile);
    ::fcntl(fd, F_SETFL, 0);
    out.Resize(static_cast<size_t>(st.st_size));
    size_t have = 0;
    for (;;) {
      if (have == out.size()) {
        // The file grew while we read: a small probe first, since growing
        // the buffer blindly would double a 100 MB library.
        char probe[4096];
        const ssize_t n = ::read(fd, probe, sizeof probe);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return LastError();
        if (n == 0) break;
        out.Resize(have + static_cast<size_t>(n));
        std::memcpy(out.data() + have, probe, static_cast<size_t>(n));
        have += static_cast<size_t>(n);
        continue;
      }
      const ssize_t n = ::read(fd, out.data() + have, out.size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return LastError();
      if (n == 0) break;
      have += static_cast<size_t>(n);
    }
    out.Resize(have);
    return Status::Ok();
  }

  Status Inspect(const std::filesystem::path& path, PathInfo& info) override {
    info = PathInfo();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) return Status::Ok();  // missing is an answer, not a failure
      return LastError();
    }
    info.kind = S_ISREG(st.st_mode) ? Kind::kRegular : S_ISDIR(st.st_mode) ? Kind::kFolder : Kind::kOther;
    info.mode = st.st_mode & 07777;
    info.readOnly = (st.st_mode & 0222) == 0;
    return Status::Ok();
  }

  bool ReadLink(const std::filesystem::path& path, std::filesystem::path& target) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<size_t>(n) >= buf.size()) return false;
    target = std::string(buf.data(), static_cast<size_t>(n));
    return true;
  }

  Status CreateTemp(const std::filesystem::path& target, std::filesystem::path& temp, Handle& handle) override {
    const std::string name = (target.parent_path() / ("." + target.filename().string() + ".wordloom-XXXXXX")).string();
    std::vector<char> tmpl(name.begin(), name.end());
    tmpl.push_back('\0');
    SignalsBlocked blocked;
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) return LastError();
    temp = tmpl.data();
    WatchTemp(temp.string());
    handle = fd;
    return Status::Ok();
  }

  Status OpenForWriting(const std::filesystem::path& path, Handle& handle) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return LastError();
    handle = fd;
    return Status::Ok();
  }

  Status StandardOutput(Handle& handle) override {
    handle = STDOUT_FILENO;
    return Status::Ok();
  }

  Status Write(Handle handle, const char* data, size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(Fd(handle), data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return LastError();
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return Status::Ok();
  }

  Status SetMode(Handle handle, uint32_t mode) override {
    return ::fchmod(Fd(handle), static_cast<mode_t>(mode)) == 0 ? Status::Ok() : LastError();
  }

  uint32_t NewFileMode() override {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
  }

  Status Sync(Handle handle) override {
    while (::fsync(Fd(handle)) != 0) {
      if (errno == EINTR) continue;
      // Pipes and terminals have nothing to sync.
      if (errno == EINVAL || errno == EROFS) return Status::Ok();
      return LastError();
    }
    return Status::Ok();
  }

  Status Close(Handle handle) override {
    if (Fd(handle) == STDOUT_FILENO) return Status::Ok();
    return ::close(Fd(handle)) == 0 ? Status::Ok() : LastError();
  }

  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    SignalsBlocked blocked;
    if (::rename(from.c_str(), to.c_str()) != 0) return LastError();
    UnwatchTemp(from.string());
    return Status::Ok();
  }

  Status SyncFolder(const std::filesystem::path& folder) override {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return LastError();
    Status status = Status::Ok();
    if (::fsync(fd) != 0 && errno != EINVAL) status = LastError();
    ::close(fd);
    return status;
  }

  Status Remove(const std::filesystem::path& path) override {
    SignalsBlocked blocked;
    const bool removed = ::unlink(path.c_str()) == 0;
    const int err = errno;
    UnwatchTemp(path.string());
    return removed ? Status::Ok() : FromErrno(err);
  }

  std::string Display(const std::filesystem::path& path) override { return path.string(); }
};

}  // namespace

Env& Env::Platform() {
  static PosixEnv env;
  return env;
}

std::string SystemErrorText(long systemError) { return std::strerror(static_cast<int>(systemError)); }

Status NewScratchFolder(std::filesystem::path& folder) {
  std::error_code error;
  std::string name = (std::filesystem::temp_directory_path(error) / "wordloom-XXXXXX").string();
  if (error) name = "/tmp/wordloom-XXXXXX";
  if (!::mkdtemp(name.data())) return LastError();
  folder = name;
  return Status::Ok();
}

std::string NarrowPath(const std::filesystem::path& path) { return path.string(); }

}  // namespace wordloom
