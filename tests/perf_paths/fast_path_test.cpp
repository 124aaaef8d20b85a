// The fast paths (remainder by reciprocal, the per-value draw table, titles
// written straight into a pair of buffers on two threads, the one-pass
// library split and UTF-8 load) checked byte for byte against a plain model
// written out here: the C runtime's rand, one character at a time, a write
// after every full buffer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <thread>
#include <utility>

#include "gbk_codec.h"
#include "library_encoding.h"
#include "test_support.h"
#include "title_file.h"  // with title_builder.h, position_draw.h, word_list.h

namespace wordloom {
namespace {

using namespace std::string_literals;
constexpr int64_t kBuf = static_cast<int64_t>(kTitleBufferSize);

// ---- the model --------------------------------------------------------

// Entries the way text mode reads lines: CR before LF dropped, cut at a NUL.
std::vector<std::string> ModelEntries(const std::string& text) {
  std::vector<std::string> out;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') line += text[i];
    if (text[i] == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
    if (text[i] == '\n' || i + 1 == text.size()) out.push_back(std::exchange(line, {}).c_str());
  }
  return out;
}

// A case, and what a writer without threads makes of it: one title at a
// time, a write after each full buffer and then keepGoing, nothing drawn
// once stopped; rand seeded with the title count.
struct Case {
  std::string library, core;
  int64_t maxLength;
  char sep;
  int32_t count;
  int cancelAt = -1;  // the keepGoing call that answers false; the target is then a FIFO

  uint32_t state = static_cast<uint32_t>(count);
  std::string written = "", buffer = "";
  std::vector<int64_t> asked = {};
  int64_t done = 0;
  bool stopped = false;

