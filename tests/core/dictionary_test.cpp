// The encoding rule on real Chinese words: every word of Debian's jieba
// dictionary as a one-line library, and random small libraries of them, in
// GBK and in UTF-8, through the loader's own conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include "library_text.h"
#include "test_support.h"

namespace wordloom {
namespace {

// True when `library`, loaded as the program loads it, comes out as `gbk`.
bool ReadsAs(const std::string& library, const std::string& gbk) {
  Bytes bytes = test::BytesOf(library);
  return !LibraryTextToGbk(bytes, LibraryEncoding::kAuto) && std::string(bytes.data(), bytes.size()) == gbk;
}

TEST(DictionaryWords, GbkIsNeverReadAsUtf8AndUtf8NearlyNeverAsGbk) {
  std::ifstream file(WORDLOOM_JIEBA_DICT);
  ASSERT_TRUE(file) << "cannot read the jieba dictionary at \"" WORDLOOM_JIEBA_DICT
                       "\": install python3-jieba (scripts/deps.sh) and configure again";
  std::vector<std::pair<std::string, std::string>> words;  // UTF-8 and GBK, each with a non-ASCII character
  size_t noGbkForm = 0, gbkMisreads = 0, utf8Misreads = 0;
  std::string examples;
  for (std::string line; std::getline(file, line);) {
    const std::string word = line.substr(0, line.find(' '));
    if (std::all_of(word.begin(), word.end(), [](char c) { return (c & 0x80) == 0; })) continue;
    try {
      words.emplace_back(word, test::Gbk(word));
    } catch (const std::runtime_error&) {
      ++noGbkForm;
      continue;
    }
    const std::string gbk = words.back().second + "\n";
    if (!ReadsAs(gbk, gbk)) examples += " " + word, ++gbkMisreads;
    utf8Misreads += !ReadsAs(word + "\n", gbk);
  }
  std::printf("one-line libraries: %zu words (%zu without a GBK form), GBK read as UTF-8: %zu, UTF-8 read as UTF-8: %zu\n",
              words.size(), noGbkForm, gbkMisreads, words.size() - utf8Misreads);
  EXPECT_EQ(gbkMisreads, 0u) << "GBK words read as UTF-8:" << examples.substr(0, 400);
  EXPECT_LE(utf8Misreads * 100, words.size());

  // Random libraries of 3 to 8 words, with LF and with CR LF line ends.
  std::mt19937 random(20261210);
  std::uniform_int_distribution<size_t> pick(0, words.size() - 1), count(3, 8);
  size_t misreads = 0;
  std::string first;
  for (int i = 0; i < 100000; ++i) {
    std::vector<size_t> chosen(count(random));
    for (size_t& k : chosen) k = pick(random);
    for (const char* end : {"\n", "\r\n"}) {
      std::string utf8, gbk;
      for (size_t k : chosen) utf8 += words[k].first + end, gbk += words[k].second + end;
      if (!ReadsAs(gbk, gbk) || !ReadsAs(utf8, gbk)) ++misreads, first = first.empty() ? utf8 : first;
    }
  }
  std::printf("100000 random libraries, each in GBK and UTF-8 with LF and CR LF: %zu misread\n", misreads);
  EXPECT_EQ(misreads, 0u) << "first misread library:\n" << first;
}

}  // namespace
}  // namespace wordloom
