// Arbitrary bytes as a word library, with fuzzed field texts, separator,
// core word and seed, through the whole generate command: load, core lookup,
// save, title file. The file is checked twice: against the rules a title
// must obey (parsed without help from the code under test) and byte for
// byte against a small model of the title loop written here.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "crt_rand.h"
#include "gbk_codec.h"
#include "generation_run.h"
#include "library_encoding.h"
#include "messages.h"
#include "position_draw.h"
#include "word_list.h"

namespace fs = std::filesystem;
using namespace wordloom;

namespace {

// Counts and lengths beyond these make an input slow without reaching new code.
constexpr int64_t kMaxCount = 48;
constexpr int64_t kMaxLength = 2048;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}
#define CHECK(cond) \
  do {              \
    if (!(cond)) Fail(#cond); \
  } while (0)

// atoi as the C runtime reads it, saturating at the 32-bit limits.
int64_t ModelAtoi(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<int64_t>(v * 10 + (s[i] - '0'), int64_t{1} << 32);
  v = neg ? -v : v;
  return std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v));
}

// Library lines: LF ends a line, a CR just before it goes with it, a last
// line without LF counts, and an entry stops at its first NUL.
std::vector<std::string> ModelLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(start, end - start);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('\0'));
    lines.emplace_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

struct Model {
  const std::vector<std::string>& entries;
  std::string core;
  int64_t maxLength;
  char sep;
  uint32_t state;

  int Rand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>(state >> 16 & 0x7FFF);
  }
  size_t Draw() {
    uint32_t r = static_cast<uint32_t>(Rand());
    if (entries.size() > 32768) r = r << 15 | static_cast<uint32_t>(Rand());
    return r % entries.size();
  }
  std::string File(int64_t count) {
    size_t coreIndex = 0;
    while (coreIndex < entries.size() && entries[coreIndex] != core) ++coreIndex;
    bool canGrow = sep != '\0';
    for (size_t i = 0; i < entries.size(); ++i) canGrow = canGrow || (i != coreIndex && !entries[i].empty());
    std::string coreText;
    for (char c : core) coreText += c == '\n' ? std::string("\r\n") : std::string(1, c);

    std::string file = "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6\r\n";
    for (int64_t i = 0; i < count; ++i) {
      file += "\xB1\xEA\xCC\xE2" + std::to_string(i) + ":" + coreText;
      int64_t len = static_cast<int64_t>(core.size());
      if (canGrow || len >= maxLength) {
        for (;;) {
          if (sep) file += sep, ++len;
          size_t k;
          do k = Draw();
          while (k == coreIndex);
          if (static_cast<int64_t>(entries[k].size()) + len >= maxLength) break;
          file += entries[k];
          len += static_cast<int64_t>(entries[k].size());
        }
      }
      file += "\r\n";
    }
    return file;
  }
};

// True when `body` is made of drawable entries, each after the separator,
// and (with a separator) ends with the separator of the draw that stopped.
bool MadeOfEntries(std::string_view body, const std::unordered_set<std::string_view>& drawable,
                   const std::vector<size_t>& lengths, char sep) {
  std::vector<char> reach(body.size() + 1, 0);
  reach[0] = 1;
  for (size_t p = 0; p <= body.size(); ++p) {
    if (!reach[p]) continue;
    size_t q = p;
    if (sep) {
      if (p == body.size() || body[p] != sep) continue;
      if (p + 1 == body.size()) return true;
      q = p + 1;
    }
    for (size_t n : lengths) {
      if (q + n > body.size() || (n == 0 && !sep)) continue;
      if (drawable.count(body.substr(q, n))) reach[q + n] = 1;
    }
  }
  return !sep && reach[body.size()];
}

