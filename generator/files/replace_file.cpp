#include "replace_file.h"

namespace wordloom {
namespace {

// The file a path finally names: links are followed even when the file they
// point to does not exist yet, so the new file is made there.
std::filesystem::path FollowLinks(Env& env, std::filesystem::path path) {
  std::filesystem::path to;
  for (int depth = 0; depth < 40 && env.ReadLink(path, to); ++depth) {
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return path;
}

}  // namespace

Status ReplaceFile::Open(const std::filesystem::path& target) {
  Abort();
  if (target == "-") {
    Status status = env_.StandardOutput(handle_);
    open_ = status.ok();
    return status;
  }
  Env::PathInfo info;
  if (Status status = env_.Inspect(target, info); !status.ok()) return status;
  switch (info.kind) {
    case Env::Kind::kFolder: return Status::Of(Status::kIsFolder);
    case Env::Kind::kOther: {
      Status status = env_.OpenForWriting(target, handle_);
      open_ = status.ok();
      return status;
    }
    case Env::Kind::kRegular:
      if (info.readOnly) return Status::Of(Status::kReadOnlyFile);
      break;
    case Env::Kind::kMissing: break;
  }
  replacing_ = info.kind == Env::Kind::kRegular;
  target_ = FollowLinks(env_, target);
  if (Status status = env_.CreateTemp(target_, temp_, handle_); !status.ok()) {
    temp_.clear();
    return status;
  }
  open_ = true;
  const uint32_t mode = replacing_ ? info.mode : env_.NewFileMode();
  if (Status status = env_.SetMode(handle_, mode); !status.ok()) {
    Abort();
    return status;
  }
  return Status::Ok();
}

Status ReplaceFile::Commit() {
  // A full disk may only show at the sync or the close: either fails the commit.
  Status status = temp_.empty() || !replacing_ ? Status::Ok() : env_.Sync(handle_);
  const Status closed = env_.Close(handle_);
  open_ = false;
  if (status.ok()) status = closed;
  if (status.ok() && !temp_.empty()) {
    status = env_.Rename(temp_, target_);
    if (status.ok()) {
      temp_.clear();
      // The complete file is in place whatever this says; a failure here
      // only leaves the rename less sure to survive a power cut.
      if (replacing_) env_.SyncFolder(target_.parent_path());
    }
  }
  if (!status.ok()) Abort();
  return status;
}

void ReplaceFile::Abort() {
  if (open_) env_.Close(handle_);
  open_ = false;
  if (!temp_.empty()) env_.Remove(temp_);
  temp_.clear();
  replacing_ = false;
}

}  // namespace wordloom
