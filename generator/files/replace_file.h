#pragma once
#include <filesystem>

#include "env.h"

namespace wordloom {

// A title file that appears complete or not at all, the same way on every
// platform:
// - bytes go to a temporary file in the target's folder, which replaces the
//   target only on Commit; Abort (or the destructor) removes it;
// - a symbolic link stays a link: the file it names is the one replaced;
// - an existing target keeps its permission bits, a new one gets what the
//   umask gives;
// - a target that is not a regular file (a pipe, a device) is written as it
//   is, and "-" is standard output;
// - a folder is refused, and so is a read-only target: that bit is the
//   user's own protection;
// - when an existing file is replaced, the new one is on the disk before the
//   rename, and the rename before Commit returns, so that a power cut leaves
//   the old file or the new one, never an empty one.
class ReplaceFile {
 public:
  explicit ReplaceFile(Env& env) : env_(env) {}
  ReplaceFile(const ReplaceFile&) = delete;
  ReplaceFile& operator=(const ReplaceFile&) = delete;
  ~ReplaceFile() { Abort(); }

  Status Open(const std::filesystem::path& target);
  Status Write(const char* data, size_t size) { return env_.Write(handle_, data, size); }
  Status Commit();
  void Abort();

 private:
  Env& env_;
  Env::Handle handle_ = -1;
  bool open_ = false;
  bool replacing_ = false;        // an existing file is replaced
  std::filesystem::path temp_;    // empty when writing directly
  std::filesystem::path target_;  // the file the temporary one becomes
};

}  // namespace wordloom