// Parses a title file without the code under test and checks every title.
void CheckTitleFile(const std::string& file, int64_t count, const std::string& core,
                    const std::vector<std::string>& entries, int64_t maxLength, char sep) {
  size_t coreIndex = 0;
  while (coreIndex < entries.size() && entries[coreIndex] != core) ++coreIndex;
  std::unordered_set<std::string_view> drawable;
  std::unordered_set<size_t> lengthSet;
  bool anyBytes = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i == coreIndex) continue;
    drawable.insert(entries[i]);
    lengthSet.insert(entries[i].size());
    anyBytes = anyBytes || !entries[i].empty();
  }
  const std::vector<size_t> lengths(lengthSet.begin(), lengthSet.end());
  std::string coreText;
  for (char c : core) coreText += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const int64_t coreLength = static_cast<int64_t>(core.size());

  std::string_view rest = file;
  const std::string_view header = "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6\r\n";
  CHECK(rest.substr(0, header.size()) == header);
  rest.remove_prefix(header.size());
  for (int64_t i = 0; i < count; ++i) {
    char label[32];
    int n = std::snprintf(label, sizeof label, "\xB1\xEA\xCC\xE2%lld:", static_cast<long long>(i));
    CHECK(rest.substr(0, static_cast<size_t>(n)) == std::string_view(label, static_cast<size_t>(n)));
    rest.remove_prefix(static_cast<size_t>(n));
    // Every title starts with the core as typed (or as the found entry).
    CHECK(rest.substr(0, coreText.size()) == coreText);
    rest.remove_prefix(coreText.size());
    // Entries hold no LF, so the first LF ends the title line, after a CR.
    const size_t lf = rest.find('\n');
    CHECK(lf != std::string_view::npos && lf > 0 && rest[lf - 1] == '\r');
    const std::string_view body = rest.substr(0, lf - 1);
    rest.remove_prefix(lf + 1);

    const int64_t titleLength = coreLength + static_cast<int64_t>(body.size());
    if (coreLength >= maxLength) {
      // A core that alone reaches the limit stands alone, with its separator.
      CHECK(body == (sep ? std::string_view(&sep, 1) : std::string_view()));
    } else {
      CHECK(titleLength <= (sep ? maxLength : maxLength - 1));
      if (!sep && !anyBytes) CHECK(body.empty());
    }
    CHECK(MadeOfEntries(body, drawable, lengths, sep));
  }
  CHECK(rest.empty());  // nothing after the last title
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("cannot write the fuzz input file");
}

