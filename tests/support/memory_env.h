#pragma once
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "env.h"
#include "session_on.h"
#include "test_support.h"
#include "wordloom/session.h"

namespace wordloom::test {

// Files in memory, for running the generate command in the test process,
// with any call made to fail. Paths are plain strings; "d/x" lives in "d".
// Regular files and folders only: links, devices and standard output are
// left to the tests on real files.
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
  size_t spaceLeft = SIZE_MAX;       // bytes writes may add before the disk is full
  bool writeThrowsBadAlloc = false;  // out of memory in the middle of the run
  uint32_t umask = 022;
  std::vector<std::string> calls;  // "sync T", "rename T>F", "syncfolder D"

  void Put(const std::string& path, const std::string& bytes) { nodes[path] = Node{Kind::kRegular, bytes}; }
  // Everything but folders, as "path=bytes", sorted: what a test expects left.
  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    for (const auto& [path, node] : nodes)
      if (node.kind == Kind::kRegular) files.push_back(path + "=" + node.bytes);
    return files;
  }

  Status ReadFile(const std::filesystem::path& path, Bytes& out) override {
    if (auto failed = Injected("read")) return *failed;
    const auto it = nodes.find(path.string());
    if (it == nodes.end()) return Status::Of(Status::kNotFound);
    if (it->second.kind != Kind::kRegular)
      return Status::Of(it->second.kind == Kind::kFolder ? Status::kIsFolder : Status::kNotRegularFile);
    out = BytesOf(it->second.bytes);
    return Status::Ok();
  }
  Status Inspect(const std::filesystem::path& path, PathInfo& info) override {
    const auto it = nodes.find(path.string());
    info = it == nodes.end() ? PathInfo() : PathInfo{it->second.kind, it->second.mode, (it->second.mode & 0222) == 0};
    return Status::Ok();
  }
  bool ReadLink(const std::filesystem::path&, std::filesystem::path&) override { return false; }
  Status CreateTemp(const std::filesystem::path& target, std::filesystem::path& temp, Handle& handle) override {
    if (auto failed = Injected("create")) return *failed;
    const std::string folder = target.parent_path().string();
    if (!folder.empty() && (nodes.count(folder) == 0 || nodes[folder].kind != Kind::kFolder))
      return Status::Of(Status::kNotFound);
    temp = target.parent_path() / ("." + target.filename().string() + ".wordloom-" + std::to_string(++tempCount_));
    nodes[temp.string()] = Node{Kind::kRegular, {}, 0600};
    open_[handle = nextHandle_++] = temp.string();
    return Status::Ok();
  }
  Status OpenForWriting(const std::filesystem::path&, Handle&) override { return Status::Of(Status::kOther); }
  Status StandardOutput(Handle&) override { return Status::Of(Status::kOther); }
  Status Write(Handle handle, const char* data, size_t size) override {
    if (writeThrowsBadAlloc) throw std::bad_alloc();
    if (auto failed = Injected("write")) return *failed;
    const size_t take = std::min(size, spaceLeft);
    nodes[open_.at(handle)].bytes.append(data, take);
    spaceLeft -= take;
    return take < size ? Status::Of(Status::kNoSpace) : Status::Ok();
  }
  Status SetMode(Handle handle, uint32_t mode) override {
    if (auto failed = Injected("setmode")) return *failed;
    nodes[open_.at(handle)].mode = mode;
    return Status::Ok();
  }
  uint32_t NewFileMode() override { return 0666 & ~umask; }
  Status Sync(Handle handle) override {
    calls.push_back("sync " + open_.at(handle));
    return Injected("sync").value_or(Status::Ok());
  }
  Status Close(Handle handle) override {
    open_.erase(handle);
    return Injected("close").value_or(Status::Ok());
  }
  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    calls.push_back("rename " + from.string() + ">" + to.string());
    if (auto failed = Injected("rename")) return *failed;
    nodes[to.string()] = nodes.at(from.string());
    nodes.erase(from.string());
    return Status::Ok();
  }
  Status SyncFolder(const std::filesystem::path& folder) override {
    calls.push_back("syncfolder " + folder.string());
    return Status::Ok();
  }
  Status Remove(const std::filesystem::path& path) override {
    return nodes.erase(path.string()) ? Status::Ok() : Status::Of(Status::kNotFound);
  }
  std::string Display(const std::filesystem::path& path) override { return path.string(); }

 private:
  std::optional<Status> Injected(const char* call) {
    const auto it = failNext.find(call);
    if (it == failNext.end()) return std::nullopt;
    const Status status = it->second;
    failNext.erase(it);
    return status;
  }
  std::map<Handle, std::string> open_;
  Handle nextHandle_ = 10;
  int tempCount_ = 0;
};

// A session over files in memory: the library d/words.txt, the title file
// d/titles.txt. Unseeded, it starts as a fresh process does.
struct MemorySession {
  MemoryEnv env;
  Session session = SessionOn(env);
  RecordingFrontEnd front;
  explicit MemorySession(const std::string& library, LibraryEncoding encoding = LibraryEncoding::kAuto) {
    env.nodes["d"].kind = Env::Kind::kFolder;
    env.Put("d/words.txt", library);
    session.ChooseLibrary("d/words.txt", encoding);
    front.savePath = "d/titles.txt";
  }
  Outcome Run(const RunInputs& inputs) { return session.Run(inputs, front); }
  std::string& file() { return env.nodes["d/titles.txt"].bytes; }
};

}  // namespace wordloom::test
