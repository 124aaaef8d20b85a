#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "env.h"
#include "wordloom/session.h"

namespace wordloom::test {

// Files in memory, for running the generate command in the test process,
// with any call made to fail. Paths are plain strings; "d/x" lives in "d".
class MemoryEnv : public Env {
 public:
  struct Node {
    Kind kind = Kind::kRegular;
    std::string bytes;
    uint32_t mode = 0644;
  };
  std::map<std::string, Node> nodes;
  // The next call of this name ("read", "create", "write", "sync",
  // "close", "rename", "setmode") fails with this status.
  std::map<std::string, Status> failNext;
  size_t spaceLeft = SIZE_MAX;      // bytes writes may add before the disk is full
  bool writeThrowsBadAlloc = false;  // out of memory in the middle of the run
  uint32_t umask = 022;
  std::vector<std::string> calls;    // "sync T", "rename T>F", "syncfolder D"

  void Put(const std::string& path, const std::string& bytes) { nodes[path] = Node{Kind::kRegular, bytes}; }
  // Everything but folders, as "path=bytes", sorted: what a test expects left.
  std::vector<std::string> Files() const;

  Status ReadFile(const std::filesystem::path& path, Bytes& out) override;
  Status Inspect(const std::filesystem::path& path, PathInfo& info) override;
  Status CreateTemp(const std::filesystem::path& target, std::filesystem::path& temp, Handle& handle) override;
  // Links, devices and standard output are left to the tests on real files.
  bool ReadLink(const std::filesystem::path&, std::filesystem::path&) override { return false; }
  Status OpenForWriting(const std::filesystem::path&, Handle&) override { return Status::Of(Status::kOther); }
  Status StandardOutput(Handle&) override { return Status::Of(Status::kOther); }
  Status Write(Handle handle, const char* data, size_t size) override;
  Status SetMode(Handle handle, uint32_t mode) override;
  uint32_t NewFileMode() override { return 0666 & ~umask; }
  Status Sync(Handle handle) override;
  Status Close(Handle handle) override;
  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  Status SyncFolder(const std::filesystem::path& folder) override;
  Status Remove(const std::filesystem::path& path) override;
  std::string Display(const std::filesystem::path& path) override { return path.string(); }

 private:
  std::optional<Status> Injected(const char* call);
  Node* Find(const std::filesystem::path& path);
  std::map<Handle, std::string> open_;
  Handle nextHandle_ = 10;
  int tempCount_ = 0;
};

// One generate command with its files in memory: what it wrote, said and
// left the random sequence at. Unseeded, a session starts as a fresh process.
struct MemoryRun {
  Outcome outcome;
  std::string file;
  std::vector<std::string> messages;
  uint32_t state;
};
MemoryRun RunInMemory(const std::string& library, const RunInputs& inputs, std::optional<uint32_t> seed = {},
                      LibraryEncoding encoding = LibraryEncoding::kAuto);

}  // namespace wordloom::test