struct Recorder : RunFrontEnd {
  fs::path target;
  std::vector<std::string> messages;
  int saveAsked = 0;
  void ShowMessage(const std::string& utf8) override { messages.push_back(utf8); }
  std::optional<fs::path> ChooseSavePath() override {
    ++saveAsked;
    return target;
  }
};

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    // TMPDIR when given (scripts/test-fuzz.sh points it at a folder it
    // removes: libFuzzer ends without running atexit handlers), otherwise
    // memory-backed when possible, as every input writes two small files.
    std::error_code ec;
    const fs::path base = std::getenv("TMPDIR") || !fs::is_directory("/dev/shm", ec) ? fs::temp_directory_path()
                                                                                     : fs::path("/dev/shm");
    std::string tmpl = (base / "wordloom-fuzz-XXXXXX").string();
    if (!::mkdtemp(&tmpl[0])) Fail("mkdtemp");
    return fs::path(tmpl);
  }();
  return dir;
}

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

  // Draws for any list size, up to 2^32 - 1: the position generator against
  // the plain remainder of the one or two values it takes.
  if (drawCount > 0) {
    PositionDraw draw(drawCount);
    uint32_t state = seed;
    const auto rand = [&state] {
      state = state * 214013u + 2531011u;
      return state >> 16 & 0x7FFF;
    };
    CrtSeed(seed);
    for (int i = 0; i < 8; ++i) {
      uint32_t r = rand();
      if (drawCount > 32768) r = r << 15 | rand();
      CHECK(draw.Next() == r % drawCount);
    }
  }

  // Past 32768 entries a draw takes two values; a short library repeated
  // gets there. One input in eight, as these are a hundred times slower.
  if ((flags & 0x1C) == 0x1C && !library.empty()) {
    if (library.back() != '\n') library += '\n';
    const size_t lines = static_cast<size_t>(std::count(library.begin(), library.end(), '\n'));
    if (library.size() / lines <= 8) {
      const std::string once = library;
      while (library.size() / once.size() * lines <= 32768) library += once;
    }
  }

  const fs::path libPath = WorkDir() / "library.txt";
  const fs::path outPath = WorkDir() / "titles.txt";
  WriteFile(libPath, library);

  // The list the run will see, checked against the line rules.
  ClearWords();
  const LoadResult load = LoadWords(libPath);
  const LibraryEncoding encoding = DetectLibraryEncoding(library);
  std::vector<std::string> entries;
  for (size_t i = 0; i < g_words.size(); ++i) entries.emplace_back(g_words[i]);
  ClearWords();
  CHECK(load.kind != LoadResult::kFileError);
  if (load.kind == LoadResult::kOk) {
    if (encoding == LibraryEncoding::kGbk) {
      CHECK(entries == ModelLines(library));
    } else if (encoding == LibraryEncoding::kUtf8 || encoding == LibraryEncoding::kUtf8Bom) {
      const std::vector<std::string> lines =
          ModelLines(std::string_view(library).substr(encoding == LibraryEncoding::kUtf8Bom ? 3 : 0));
      CHECK(entries.size() == lines.size());
      for (size_t i = 0; i < lines.size(); ++i) CHECK(GbkToUtf8(entries[i]) == lines[i]);
    } else {
      for (const std::string& e : entries) CHECK(e.find('\n') == std::string::npos);
    }
  } else {
    CHECK(encoding != LibraryEncoding::kGbk && entries.empty());
  }

  const std::string core = (flags & 1) && !entries.empty() ? entries[coreChoice % entries.size()] : typedCore;
  const bool targetExisted = flags & 2;
  const std::string oldContent = "old titles\r\n";
  std::error_code ec;
  fs::remove(outPath, ec);
  if (targetExisted) WriteFile(outPath, oldContent);

  const int64_t count = ModelAtoi(countText);
  const int64_t maxLength = ModelAtoi(lengthText);
  const char sep = separatorIndex == 0 ? ',' : separatorIndex == 1 ? ' ' : '\0';
  const char* refusal = core.empty()      ? msg::kCoreWordRequired
                        : maxLength <= 0 ? msg::kLengthRequired
                        : count == 0     ? msg::kCountRequired
                                         : nullptr;
  if (!refusal && (count > kMaxCount || maxLength > kMaxLength)) return 0;

  RunInputs inputs;
  inputs.countText = countText;
  inputs.lengthText = lengthText;
  inputs.coreWord = core;
  inputs.separatorIndex = separatorIndex;
  g_strLibraryPath = libPath;
  Recorder frontEnd;
  frontEnd.target = outPath;
  CrtSeed(seed);
  const RunOutcome outcome = RunGeneration(inputs, frontEnd);
  CHECK(g_words.empty());  // the run leaves the list empty whatever happened

  size_t coreFound = 0;
  while (coreFound < entries.size() && entries[coreFound] != core) ++coreFound;
  const bool nothingToDraw = entries.size() <= (coreFound < entries.size() ? 1u : 0u);
  if (refusal) {
    CHECK(outcome == RunOutcome::kInputRefused);
    CHECK(frontEnd.messages.size() == 1 && frontEnd.messages[0] == refusal);
  } else if (load.kind != LoadResult::kOk) {
    CHECK(outcome == RunOutcome::kEncodingError);
    CHECK(frontEnd.messages.size() == 1 && frontEnd.messages[0] == load.message);
  } else if (nothingToDraw) {
    CHECK(outcome == RunOutcome::kInputRefused);
    CHECK(frontEnd.messages.size() == 1 && frontEnd.messages[0] == msg::NothingToDraw(libPath.string()));
  } else {
    CHECK(outcome == RunOutcome::kWritten);
    CHECK(frontEnd.messages.empty() && frontEnd.saveAsked == 1);
  }
  if (outcome != RunOutcome::kWritten) {
    CHECK(frontEnd.saveAsked == 0);
    CHECK(fs::exists(outPath) == targetExisted);
    if (targetExisted) CHECK(ReadFile(outPath) == oldContent);
  } else {
    const std::string file = ReadFile(outPath);
    CheckTitleFile(file, count, core, entries, maxLength, sep);
    Model model{entries, core, maxLength, sep, seed};
    CHECK(file == model.File(count));
  }
  // Nothing but the library and the title file is left in the folder.
  for (const fs::directory_entry& e : fs::directory_iterator(WorkDir())) {
    CHECK(e.path() == libPath || e.path() == outPath);
  }
  return 0;
}
