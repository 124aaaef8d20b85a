// Arbitrary bytes as a word library, with fuzzed field texts, separator,
// core word and seed, through the whole generate command: load, core lookup,
// save, title file. The title file is parsed without help from the code
// under test; every title is checked against the rules a title must obey and
// against a compact model of the title loop.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <unordered_set>

#include "crt_atoi.h"
#include "crt_rand.h"
#include "fuzz_check.h"
#include "gbk_codec.h"
#include "library_encoding.h"
#include "messages.h"
#include "position_draw.h"
#include "test_support.h"
#include "word_list.h"

namespace fs = std::filesystem;
using namespace wordloom;

namespace {

constexpr int64_t kMaxCount = 48, kMaxLength = 2048;  // beyond these an input is slower, not newer
constexpr size_t npos = std::string_view::npos;

// The C runtime's rand(), and a list position from it: two values past 32768 entries.
struct Lcg {
  uint32_t state;
  uint32_t Rand() { return (state = state * 214013u + 2531011u) >> 16 & 0x7FFF; }
  size_t Draw(size_t n) {
    const uint32_t r = Rand();
    return (n > 32768 ? r << 15 | Rand() : r) % n;
  }
};

// Library lines: LF ends a line, a CR just before it goes with it, a last
// line without LF counts, and an entry stops at its first NUL.
std::vector<std::string> ModelLines(std::string_view text) {
  std::vector<std::string> lines;
  for (size_t start = 0, lf = 0; start < text.size() && lf != npos; start = lf + 1) {
    lf = text.find('\n', start);
    std::string_view line = text.substr(start, (lf == npos ? text.size() : lf) - start);
    if (lf != npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line.substr(0, line.find('\0')));
  }
  return lines;
}

// True when `body` is drawable entries, each after the separator, and (with
// a separator) ends with the separator of the draw that stopped.
bool MadeOfEntries(std::string_view body, const std::unordered_set<std::string_view>& drawable,
                   const std::unordered_set<size_t>& lengths, char sep) {
  std::vector<char> reach(body.size() + 1, 0);
  reach[0] = 1;
  for (size_t p = 0; p <= body.size(); ++p) {
    if (!reach[p] || (sep && (p == body.size() || body[p] != sep))) continue;
    if (sep && p + 1 == body.size()) return true;
    const size_t q = sep ? p + 1 : p;
    for (size_t n : lengths) {
      if (q + n <= body.size() && (n > 0 || sep) && drawable.count(body.substr(q, n))) reach[q + n] = 1;
    }
  }
  return !sep && reach[body.size()];
}

void CheckTitleFile(std::string_view file, int64_t count, const std::string& core,
                    const std::vector<std::string>& entries, int64_t maxLength, char sep, uint32_t seed) {
  const size_t coreIndex = std::find(entries.begin(), entries.end(), core) - entries.begin();
  std::unordered_set<std::string_view> drawable;
  std::unordered_set<size_t> lengths;
  bool canGrow = sep != '\0';
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i == coreIndex) continue;
    drawable.insert(entries[i]), lengths.insert(entries[i].size());
    canGrow = canGrow || !entries[i].empty();
  }
  std::string coreText;  // as written: an LF in a typed core goes out as CR LF
  for (char c : core) coreText += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const int64_t coreLength = static_cast<int64_t>(core.size());
  const std::string_view header = "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6\r\n";  // 商品名称
  CHECK(file.substr(0, header.size()) == header);
  file.remove_prefix(header.size());
  Lcg lcg{seed};
  for (int64_t i = 0; i < count; ++i) {
    // Numbered from 0, starting with the core; entries hold no LF, so the
    // first LF ends the title's line, after a CR.
    const std::string label = "\xB1\xEA\xCC\xE2" + std::to_string(i) + ":" + coreText;  // 标题<i>:<core>
    CHECK(file.substr(0, label.size()) == label);
    file.remove_prefix(label.size());
    const size_t lf = file.find('\n');
    CHECK(lf != npos && lf > 0 && file[lf - 1] == '\r');
    const std::string_view body = file.substr(0, lf - 1);
    file.remove_prefix(lf + 1);
    if (coreLength >= maxLength) {  // a core that alone reaches the limit stands alone, with its separator
      CHECK(body == (sep ? std::string_view(&sep, 1) : std::string_view()));
    } else {
      CHECK(coreLength + static_cast<int64_t>(body.size()) <= (sep ? maxLength : maxLength - 1));
    }
    CHECK(MadeOfEntries(body, drawable, lengths, sep));
    // The model: a separator and a drawn entry (never the core's own line)
    // until the drawn entry would reach the limit; one draw at least unless
    // the title can never grow.
    std::string model;
    for (int64_t len = coreLength; canGrow || coreLength >= maxLength;) {
      if (sep) model += sep, ++len;
      size_t k;
      do k = lcg.Draw(entries.size());
      while (k == coreIndex);
      if (static_cast<int64_t>(entries[k].size()) + len >= maxLength) break;
      model += entries[k], len += static_cast<int64_t>(entries[k].size());
    }
    CHECK(body == model);
  }
  CHECK(file.empty());  // nothing after the last title
}

