#include "memory_env.h"

#include <cstring>
#include <new>

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

bool MemoryEnv::Fails(const char* call, Status& status) {
  const auto it = failNext.find(call);
  if (it == failNext.end()) return false;
  status = it->second;
  failNext.erase(it);
  return true;
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
  Status status;
  if (Fails("read", status)) return status;
  const Node* node = Resolve(path.string());
  if (!node) return Status::Of(Status::kNotFound);
  if (node->kind == Kind::kFolder) return Status::Of(Status::kIsFolder);
  if (node->kind != Kind::kRegular) return Status::Of(Status::kNotRegularFile);
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
  Status status;
  if (Fails("create", status)) return status;
  const std::string folder = target.parent_path().string();
  if (!folder.empty() && (nodes.count(folder) == 0 || nodes[folder].kind != Kind::kFolder))
    return Status::Of(Status::kNotFound);
  temp = target.parent_path() / ("." + target.filename().string() + ".wordloom-" + std::to_string(++tempCount_));
  nodes[temp.string()] = Node{Kind::kRegular, {}, 0600, {}};
  open_[handle = nextHandle_++] = temp.string();
  return Status::Ok();
}

Status MemoryEnv::OpenForWriting(const std::filesystem::path& path, Handle& handle) {
  Status status;
  if (Fails("open", status)) return status;
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
  Status status;
  if (Fails("write", status)) return status;
  std::string& bytes = nodes[open_.at(handle)].bytes;
  const size_t take = size < spaceLeft ? size : spaceLeft;
  bytes.append(data, take);
  spaceLeft -= take;
  return take < size ? Status::Of(Status::kNoSpace) : Status::Ok();
}

Status MemoryEnv::SetMode(Handle handle, uint32_t mode) {
  Status status;
  if (Fails("setmode", status)) return status;
  nodes[open_.at(handle)].mode = mode;
  return Status::Ok();
}

Status MemoryEnv::Sync(Handle handle) {
  calls.push_back("sync " + open_.at(handle));
  Status status;
  return Fails("sync", status) ? status : Status::Ok();
}

Status MemoryEnv::Close(Handle handle) {
  open_.erase(handle);
  Status status;
  return Fails("close", status) ? status : Status::Ok();
}

Status MemoryEnv::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  calls.push_back("rename " + from.string() + ">" + to.string());
  Status status;
  if (Fails("rename", status)) return status;
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

}  // namespace wordloom::test
