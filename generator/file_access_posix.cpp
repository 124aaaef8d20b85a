#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
    if (have == out.size()) out.resize(have + 65536);  // the file grew while we read
    ssize_t n = ::read(fd, &out[have], out.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      out.clear();
      return Fail(reason, err);
    }
    if (n == 0) break;
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
  std::error_code ec;
  std::filesystem::path real = std::filesystem::weakly_canonical(target, ec);
  if (ec) real = target;
  impl_->targetPath = real.string();
  std::filesystem::path dir = real.parent_path();
  std::string temp = (dir / ("." + real.filename().string() + ".wordloom-XXXXXX")).string();
  std::vector<char> tmpl(temp.begin(), temp.end());
  tmpl.push_back('\0');
  impl_->fd = ::mkstemp(tmpl.data());
  if (impl_->fd < 0) {
    int err = errno;
    Abort();
    return Fail(reason, err);
  }
  impl_->tempPath = tmpl.data();
  ::fcntl(impl_->fd, F_SETFD, FD_CLOEXEC);
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
  if (!impl_->tempPath.empty() && ::rename(impl_->tempPath.c_str(), impl_->targetPath.c_str()) != 0) {
    int err = errno;
    Abort();
    return Fail(reason, err);
  }
  delete impl_;
  impl_ = nullptr;
  return true;
}

void OutputFile::Abort() {
  if (!impl_) return;
  if (impl_->fd >= 0 && impl_->ownsFd) ::close(impl_->fd);
  if (!impl_->tempPath.empty()) ::unlink(impl_->tempPath.c_str());
  delete impl_;
  impl_ = nullptr;
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace wordloom
