// Arbitrary bytes as a word library, with fuzzed field texts, separator,
// core word and seed, through the whole generate command with its files in
// memory: the outcome follows the order of the checks, and every title is
// what the plain form of the rule, BuildTitle, makes from the same sequence,
// with a report gathered or not. With rules on, titles keep to the limit,
// begin with the core, and under --unique differ.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>

#include "crt_atoi.h"
#include "fuzz_check.h"
#include "library_text.h"
#include "memory_env.h"
#include "test_support.h"
#include "title_rule.h"
#include "wordloom/messages.h"

using namespace wordloom;

namespace {

constexpr int64_t kMaxCount = 48, kMaxLength = 2048;  // beyond these an input is slower, not newer
// Under rules a title is drawn one entry at a time, and --unique may make each title a thousand times.
constexpr int64_t kMaxRuledCount = 4, kMaxRuledLength = 64;

// The whole file is what the plain form of the rule, BuildTitle, makes from
// the same sequence, under the header and labels from 0; each title keeps
// within the limit, or is the core alone (with its separator) when the core
// reaches it.
void CheckTitleFile(const std::string& file, int64_t count, const TitleRecipe& recipe, uint32_t seed) {
  CrtRandom random(seed);
  const std::vector<std::string> titles = test::BuiltTitles(recipe, random, count);
  for (const std::string& title : titles) {
    const int64_t body = static_cast<int64_t>(title.size() - recipe.coreTextSize);
    CHECK(recipe.coreLength >= recipe.maxLength ? body == (recipe.separator ? 1 : 0)
                                                : recipe.coreLength + body <= recipe.maxLength - (recipe.separator ? 0 : 1));
  }
  CHECK(file == test::TitleFile(titles));
}

// Under rules: the header, numbering and limit, and no title twice under --unique.
void CheckRuledFile(const std::string& file, int64_t count, const TitleRecipe& recipe, bool unique) {
  const std::string header = "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6\r\n", label = "\xB1\xEA\xCC\xE2";
  const std::string core = recipe.coreText.substr(0, recipe.coreTextSize);
  CHECK(file.compare(0, header.size(), header) == 0);
  std::set<std::string> seen;
  size_t at = header.size();
  for (int64_t i = 0; i < count; ++i) {
    const std::string start = label + std::to_string(i) + ":" + core;
    CHECK(file.compare(at, start.size(), start) == 0);
    // Entries hold no LF, so the line ends at the first CR LF after the core.
    const size_t end = file.find("\r\n", at + start.size());
    CHECK(end != std::string::npos);
    const int64_t body = static_cast<int64_t>(end - (at + start.size()));
    CHECK(recipe.coreLength >= recipe.maxLength || recipe.coreLength + body <= recipe.maxLength - (recipe.separator ? 0 : 1));
    CHECK(!unique || seen.insert(file.substr(at + start.size(), static_cast<size_t>(body))).second);
    at = end + 2;
  }
  CHECK(at == file.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fdp(data, size);
  const uint8_t flags = fdp.ConsumeIntegral<uint8_t>();
  const int separatorIndex = fdp.ConsumeIntegralInRange<int>(-1, 3);
  const uint32_t seed = fdp.ConsumeIntegral<uint32_t>();
  const uint16_t coreChoice = fdp.ConsumeIntegral<uint16_t>();
  const std::string countText = fdp.ConsumeRandomLengthString(24);
  const std::string lengthText = fdp.ConsumeRandomLengthString(24);
  const std::string typedCore = fdp.ConsumeRandomLengthString(256);
  const std::string library = fdp.ConsumeRemainingBytesAsString();
  // The list the run will see.
  Bytes text = test::BytesOf(library);
  const bool convertible = !LibraryTextToGbk(text, LibraryEncoding::kAuto);
  const WordList words(std::move(text));
  const std::string core = (flags & 1) && !words.empty() ? std::string(words[coreChoice % words.size()]) : typedCore;
  const int32_t count = CrtAtoi(countText), maxLength = CrtAtoi(lengthText);
  const char* refusal = core.empty() ? msg::kCoreWordRequired
                        : maxLength <= 0 ? msg::kLengthRequired
                        : count == 0    ? msg::kCountRequired
                                        : nullptr;
  if (!refusal && (count > kMaxCount || maxLength > kMaxLength)) return 0;
  if ((flags & 0x80) && !refusal && (count > kMaxRuledCount || maxLength > kMaxRuledLength)) return 0;

  test::MemorySession m(library);
  if (flags & 2) m.env.Put("d/titles.txt", "old titles\r\n");
  const std::vector<std::string> before = m.env.Files();
  m.session.Seed(seed);
  RunInputs inputs{countText, core, lengthText, separatorIndex};
  // Rules only with the high bit, so that the seeds of the plain rule stay what they were.
  if (flags & 0x80) inputs.rules = {(flags & 4) != 0, (flags & 8) != 0, (flags & 16) != 0, (flags & 32) != 0};
  inputs.report = (flags & 0x40) != 0;
  const Outcome outcome = m.Run(inputs);
  if (inputs.rules.any()) {
    // A core with a banned word, or too few different titles, is refused; the rest is written.
    CHECK(outcome == Outcome::kWritten || outcome == Outcome::kInputRefused || outcome == Outcome::kEncodingError);
    if (outcome != Outcome::kWritten) {
      CHECK(m.env.Files() == before && m.session.randomState() == seed);
    } else {
      CheckRuledFile(m.file(), count, TitleRecipe(words, core, maxLength, SeparatorFromIndex(separatorIndex)),
                     inputs.rules.unique);
      CHECK(m.env.Files().size() == 2);
    }
    return 0;
  }

  // The three checks in order, then a library that cannot be converted, then one with nothing to draw.
  const TitleRecipe recipe(words, core, maxLength, SeparatorFromIndex(separatorIndex));
  const Outcome expected = refusal || (convertible && !recipe.hasDrawable) ? Outcome::kInputRefused
                           : !convertible                                  ? Outcome::kEncodingError
                                                                           : Outcome::kWritten;
  CHECK(outcome == expected);
  CHECK(m.front.saveRequests == (outcome == Outcome::kWritten ? 1 : 0));
  CHECK(m.front.messages.size() == (outcome == Outcome::kWritten ? 0u : 1u));
  if (refusal) CHECK(m.front.messages[0] == refusal);
  if (outcome != Outcome::kWritten) {
    CHECK(m.env.Files() == before && m.session.randomState() == seed);
  } else {
    CheckTitleFile(m.file(), count, recipe, seed);
    CHECK(m.env.Files().size() == 2);  // the library and the title file, no temporary one
  }
  return 0;
}
