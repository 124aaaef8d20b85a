#include "test_support.h"

#include <iconv.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace wordloom::test {

std::string Gbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
  char* ip = in.data();
  char* op = out.data();
  size_t il = in.size(), ol = out.size();
  const size_t rc = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) throw std::runtime_error("no GBK form: " + utf8);
  out.resize(out.size() - ol);
  return out;
}

std::string TitleFile(const std::vector<std::string>& titles) {
  static const std::string header = Gbk("商品名称") + "\r\n", label = Gbk("标题");
  std::string file = header;
  for (size_t i = 0; i < titles.size(); ++i) file += label + std::to_string(i) + ":" + titles[i] + "\r\n";
  return file;
}

std::vector<std::string> BuiltTitles(const TitleRecipe& recipe, CrtRandom& random, int64_t count) {
  std::vector<std::string> titles;
  for (int64_t i = 0; i < count; ++i) {
    titles.push_back(BuildTitle(recipe, random));
    titles.back().resize(titles.back().size() - 2);
  }
  return titles;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "wordloom-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::List() const {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

Bytes BytesOf(std::string_view bytes) {
  Bytes b(bytes.size());
  if (!bytes.empty()) std::memcpy(b.data(), bytes.data(), bytes.size());
  return b;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace wordloom::test
