#include "memory_env.h"

#include <cstring>
#include <new>

#include "test_support.h"

namespace wordloom::test {

void MemoryEnv::Put(const std::string& path, const std::string& bytes, uint32_t mode) {
  nodes[path] = Node{Kind::kRegular, bytes, mode, {}};
}

std::vector<std::string> MemoryEnv::Files() const {
  std::vector<std::string> files;
  for (const auto& [path, node] : nodes) {
    if (node.kind == Kind::kRegular) files.push_back(path + (node.linkTo.empty() ? "=" + node.bytes : "->" + node.linkTo));
  }
  return files;
}

std::optional<Status> MemoryEnv::Injected(const char* call) {
  const auto it = failNext.find(call);
  if (it == failNext.end()) return std::nullopt;
  const Status status = it->second;
  failNext.erase(it);
  return status;
}

MemoryEnv::Node* MemoryEnv::Resolve(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    const auto it = nodes.find(path);
    if (it == nodes.end()) return nullptr;
    if (it->second.linkTo.empty()) return &it->second;
    path = (std::filesystem::path(path).parent_path() / it->second.linkTo).string();
  }
  return nullptr;
}

Status MemoryEnv::ReadFile(const std::filesystem::path& path, Bytes& out) {
  if (auto failed = Injected("read")) return *failed;
  const Node* node = Resolve(path.string());
  if (!node) return Status::Of(Status::kNotFound);
  if (node->kind != Kind::kRegular) return Status::Of(node->kind == Kind::kFolder ? Status::kIsFolder : Status::kNotRegularFile);
  out.Resize(node->bytes.size());
  if (!node->bytes.empty()) std::memcpy(out.data(), node->bytes.data(), node->bytes.size());
  return Status::Ok();
}

Status MemoryEnv::Inspect(const std::filesystem::path& path, PathInfo& info) {
  info = PathInfo();
  if (const Node* node = Resolve(path.string())) info = {node->kind, node->mode, (node->mode & 0222) == 0};
  return Status::Ok();
}

bool MemoryEnv::ReadLink(const std::filesystem::path& path, std::filesystem::path& target) {
  const auto it = nodes.find(path.string());
  if (it == nodes.end() || it->second.linkTo.empty()) return false;
  target = it->second.linkTo;
  return true;
}

Status MemoryEnv::CreateTemp(const std::filesystem::path& target, std::filesystem::path& temp, Handle& handle) {
  if (auto failed = Injected("create")) return *failed;
  const std::string folder = target.parent_path().string();
  if (!folder.empty() && (nodes.count(folder) == 0 || nodes[folder].kind != Kind::kFolder))
    return Status::Of(Status::kNotFound);
  temp = target.parent_path() / ("." + target.filename().string() + ".wordloom-" + std::to_string(++tempCount_));
  nodes[temp.string()] = Node{Kind::kRegular, {}, 0600, {}};
  open_[handle = nextHandle_++] = temp.string();
  return Status::Ok();
}

Status MemoryEnv::OpenForWriting(const std::filesystem::path& path, Handle& handle) {
  if (auto failed = Injected("open")) return *failed;
  Node* node = Resolve(path.string());
  if (!node) return Status::Of(Status::kNotFound);
  node->bytes.clear();
  open_[handle = nextHandle_++] = path.string();
  return Status::Ok();
}

Status MemoryEnv::StandardOutput(Handle& handle) {
  nodes["<stdout>"].kind = Kind::kOther;
  open_[handle = nextHandle_++] = "<stdout>";
  return Status::Ok();
}

Status MemoryEnv::Write(Handle handle, const char* data, size_t size) {
  if (writeThrowsBadAlloc) throw std::bad_alloc();
  if (auto failed = Injected("write")) return *failed;
  const size_t take = size < spaceLeft ? size : spaceLeft;
  nodes[open_.at(handle)].bytes.append(data, take);
  spaceLeft -= take;
  return take < size ? Status::Of(Status::kNoSpace) : Status::Ok();
}

Status MemoryEnv::SetMode(Handle handle, uint32_t mode) {
  if (auto failed = Injected("setmode")) return *failed;
  nodes[open_.at(handle)].mode = mode;
  return Status::Ok();
}

Status MemoryEnv::Sync(Handle handle) {
  calls.push_back("sync " + open_.at(handle));
  return Injected("sync").value_or(Status::Ok());
}

Status MemoryEnv::Close(Handle handle) {
  open_.erase(handle);
  return Injected("close").value_or(Status::Ok());
}

Status MemoryEnv::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  calls.push_back("rename " + from.string() + ">" + to.string());
  if (auto failed = Injected("rename")) return *failed;
  nodes[to.string()] = nodes.at(from.string());
  nodes.erase(from.string());
  return Status::Ok();
}

Status MemoryEnv::SyncFolder(const std::filesystem::path& folder) {
  calls.push_back("syncfolder " + folder.string());
  return Status::Ok();
}

Status MemoryEnv::Remove(const std::filesystem::path& path) {
  calls.push_back("remove " + path.string());
  return nodes.erase(path.string()) ? Status::Ok() : Status::Of(Status::kNotFound);
}

MemoryRun RunInMemory(const std::string& library, const RunInputs& inputs, std::optional<uint32_t> seed,
                      LibraryEncoding encoding) {
  MemoryEnv env;
  env.Put("words.txt", library);
  Session session(env);
  session.ChooseLibrary("words.txt", encoding);
  if (seed) session.Seed(*seed);
  RecordingFrontEnd front;
  front.savePath = "titles.txt";
  const Outcome outcome = session.Run(inputs, front);
  return {outcome, env.nodes["titles.txt"].bytes, front.messages, session.randomState()};
}

}  // namespace wordloom::test
