#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bytes.h"
#include "title_rule.h"
#include "wordloom/session.h"

namespace wordloom::test {

// GBK bytes of UTF-8 text, through the system's iconv rather than our codec.
std::string Gbk(const std::string& utf8);

// The bytes of a string as the loader holds a file's.
Bytes BytesOf(std::string_view bytes);

// A title file holding these titles: the header, then "标题<i>:" and the
// title on CR LF lines.
std::string TitleFile(const std::vector<std::string>& titles);

// The next `count` titles the plain form of the rule, BuildTitle, makes,
// each without its CR LF, as TitleFile takes them.
std::vector<std::string> BuiltTitles(const TitleRecipe& recipe, CrtRandom& random, int64_t count);

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }
  std::vector<std::string> List() const;  // names of what is in it, sorted

 private:
  std::filesystem::path path_;
};

// Writes the file and gives its path back.
std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// A front end that remembers what the run asked of it; `cancelAt` answers
// the KeepWriting call of that number (from 0) with false.
class RecordingFrontEnd : public FrontEnd {
 public:
  std::optional<std::filesystem::path> savePath;
  std::vector<std::string> messages;
  std::vector<std::pair<int64_t, int64_t>> progress;
  int saveRequests = 0;
  int cancelAt = -1;

  void ShowMessage(const std::string& utf8) override { messages.push_back(utf8); }
  std::optional<std::filesystem::path> ChooseSavePath() override {
    ++saveRequests;
    return savePath;
  }
  bool KeepWriting(int64_t done, int64_t total) override {
    progress.emplace_back(done, total);
    return static_cast<int>(progress.size()) - 1 != cancelAt;
  }
};

}  // namespace wordloom::test