// Under TMPDIR, which scripts/test-fuzz.sh removes (libFuzzer may end without destructors).
const test::TempDir kWorkDir;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fdp(data, size);
  const uint8_t flags = fdp.ConsumeIntegral<uint8_t>();
  const int separatorIndex = fdp.ConsumeIntegralInRange<int>(-1, 3);
  const uint32_t seed = fdp.ConsumeIntegral<uint32_t>();
  const uint16_t coreChoice = fdp.ConsumeIntegral<uint16_t>();
  const uint32_t drawCount = fdp.ConsumeIntegral<uint32_t>();
  const std::string countText = fdp.ConsumeRandomLengthString(24);
  const std::string lengthText = fdp.ConsumeRandomLengthString(24);
  const std::string typedCore = fdp.ConsumeRandomLengthString(256);
  std::string library = fdp.ConsumeRemainingBytesAsString();

  // Position draws for any list size, up to 2^32 - 1, against the plain remainder.
  Lcg lcg{seed};
  CrtSeed(seed);
  for (int i = 0; drawCount > 0 && i < 8; ++i) CHECK(PositionDraw(drawCount).Next() == lcg.Draw(drawCount));

  // Past 32768 entries a draw takes two values; a short library repeated
  // gets there. One input in eight, as these are a hundred times slower.
  if ((flags & 0x1C) == 0x1C && !library.empty()) {
    if (library.back() != '\n') library += '\n';
    const size_t lines = static_cast<size_t>(std::count(library.begin(), library.end(), '\n'));
    const std::string once = library;
    while (once.size() / lines <= 8 && library.size() / once.size() * lines <= 32768) library += once;
  }
  const fs::path libPath = kWorkDir / "library.txt", outPath = kWorkDir / "titles.txt";
  test::WriteFile(libPath, library);

  // The list the run will see, checked against the line rules.
  ClearWords();
  const LoadResult load = LoadWords(libPath);
  std::vector<std::string> entries;
  for (size_t i = 0; i < g_words.size(); ++i) entries.emplace_back(g_words[i]);
  ClearWords();
  const LibraryEncoding encoding = DetectLibraryEncoding(library);
  const bool utf16 = encoding == LibraryEncoding::kUtf16Le || encoding == LibraryEncoding::kUtf16Be;
  CHECK(load.kind == LoadResult::kOk ||
        (load.kind == LoadResult::kEncodingError && encoding != LibraryEncoding::kGbk && entries.empty()));
  if (load.kind == LoadResult::kOk && !utf16) {
    const std::vector<std::string> lines =
        ModelLines(std::string_view(library).substr(encoding == LibraryEncoding::kUtf8Bom ? 3 : 0));
    CHECK(entries.size() == lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
      CHECK((encoding == LibraryEncoding::kGbk ? entries[i] : GbkToUtf8(entries[i])) == lines[i]);
    }
  }
  for (const std::string& e : entries) CHECK(e.find('\n') == npos);

  const std::string core = (flags & 1) && !entries.empty() ? entries[coreChoice % entries.size()] : typedCore;
  const bool targetExisted = flags & 2;
  std::error_code ec;
  fs::remove(outPath, ec);
  if (targetExisted) test::WriteFile(outPath, "old titles\r\n");
  const int64_t count = CrtAtoi(countText), maxLength = CrtAtoi(lengthText);
  const char sep = separatorIndex == 0 ? ',' : separatorIndex == 1 ? ' ' : '\0';
  const char* refusal = core.empty()      ? msg::kCoreWordRequired
                        : maxLength <= 0 ? msg::kLengthRequired
                        : count == 0     ? msg::kCountRequired
                                         : nullptr;
  if (!refusal && (count > kMaxCount || maxLength > kMaxLength)) return 0;

  g_strLibraryPath = libPath;
  test::RecordingFrontEnd frontEnd;
  frontEnd.savePath = outPath;
  CrtSeed(seed);
  const RunOutcome outcome = RunGeneration(RunInputs{countText, core, lengthText, separatorIndex}, frontEnd);
  CHECK(g_words.empty());  // the run leaves the list empty whatever happened

  // The three checks in order, then a library that cannot be converted, then one with nothing to draw.
  const bool coreFound = std::find(entries.begin(), entries.end(), core) != entries.end();
  const bool nothingToDraw = entries.size() <= (coreFound ? 1u : 0u);
  const std::string message = refusal                          ? refusal
                              : load.kind != LoadResult::kOk ? load.message
                              : nothingToDraw                 ? msg::NothingToDraw(libPath.string())
                                                              : "";
  CHECK(outcome == (refusal || (load.kind == LoadResult::kOk && nothingToDraw) ? RunOutcome::kInputRefused
                    : load.kind != LoadResult::kOk                              ? RunOutcome::kEncodingError
                                                                                : RunOutcome::kWritten));
  CHECK(frontEnd.messages == (message.empty() ? std::vector<std::string>() : std::vector<std::string>{message}));
  CHECK(frontEnd.saveRequests == (outcome == RunOutcome::kWritten ? 1 : 0));
  if (outcome != RunOutcome::kWritten) {  // refused: an existing file stays as it was
    CHECK(fs::exists(outPath) == targetExisted && (!targetExisted || test::ReadFile(outPath) == "old titles\r\n"));
  } else {
    CheckTitleFile(test::ReadFile(outPath), count, core, entries, maxLength, sep, seed);
  }
  // Nothing but the library and the title file is left in the folder.
  for (const fs::directory_entry& e : fs::directory_iterator(kWorkDir.path())) {
    CHECK(e.path() == libPath || e.path() == outPath);
  }
  return 0;
}
