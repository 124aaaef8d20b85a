#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "generation_run.h"

namespace wordloom::test {

// GBK bytes of UTF-8 text, through the system's iconv rather than our codec.
std::string Gbk(const std::string& utf8);

// A fresh folder removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }
  // Names of everything in the folder, sorted.
  std::vector<std::string> List() const;

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// A front end that remembers what the run asked of it.
class RecordingFrontEnd : public RunFrontEnd {
 public:
  std::optional<std::filesystem::path> savePath;  // what the save step answers
  std::vector<std::string> messages;
  int saveRequests = 0;

  void ShowMessage(const std::string& utf8) override { messages.push_back(utf8); }
  std::optional<std::filesystem::path> ChooseSavePath() override {
    ++saveRequests;
    return savePath;
  }
};

}  // namespace wordloom::test
