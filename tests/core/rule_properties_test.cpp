// The rules as properties of whole title files: every combination of them,
// several seeds, with and without a separator, on real words from jieba's
// dictionary. Banned words are looked for in the titles' UTF-8, where a
// match cannot start inside a character.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "memory_env.h"
#include "test_support.h"
#include "title_rule.h"

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


// Titles under formulas, on groups of the same real words: each title's
// pieces stand in the formula's order, each slot takes from its group as
// many as it asks (the last, when it takes as many as fit, until none of
// its group fits), no entry twice and none the core word, within the
// limit, and with the rules on, no banned word and no title twice.
TEST(FormulaProperties, HoldForFormulasSeedsSeparatorsAndRules) {
  const std::vector<std::string>& w = RealWords().library;
  const size_t bounds[] = {0, 20, 60, 120, 200, 300};
  std::vector<std::set<std::string>> groups(5);
  std::string library = Gbk("不在任何分组\n");
  for (size_t g = 0; g < 5; ++g) {
    std::vector<std::string> entries(w.begin() + static_cast<ptrdiff_t>(bounds[g]), w.begin() + static_cast<ptrdiff_t>(bounds[g + 1]));
    if (g == 1) entries.push_back(w[20]);  // twice in a group
    if (g == 2) entries.push_back("连衣裙");
    if (g == 3) entries.insert(entries.end(), {"最佳款式", "特价"});
    if (g == 4) entries.insert(entries.end(), {w[0], "特", "价"});  // w[0] is in the first group too
    library += Gbk("\n[" + std::string(&"甲乙丙丁戊"[3 * g], 3) + "]\n");
    for (const std::string& e : entries) library += Gbk(e) + "\n", groups[g].insert(e);
  }
  struct Slot { int group; int least, most; };  // group -1: the core; most -1: as many as fit
  const std::pair<std::string, std::vector<Slot>> formulas[] = {
      {"甲+@+乙:2+丙:1-2+戊:*", {{0, 1, 1}, {-1, 1, 1}, {1, 2, 2}, {2, 1, 2}, {4, 0, -1}}},
      {"@+丁:0-2+乙+戊:2-*", {{-1, 1, 1}, {3, 0, 2}, {1, 1, 1}, {4, 2, -1}}},
      {"丙:1-3+甲+@", {{2, 1, 3}, {0, 1, 1}, {-1, 1, 1}}},
      {"甲:2+乙:1-3+@+丁+丙:*", {{0, 2, 2}, {1, 1, 3}, {-1, 1, 1}, {3, 1, 1}, {2, 0, -1}}},
  };
  const int64_t max = 60;
  for (const auto& [formula, slots] : formulas) {
    // Each with and without a separator, under no rule, --unique, --avoid-banned and all with a report.
    for (int run = 0; run < 24; ++run) {
      const int separator = run % 2 == 0 ? 0 : 2, rules = run / 2 % 4;
      const uint32_t seed = run / 8 == 0 ? 1u : run / 8 == 1 ? 7u : 20261208u;
      SCOPED_TRACE(formula + " run " + std::to_string(run));
      test::MemorySession m(library);
      m.session.Seed(seed);
      RunInputs inputs{"100", Gbk("连衣裙"), std::to_string(max), separator};
      inputs.formula = Gbk(formula);
      inputs.rules.unique = (rules & 1) != 0;
      inputs.rules.avoidBanned = (rules & 2) != 0;
      inputs.report = rules == 3;
      ASSERT_EQ(m.Run(inputs), Outcome::kWritten) << m.front.messages[0];
      std::istringstream file(m.file());
      std::string line;
      std::getline(file, line);
      std::set<std::string> seen;
      int titles = 0;
      for (; std::getline(file, line); ++titles) {
        const std::string title = line.substr(line.find(':') + 1, line.size() - line.find(':') - 2);
        const std::string utf8 = *test::Iconv("UTF-8", "GBK", title);
        SCOPED_TRACE(utf8);
        EXPECT_LE(static_cast<int64_t>(title.size()), separator == 0 ? max : max - 1);
        EXPECT_TRUE(!inputs.rules.avoidBanned || BannedIn(utf8).empty()) << BannedIn(utf8);
        EXPECT_TRUE(!inputs.rules.unique || seen.insert(title).second) << "made twice";
        if (separator != 0) {
          EXPECT_NE(utf8.find("连衣裙"), std::string::npos);
          continue;
        }
        std::vector<std::string> pieces;
        for (size_t at = 0, next; (next = utf8.find(',', at)) != std::string::npos; at = next + 1)
          pieces.push_back(utf8.substr(at, next - at));
        EXPECT_EQ(std::set<std::string>(pieces.begin(), pieces.end()).size(), pieces.size()) << "an entry twice";
        size_t p = 0;
        for (const Slot& slot : slots) {
          if (slot.group < 0) {
            ASSERT_LT(p, pieces.size());
            EXPECT_EQ(pieces[p++], "连衣裙");
            continue;
          }
          const std::set<std::string>& group = groups[static_cast<size_t>(slot.group)];
          int taken = 0;
          for (; p < pieces.size() && (slot.most < 0 || taken < slot.most) && group.count(pieces[p]); ++p, ++taken)
            EXPECT_NE(pieces[p], "连衣裙");
          EXPECT_GE(taken, slot.least) << "slot of group " << slot.group;
          if (slot.most >= 0 || &slot != &slots.back()) continue;
          for (const std::string& e : group) {
            const bool mayGoIn = e != "连衣裙" && !std::count(pieces.begin(), pieces.end(), e) &&
                                 !(inputs.rules.avoidBanned && !BannedIn(e).empty());
            EXPECT_FALSE(mayGoIn && Fits(static_cast<int64_t>(Gbk(e).size()), static_cast<int64_t>(title.size()), max))
                << e << " still fits";
          }
        }
        EXPECT_EQ(p, pieces.size()) << "pieces past the formula";
      }
      EXPECT_EQ(titles, 100);
    }
  }
}

}  // namespace
}  // namespace wordloom
