#pragma once
#include <iconv.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bytes.h"
#include "title_rule.h"
#include "wordloom/session.h"

namespace wordloom::test {

// The whole of `in` converted by the system's iconv (an independent
// decoder, not our codec), or nothing when iconv refuses any of it.
inline std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv cannot convert to ") + to);
  std::string out(in.size() * 4 + 16, '\0');
  char *ip = const_cast<char*>(in.data()), *op = out.data();
  size_t il = in.size(), ol = out.size();
  const size_t rc = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || il != 0) return std::nullopt;
  out.resize(out.size() - ol);
  return out;
}

// GBK bytes of UTF-8 text, through iconv.
inline std::string Gbk(const std::string& utf8) {
  if (std::optional<std::string> gbk = Iconv("GBK", "UTF-8", utf8)) return *gbk;
  throw std::runtime_error("no GBK form: " + utf8);
}

// The bytes of a string as the loader holds a file's.
inline Bytes BytesOf(std::string_view bytes) {
  Bytes b(bytes.size());
  if (!bytes.empty()) std::memcpy(b.data(), bytes.data(), bytes.size());
  return b;
}

// A title file holding these titles: the header, then "标题<i>:" and the
// title on CR LF lines.
inline std::string TitleFile(const std::vector<std::string>& titles) {
  static const std::string header = Gbk("商品名称") + "\r\n", label = Gbk("标题");
  std::string file = header;
  for (size_t i = 0; i < titles.size(); ++i) file += label + std::to_string(i) + ":" + titles[i] + "\r\n";
  return file;
}

// The next `count` titles the plain form of the rule, BuildTitle, makes,
// each without its CR LF, as TitleFile takes them.
inline std::vector<std::string> BuiltTitles(const TitleRecipe& recipe, CrtRandom& random, int64_t count) {
  std::vector<std::string> titles;
  for (int64_t i = 0; i < count; ++i) {
    titles.push_back(BuildTitle(recipe, random));
    titles.back().resize(titles.back().size() - 2);
  }
  return titles;
}

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "wordloom-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }
  std::vector<std::string> List() const {  // names of what is in it, sorted
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

// Writes the file and gives its path back.
inline std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// A front end that remembers what the run asked of it; `cancelAt` answers
// the KeepWriting call of that number (from 0) with false.
class RecordingFrontEnd : public FrontEnd {
 public:
  std::optional<std::filesystem::path> savePath;
  std::vector<std::string> messages;
  std::vector<std::pair<int64_t, int64_t>> progress;
  int saveRequests = 0;
  int cancelAt = -1;
  std::optional<OutputFormat> chosenFormat;  // what a chooser with formats would pick

  void ShowMessage(const std::string& utf8) override { messages.push_back(utf8); }
  std::optional<std::filesystem::path> ChooseSavePath(OutputFormat& format) override {
    format = chosenFormat.value_or(format);
    ++saveRequests;
    return savePath;
  }
  bool KeepWriting(int64_t done, int64_t total) override {
    progress.emplace_back(done, total);
    return static_cast<int>(progress.size()) - 1 != cancelAt;
  }
};

}  // namespace wordloom::test
