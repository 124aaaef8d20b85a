// The encoding rule on real Chinese words: every word of Debian's jieba
// dictionary as a one-line library, and random small libraries of them, in
// GBK and in UTF-8, through the loader's own conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "library_text.h"
#include "test_support.h"

namespace wordloom {
namespace {

struct Word {
  std::string utf8, gbk;
};

struct Dictionary {
  std::vector<Word> words;  // those with a non-ASCII character and a GBK form
  size_t skipped = 0;       // non-ASCII words without a GBK form
  std::string error;
};

const Dictionary& Jieba() {
  static const Dictionary dictionary = [] {
    Dictionary d;
    std::ifstream file(WORDLOOM_JIEBA_DICT);
    if (!file) {
      d.error = "cannot read the jieba dictionary at \"" WORDLOOM_JIEBA_DICT
                "\": install python3-jieba (scripts/deps.sh) and configure again";
      return d;
    }
    for (std::string line; std::getline(file, line);) {
      const std::string word = line.substr(0, line.find(' '));
      if (std::all_of(word.begin(), word.end(), [](char c) { return (c & 0x80) == 0; })) continue;
      try {
        d.words.push_back({word, test::Gbk(word)});
      } catch (const std::runtime_error&) {
        ++d.skipped;
      }
    }
    return d;
  }();
  return dictionary;
}

// True when `library`, loaded as the program loads it, comes out as `gbk`:
// a GBK library left as it is, a UTF-8 one converted.
bool ReadsAs(const std::string& library, const std::string& gbk) {
  Bytes bytes(library.size());
  std::memcpy(bytes.data(), library.data(), library.size());
  return !LibraryTextToGbk(bytes, LibraryEncoding::kAuto) && std::string(bytes.data(), bytes.size()) == gbk;
}

void Report(const char* key, size_t value) {
  testing::Test::RecordProperty(key, std::to_string(value));
  std::printf("%s: %zu\n", key, value);
}

TEST(DictionaryWords, OneLineLibrariesGbkAlwaysAndUtf8NearlyAlways) {
  const Dictionary& d = Jieba();
  ASSERT_TRUE(d.error.empty()) << d.error;
  size_t gbkMisreads = 0, utf8Misreads = 0;
  std::string gbkExamples, utf8Examples;  // the first few of each
  for (const Word& w : d.words) {
    const std::string gbk = w.gbk + "\n";
    if (!ReadsAs(gbk, gbk) && ++gbkMisreads <= 20) gbkExamples += " " + w.utf8;
    if (!ReadsAs(w.utf8 + "\n", gbk) && ++utf8Misreads <= 20) utf8Examples += " " + w.utf8;
  }
  const size_t utf8Read = d.words.size() - utf8Misreads;
  Report("words_tried", d.words.size());
  Report("words_skipped_no_gbk_form", d.skipped);
  Report("gbk_read_as_utf8", gbkMisreads);
  Report("utf8_read_as_utf8", utf8Read);
  std::printf("utf8_read_as_utf8_share: %.3f%%\nsome utf-8 words read as GBK:%s\n",
              100.0 * static_cast<double>(utf8Read) / static_cast<double>(d.words.size()), utf8Examples.c_str());
  EXPECT_EQ(gbkMisreads, 0u) << "GBK words read as UTF-8:" << gbkExamples;
  EXPECT_GE(utf8Read * 100, d.words.size() * 99);
}

TEST(DictionaryWords, RandomLibrariesOfThreeToEightWordsNeverMisread) {
  const Dictionary& d = Jieba();
  ASSERT_TRUE(d.error.empty()) << d.error;
  std::mt19937 random(20261210);
  std::uniform_int_distribution<size_t> pick(0, d.words.size() - 1), count(3, 8);
  size_t gbkMisreads = 0, utf8Misreads = 0;
  std::string firstMisread;
  for (int i = 0; i < 100000; ++i) {
    std::vector<const Word*> words(count(random));
    for (const Word*& w : words) w = &d.words[pick(random)];
    for (const char* end : {"\n", "\r\n"}) {
      std::string utf8, gbk;
      for (const Word* w : words) utf8 += w->utf8 + end, gbk += w->gbk + end;
      const bool gbkOk = ReadsAs(gbk, gbk);
      const bool utf8Ok = ReadsAs(utf8, gbk);
      gbkMisreads += !gbkOk;
      utf8Misreads += !utf8Ok;
      if ((!gbkOk || !utf8Ok) && firstMisread.empty()) firstMisread = utf8;
    }
  }
  Report("random_libraries", 100000);
  Report("random_gbk_misreads", gbkMisreads);
  Report("random_utf8_misreads", utf8Misreads);
  EXPECT_EQ(gbkMisreads + utf8Misreads, 0u) << "first misread library:\n" << firstMisread;
}

}  // namespace
}  // namespace wordloom
