#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "bytes.h"
#include "status.h"

namespace wordloom {

// The platform's files, as plain system calls: no policy and no user text
// here (replace_file.h decides, messages.cpp words). Tests put a version in
// memory in its place that can fail any call.
class Env {
 public:
  enum class Kind { kMissing, kRegular, kFolder, kOther };
  struct PathInfo {
    Kind kind = Kind::kMissing;
    uint32_t mode = 0;      // permission bits, where the system has them
    bool readOnly = false;  // nobody may write it (no write bit; the read-only attribute)
  };
  using Handle = intptr_t;

  virtual ~Env() = default;

  // A regular file's whole contents; anything else is refused at once (a
  // FIFO must not block the program).
  virtual Status ReadFile(const std::filesystem::path& path, Bytes& out) = 0;
  // What `path` names, symbolic links followed.
  virtual Status Inspect(const std::filesystem::path& path, PathInfo& info) = 0;
  // The target of a symbolic link, as stored; false when `path` is not one.
  virtual bool ReadLink(const std::filesystem::path& path, std::filesystem::path& target) = 0;

  // A new file of this process's own beside `target`, named
  // .<name>.wordloom-XXXXXX; until it is renamed or removed, the signals
  // that end a program remove it first.
  virtual Status CreateTemp(const std::filesystem::path& target, std::filesystem::path& temp, Handle& handle) = 0;
  // An existing file that is not replaced but written as it is (a device, a pipe).
  virtual Status OpenForWriting(const std::filesystem::path& path, Handle& handle) = 0;
  virtual Status StandardOutput(Handle& handle) = 0;
  virtual Status Write(Handle handle, const char* data, size_t size) = 0;
  virtual Status SetMode(Handle handle, uint32_t mode) = 0;
  // Permission bits of a file made afresh (what the umask leaves of rw-rw-rw-).
  virtual uint32_t NewFileMode() = 0;
  virtual Status Sync(Handle handle) = 0;
  virtual Status Close(Handle handle) = 0;
  virtual Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Makes a rename in `folder` durable; nothing to do where renames are.
  virtual Status SyncFolder(const std::filesystem::path& folder) = 0;
  virtual Status Remove(const std::filesystem::path& path) = 0;

  // A path as UTF-8 text, for messages.
  virtual std::string Display(const std::filesystem::path& path) = 0;

  // The real one.
  static Env& Platform();
};

// The system's own words for an error number (for errors without a code of ours).
std::string SystemErrorText(long systemError);

// A new, empty folder of this process's own in the system's temporary
// folder, for a library that writes files of its own; the caller removes it.
Status NewScratchFolder(std::filesystem::path& folder);
// A path as a C library's narrow file functions take it: UTF-8, and on
// Windows in its short form where it has one, which the ANSI functions
// read as well.
std::string NarrowPath(const std::filesystem::path& path);

}  // namespace wordloom
