#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault_support.h"
#include "test_support.h"

namespace wordloom::faults {

// A folder with a small library and an existing title file that every fault
// must leave exactly as it was.
class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(lib_, "core\r\naaa\r\nbbb\r\nccc\r\n");
    test::WriteFile(out_, old_);
  }

  std::vector<std::string> Args(const std::string& library, const std::string& output, const std::string& count = "3",
                                const std::string& length = "10", const std::string& separator = "comma",
                                const std::string& core = "core") const {
    return {"--library", library, "--core", core, "--length", length, "--count", count, "--separator", separator,
            "--output", output};
  }

  // The title file as it was before the fault, and nothing else beside it.
  void ExpectOldFileAlone(const std::vector<std::string>& others = {}) const {
    EXPECT_EQ(test::ReadFile(out_), old_);
    EXPECT_TRUE(TempFilesFor(out_).empty());
    std::vector<std::string> expected = others;
    expected.push_back("titles.txt");
    expected.push_back("words.txt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir_.List(), expected);
  }

  test::TempDir dir_;
  const std::string lib_ = (dir_ / "words.txt").string();
  const std::string out_ = (dir_ / "titles.txt").string();
  const std::string old_ = test::Gbk("商品名称\r\n标题0:") + "yesterday's only copy\r\n";
};

// The message names the file and says why.
#define EXPECT_MESSAGE(result, path, reason)                        \
  do {                                                              \
    EXPECT_NE((result).err.find(path), std::string::npos) << (result).err; \
    EXPECT_NE((result).err.find(reason), std::string::npos) << (result).err; \
  } while (0)

// Splits a title file into the titles after the core word, checking the
// header, the numbering from 0, the core at the start of every title and
// the CR LF line ends. Entries must not contain LF.
inline std::vector<std::string> TitleBodies(const std::string& file, const std::string& coreGbk) {
  std::vector<std::string> bodies;
  const std::string header = test::Gbk("商品名称") + "\r\n";
  if (file.compare(0, header.size(), header) != 0) {
    ADD_FAILURE() << "no header";
    return bodies;
  }
  size_t pos = header.size();
  while (pos < file.size()) {
    const std::string label = test::Gbk("标题" + std::to_string(bodies.size()) + ":") + coreGbk;
    const size_t lf = file.find('\n', pos);
    if (file.compare(pos, label.size(), label) != 0 || lf == std::string::npos || file[lf - 1] != '\r' ||
        lf - 1 < pos + label.size()) {
      ADD_FAILURE() << "title line " << bodies.size() << " malformed";
      return bodies;
    }
    bodies.push_back(file.substr(pos + label.size(), lf - 1 - pos - label.size()));
    pos = lf + 1;
  }
  return bodies;
}

}  // namespace wordloom::faults
