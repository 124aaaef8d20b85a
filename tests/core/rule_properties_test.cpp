// The rules as properties of whole title files: every combination of them,
// several seeds, with and without a separator, on real words from jieba's
// dictionary. Banned words are looked for in the titles' UTF-8, where a
// match cannot start inside a character.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "memory_env.h"
#include "test_support.h"

namespace wordloom {
namespace {

using test::Gbk;

struct Words {
  std::vector<std::string> library;  // UTF-8, one entry a line
  std::vector<std::string> banned;   // the built-in list's terms, UTF-8
};

const Words& RealWords() {
  static const Words words = [] {
    Words w;
    std::ifstream dict(WORDLOOM_JIEBA_DICT);
    size_t n = 0;
    for (std::string line; std::getline(dict, line) && w.library.size() < 300;) {
      const std::string word = line.substr(0, line.find(' '));
      if (++n % 997 == 0 && word.size() >= 6 && word.size() <= 12 && test::Iconv("GBK", "UTF-8", word))
        w.library.push_back(word);
    }
    // Copies of words, words holding banned ones, halves that join into one, an empty entry.
    for (size_t i = 0; i < 10; ++i) w.library.push_back(w.library[i * 7]);
    for (const char* extra : {"最佳款式", "特价", "最", "佳", "特", "价", "", "连衣裙"}) w.library.push_back(extra);
    std::ifstream list(WORDLOOM_BANNED_LIST);
    for (std::string line; std::getline(list, line);) {
      if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
      if (!line.empty() && line[0] != '#') w.banned.push_back(line);
    }
    return w;
  }();
  return words;
}

// A banned term in UTF-8 text, or "".
std::string BannedIn(const std::string& utf8) {
  for (const std::string& term : RealWords().banned)
    if (utf8.find(term) != std::string::npos) return term;
  return "";
}

TEST(RuleProperties, HoldForEveryCombinationSeedAndSeparator) {
  const Words& words = RealWords();
  ASSERT_GE(words.library.size(), 250u) << "the jieba dictionary at " WORDLOOM_JIEBA_DICT;
  ASSERT_GE(words.banned.size(), 50u);
  std::string library;
  for (const std::string& w : words.library) library += Gbk(w) + "\n";
  const int64_t max = 40;
  for (int mask = 0; mask < 16; ++mask) {
    const TitleRules rules{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0};
    for (const int separator : {0, 2}) {
      for (const uint32_t seed : {1u, 7u, 20261208u}) {
        SCOPED_TRACE("rules " + std::to_string(mask) + " separator " + std::to_string(separator) + " seed " +
                     std::to_string(seed));
        test::MemorySession m(library);
        m.session.Seed(seed);
        RunInputs inputs{"150", Gbk("连衣裙"), std::to_string(max), separator};
        inputs.rules = rules;
        ASSERT_EQ(m.Run(inputs), Outcome::kWritten) << m.front.messages[0];
        const std::string sep = separator == 0 ? "," : "";
        std::set<std::string> seen;
        std::istringstream file(m.file());
        std::string line;
        std::getline(file, line);  // the header
        int titles = 0;
        for (; std::getline(file, line); ++titles) {
          const std::string title = line.substr(line.find(':') + 1, line.size() - line.find(':') - 2);  // no CR
          const std::string utf8 = *test::Iconv("UTF-8", "GBK", title);
          SCOPED_TRACE(utf8);
          const int64_t length = static_cast<int64_t>(title.size());
          EXPECT_LE(length, sep.empty() ? max - 1 : max);
          std::vector<std::string> pieces;  // with a separator: the core, then the entries
          if (!sep.empty()) {
            for (size_t at = 0, next; (next = utf8.find(',', at)) != std::string::npos; at = next + 1)
              pieces.push_back(utf8.substr(at, next - at));
          }
          if (rules.noRepeat) {
            EXPECT_EQ(std::set<std::string>(pieces.begin(), pieces.end()).size(), pieces.size());
          }
          if (rules.unique) {
            EXPECT_TRUE(seen.insert(title).second) << "made twice";
          }
          if (rules.avoidBanned) {
            EXPECT_EQ(BannedIn(utf8), "");
          }
          if (!rules.fill || (rules.noRepeat && sep.empty())) continue;
          for (const std::string& entry : words.library) {
            if (static_cast<int64_t>(Gbk(entry).size()) + length >= max) continue;
            const bool mayGoIn = entry != "连衣裙" && !(sep.empty() && entry.empty()) &&
                                 !(rules.noRepeat && std::count(pieces.begin(), pieces.end(), entry)) &&
                                 !(rules.avoidBanned && !BannedIn(utf8 + entry).empty());
            EXPECT_FALSE(mayGoIn) << entry << " still fits";
          }
        }
        EXPECT_EQ(titles, 150);
      }
    }
  }
}

}  // namespace
}  // namespace wordloom