  uint32_t Rand() { return (state = state * 214013u + 2531011u) >> 16 & 0x7FFF; }
  void Flush() {
    if (stopped) return;
    written += buffer;
    buffer.clear();
    asked.push_back(done);
    stopped = static_cast<int>(asked.size()) - 1 == cancelAt;
  }
  // A piece that fits goes in whole, even if it fills the buffer; one that
  // does not is written each time the buffer fills, up to its last byte.
  void Append(const std::string& s) {
    if (s.size() <= kTitleBufferSize - buffer.size()) return void(buffer += s);
    for (size_t at = 0; at < s.size() && !stopped; ++at) {
      if (buffer.size() == kTitleBufferSize) Flush();
      if (!stopped) buffer += s[at];
    }
    if (buffer.size() == kTitleBufferSize) Flush();
  }
  void RunModel() {
    const std::vector<std::string> entries = ModelEntries(library);
    const size_t n = entries.size(), coreIndex = std::find(entries.begin(), entries.end(), core) - entries.begin();
    bool anyBytes = false;
    for (size_t i = 0; i < n; ++i) anyBytes |= i != coreIndex && !entries[i].empty();
    std::string coreText;
    for (char ch : core) coreText += ch == '\n' ? "\r\n"s : std::string(1, ch);
    Append("\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6\r\n");
    for (int32_t i = 0; i < count && !stopped; ++i) {
      Append("\xB1\xEA\xCC\xE2" + std::to_string(i) + ":");
      Append(coreText);
      for (int64_t length = core.size(); (sep || anyBytes || length >= maxLength) && !stopped;) {
        if (sep) Append(std::string(1, sep));
        length += sep != '\0';
        size_t k = coreIndex;  // two values of rand past 32768 entries
        for (uint32_t r = 0; k == coreIndex; k = (n > 32768 ? r << 15 | Rand() : r) % n) r = Rand();
        if (static_cast<int64_t>(entries[k].size()) + length >= maxLength) break;
        Append(entries[k]);
        length += static_cast<int64_t>(entries[k].size());
      }
      Append("\r\n");
      done = int64_t{i} + 1;
    }
    Flush();
  }
};

// ---- the comparison -----------------------------------------------------

void ExpectSameAsModel(Case c) {  // c.RunModel() gives what is expected
  c.RunModel();
  test::TempDir dir;
  WordList words;
  words.AppendText(std::string(c.library));
  const TitleRecipe recipe(words, c.core, static_cast<int32_t>(c.maxLength), c.sep);
  std::vector<int64_t> asked;
  const WriteRequest request{dir / "out", c.count, [&](int64_t done) {
                               asked.push_back(done);
                               return static_cast<int>(asked.size()) - 1 != c.cancelAt;
                             }};
  std::string got;
  std::thread reader;  // a FIFO shows every byte written, even past a cancel
  if (c.cancelAt >= 0 && ::mkfifo(request.target.c_str(), 0600) == 0)
    reader = std::thread([&] { got = test::ReadFile(request.target); });
  CrtSeed(static_cast<uint32_t>(c.count));
  const WriteResult result = WriteTitleFile(request, recipe);
  EXPECT_EQ(CrtState(), c.state);
  if (reader.joinable()) reader.join();
  if (std::filesystem::is_regular_file(request.target)) got = test::ReadFile(request.target);
  EXPECT_EQ(result.kind, c.stopped ? WriteResult::kCancelled : WriteResult::kWritten) << result.reason;
  EXPECT_EQ(asked, c.asked);
  const size_t same = std::mismatch(got.begin(), got.end(), c.written.begin(), c.written.end()).first - got.begin();
  EXPECT_TRUE(got == c.written) << got.size() << " bytes for " << c.written.size() << ", the same up to " << same;
}

// Entries of varied length, distinct per position so that a wrong one shows,
// and "core" halfway.
std::string Numbered(size_t n, size_t spread = 13) {
  std::string text;
  for (size_t i = 0; i < n; ++i)
    text += (i == n / 2 ? "core"s : "w" + std::to_string(i) + std::string(i % spread, 'x')) + "\n";
  return text;
}

std::vector<Case> Cases() {
  std::vector<Case> all;
  // Entry counts near powers of two and past 32768; 20000 titles use the
  // per-value table up to 32768 entries.
  for (size_t n : {1, 2, 3, 4, 5, 255, 256, 257, 32767, 32768, 32769, 65535, 65536, 65537, 100000})
    for (int32_t count : {3000, 20000})
      for (char sep : {',', ' ', '\0'}) all.push_back({Numbered(n), n == 1 ? "absent" : "core", 60, sep, count});
  for (int64_t length : {1, 2, 5, 6, 10, 11, 61, 200, 4096, 100000, 1000000})
    all.push_back({Numbered(700), "w3xxx", length, ',', length >= 100000 ? 7 : length >= 1000 ? 2000 : 20000});
  // Buffer boundaries inside 60-byte titles, each at another byte (7 MB);
  // entries longer than the buffer, exactly a buffer, and one ending a
  // buffer right after label and core; titles longer than the buffer.
  const std::string small = Numbered(5000, 7), big = Numbered(40000, 29);
  const std::string huge = "core\n" + std::string(kBuf + 17, 'a') + "\n" + std::string(kBuf, 'b') + "\ncc\n" +
                           std::string(kBuf - 27, 'd') + "\n\n";
  for (char sep : {',', '\0'}) all.push_back({small, "w42", 60, sep, 120000});
  for (char sep : {',', '\0'}) all.push_back({huge, "core", 5 * kBuf, sep, 4});
  all.push_back({big, "w7", 3 * kBuf + 12345, ',', 3});
  // Cores missing, long, with line ends; empty entries only; CR,
  // NUL, a repeated core and no last line end.
  for (std::string core : {"absent"s, std::string(80, 'L'), "a\nb"s, "\n"s})
    for (int64_t length : {1, 60, 85}) all.push_back({Numbered(300), core, length, ',', 500});
  for (int64_t length : {60, 3}) all.push_back({"core\n\n\n\n", "core", length, '\0', 100});
  all.push_back({"a\r\nbb\r\n\r\nccc\nd\0tail\r\n\0\nabcd\r\r\nee\n\ncore\ncore\r\nlast"s, "core", 60, ',', 4000});
  // A cancel after each of the first buffers and inside a long title (a
  // cancelled file and a failed write are for tests/core and tests/faults).
  for (int at = 0; at < 6; ++at) all.push_back({small, "w42", 60, ',', 80000, at});
  for (char sep : {',', '\0'}) all.push_back({big, "w7", INT32_MAX, sep, 2, 2});
  return all;
}

class Files : public testing::TestWithParam<Case> {};
TEST_P(Files, MatchTheModel) { ExpectSameAsModel(GetParam()); }
INSTANTIATE_TEST_SUITE_P(FastPaths, Files, testing::ValuesIn(Cases()));

TEST(FastPaths, RemainderMatchesDivisionNearPowersOfTwoAndPast32768) {
  std::vector<uint64_t> counts = {3, 5, 7, 100, 5000, 100000, 1000003, 4294967295u};
  for (int bit = 1; bit < 32; ++bit)
    for (int d : {-1, 0, 1}) counts.push_back((uint64_t{1} << bit) + d);
  std::mt19937 random(7);
  for (uint64_t n : counts) {
    const PositionDraw draw(static_cast<size_t>(n));
    std::vector<uint32_t> rs = {0, 1, 32767, 32768, (1u << 30) - 1, (1u << 30) - 2};
    for (uint64_t r = n - 1; r < 64 * n && r + 2 < (1u << 30); r += n)
      rs.insert(rs.end(), {uint32_t(r), uint32_t(r + 1), uint32_t(r + 2)});
    for (int j = 0; j < 20000; ++j) rs.push_back(random() & ((1u << 30) - 1));
    for (uint32_t r : rs) ASSERT_EQ(draw.Reduce(r), r % n) << "r=" << r << " n=" << n;
  }
}

TEST(FastPaths, OnePassLoadAndSplitMatchCharacterAtATimeReading) {
  // The first ten pieces have GBK forms; the rest lack one or are malformed.
  const std::vector<std::string> pieces = {
      "a", "x\r ", "\n", "\r\n", std::string(1, '\0'), "\xC2\xA7", "\xE8\xBF\x9E", "\xE2\x82\xAC", "\xE3\x80\x81", "\r",
      "\xF0\x9F\x98\x80", "\xE2\x98\x83", "\xC1\xAC", "\xB0\xA1", "\xFF", "\xE8\xBF", "\xED\xA0\x80", "\xEF\xBB\xBF"};
  std::mt19937 random(3);
  for (int round = 0; round < 3000; ++round) {
    const bool clean = round % 10 == 0;  // long, and each character has a GBK form
    std::string sample = round % 5 == 1 ? "\xEF\xBB\xBF" : "";
    // Odd rounds: no malformed pieces.
    for (int i = clean ? 3000 : random() % 24; i > 0; --i)
      sample += pieces[random() % (clean ? 10 : round % 2 ? 12 : pieces.size())];
    if (round % 20 == 10) sample += "\xB0\xA1";  // a GBK pair after a long valid stretch
    // A BOM, or valid UTF-8 with more than ASCII, goes through the codec one
    // character at a time; anything else is GBK as it is.
    const size_t start = sample.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const bool utf8 =
        start || (IsValidUtf8(sample) && std::any_of(sample.begin(), sample.end(), [](char ch) { return ch & 0x80; }));
    std::string expected = utf8 ? "" : sample;
    size_t bad = 0;
    const bool ok = !utf8 || Utf8ToGbk(std::string_view(sample).substr(start), expected, bad);
    LibraryEncoding encoding;
    ConversionFailure failure;
    std::string got = sample;
    ASSERT_EQ(BringLibraryToGbk(got, encoding, failure), ok) << round;
    const LibraryEncoding utf8Kind = start ? LibraryEncoding::kUtf8Bom : LibraryEncoding::kUtf8;
    ASSERT_EQ(encoding, utf8 ? utf8Kind : LibraryEncoding::kGbk) << round;
    char32_t cp;  // on a failure: its line, and whether the character there is well-formed
    const size_t badLine = 1 + std::count(sample.begin() + start, sample.begin() + start + bad, '\n');
    ASSERT_TRUE(ok ? got == expected
                   : failure.line == badLine && failure.notGbk == (DecodeUtf8(sample, start + bad, cp) != 0))
        << round;
    ASSERT_TRUE(!ok || !clean || !utf8 || got == test::Gbk(sample)) << round;  // and iconv
    WordList list;  // the loaded text, or what is left of it, split into entries
    list.AppendText(std::string(got));
    const std::vector<std::string> entries = ModelEntries(got);
    ASSERT_EQ(list.size(), entries.size()) << round;
    for (size_t i = 0; i < entries.size(); ++i) ASSERT_EQ(list[i], entries[i]) << round << " entry " << i;
  }
}

}  // namespace
}  // namespace wordloom
