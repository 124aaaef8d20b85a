#include "memory_env.h"

#include <cstring>
#include <new>

#include "test_support.h"

namespace wordloom::test {

std::vector<std::string> MemoryEnv::Files() const {
  std::vector<std::string> files;
  for (const auto& [path, node] : nodes) {
    if (node.kind == Kind::kRegular) files.push_back(path + "=" + node.bytes);
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

MemoryEnv::Node* MemoryEnv::Find(const std::filesystem::path& path) {
  const auto it = nodes.find(path.string());
  return it == nodes.end() ? nullptr : &it->second;
}

Status MemoryEnv::ReadFile(const std::filesystem::path& path, Bytes& out) {
  if (auto failed = Injected("read")) return *failed;
  const Node* node = Find(path);
  if (!node) return Status::Of(Status::kNotFound);
  if (node->kind != Kind::kRegular) return Status::Of(node->kind == Kind::kFolder ? Status::kIsFolder : Status::kNotRegularFile);
  out.Resize(node->bytes.size());
  if (!node->bytes.empty()) std::memcpy(out.data(), node->bytes.data(), node->bytes.size());
  return Status::Ok();
}

Status MemoryEnv::Inspect(const std::filesystem::path& path, PathInfo& info) {
  info = PathInfo();
  if (const Node* node = Find(path)) info = {node->kind, node->mode, (node->mode & 0222) == 0};
  return Status::Ok();
}

Status MemoryEnv::CreateTemp(const std::filesystem::path& target, std::filesystem::path& temp, Handle& handle) {
  if (auto failed = Injected("create")) return *failed;
  const std::string folder = target.parent_path().string();
  if (!folder.empty() && (nodes.count(folder) == 0 || nodes[folder].kind != Kind::kFolder))
    return Status::Of(Status::kNotFound);
  temp = target.parent_path() / ("." + target.filename().string() + ".wordloom-" + std::to_string(++tempCount_));
  nodes[temp.string()] = Node{Kind::kRegular, {}, 0600};
  open_[handle = nextHandle_++] = temp.string();
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
