// The fast paths (remainder by reciprocal, titles written straight into a
// pair of buffers on two threads, the one-pass library split and UTF-8 load)
// checked byte for byte against a plain model written out here: the C
// runtime's rand, one title at a time into a string, a write after every
// full buffer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "crt_rand.h"
#include "gbk_codec.h"
#include "library_encoding.h"
#include "position_draw.h"
#include "test_support.h"
#include "title_builder.h"
#include "title_file.h"
#include "word_list.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using test::Gbk;

// ---- the model --------------------------------------------------------

struct ModelRand {
  uint32_t state = 1;
  uint32_t Next() {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFF;
  }
};

// Entries the way text mode reads lines, one line at a time.
std::vector<std::string> ModelEntries(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    const bool hasLf = lf != std::string::npos;
    if (!hasLf) lf = text.size();
    std::string line = text.substr(start, lf - start);
    if (hasLf && !line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line.substr(0, std::strlen(line.c_str())));
    start = lf + 1;
  }
  return out;
}

struct ModelRun {
  std::vector<std::string> entries;
  std::string core;
  int64_t maxLength = 60;
  char sep = ',';
  int32_t count = 10;
};

size_t ModelCore(const ModelRun& run) {
  for (size_t i = 0; i < run.entries.size(); ++i)
    if (run.entries[i] == run.core) return i;
  return run.entries.size();
}

// Collects the file as written after each full buffer, asking `keepGoing`
// after each write, and stops drawing once stopped.
struct ModelOutput {
  std::string written;
  std::string buffer;
  std::vector<int64_t> asked;
  int64_t done = 0;
  int cancelAt = -1;     // the keepGoing call that answers false
  int failWrite = -1;    // the write that fails
  int writes = 0;
  bool stopped = false;
  bool failed = false;

  void Flush() {
    if (stopped) return;
    if (!buffer.empty()) {
      if (writes++ == failWrite) {
        stopped = failed = true;
        buffer.clear();
        return;
      }
      written += buffer;
    }
    buffer.clear();
    asked.push_back(done);
    if (static_cast<int>(asked.size()) - 1 == cancelAt) stopped = true;
  }
  void Append(const std::string& s) {
    size_t n = s.size(), at = 0;
    if (n <= kTitleBufferSize - buffer.size()) {
      buffer += s;
      return;
    }
    while (n > 0 && !stopped) {
      const size_t take = std::min(n, kTitleBufferSize - buffer.size());
      buffer.append(s, at, take);
      at += take;
      n -= take;
      if (buffer.size() == kTitleBufferSize) Flush();
    }
  }
};

size_t ModelDraw(ModelRand& rand, size_t n, size_t coreIndex) {
  for (;;) {
    uint32_t r = rand.Next();
    if (n > 32768) r = r << 15 | rand.Next();
    const size_t k = r % n;
    if (k != coreIndex) return k;
  }
}

// Runs the whole write; returns the generator's state at the end.
uint32_t ModelWrite(const ModelRun& run, ModelOutput& out, uint32_t seed = 1) {
  ModelRand rand{seed};
  const size_t coreIndex = ModelCore(run);
  std::string coreText;
  bool anyBytes = false;
  for (size_t i = 0; i < run.entries.size(); ++i) anyBytes |= i != coreIndex && !run.entries[i].empty();
  for (char c : run.core) coreText += c == '\n' ? std::string("\r\n") : std::string(1, c);
  out.Append("\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6\r\n");
  for (int32_t i = 0; i < run.count && !out.stopped; ++i) {
    out.Append("\xB1\xEA\xCC\xE2" + std::to_string(i) + ":");
    out.Append(coreText);
    int64_t length = static_cast<int64_t>(run.core.size());
    if (run.sep != '\0' || anyBytes || length >= run.maxLength) {
      for (;;) {
        if (out.stopped) break;
        if (run.sep) {
          out.Append(std::string(1, run.sep));
          ++length;
        }
        const size_t k = ModelDraw(rand, run.entries.size(), coreIndex);
        const std::string& entry = run.entries[k];
        if (static_cast<int64_t>(entry.size()) + length >= run.maxLength) break;
        out.Append(entry);
        length += static_cast<int64_t>(entry.size());
      }
    }
    out.Append("\r\n");
    out.done = int64_t{i} + 1;
  }
  out.Flush();
  return rand.state;
}

// ---- the code under test ----------------------------------------------

std::string JoinLines(const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& e : entries) text += e + "\n";
  return text;
}

struct RealResult {
  WriteResult result;
  std::string file;
  bool fileExists = false;
  std::vector<int64_t> asked;
  uint32_t stateAfter = 0;
};

RealResult RealWrite(const std::string& libraryText, const ModelRun& run, int cancelAt = -1,
                     const fs::path& target = {}, uint32_t seed = 1) {
  test::TempDir dir;
  WordList words;
  words.AppendText(std::string(libraryText));
  const TitleRecipe recipe(words, run.core, static_cast<int32_t>(run.maxLength), run.sep);
  RealResult real;
  WriteRequest request;
  request.target = target.empty() ? dir / "titles.txt" : target;
  request.titleCount = run.count;
  request.keepGoing = [&](int64_t done) {
    real.asked.push_back(done);
    return static_cast<int>(real.asked.size()) - 1 != cancelAt;
  };
  CrtSeed(seed);
  real.result = WriteTitleFile(request, recipe);
  real.stateAfter = CrtState();
  real.fileExists = fs::exists(request.target);
  if (real.fileExists && fs::is_regular_file(request.target)) real.file = test::ReadFile(request.target);
  return real;
}

void ExpectSameAsModel(const ModelRun& run, const std::string& libraryText) {
  ModelOutput model;
  const uint32_t modelState = ModelWrite(run, model);
  const RealResult real = RealWrite(libraryText, run);
  ASSERT_EQ(real.result.kind, WriteResult::kWritten) << real.result.reason;
  ASSERT_EQ(real.file.size(), model.written.size());
  EXPECT_TRUE(real.file == model.written) << "first difference at byte "
                                          << std::mismatch(real.file.begin(), real.file.end(), model.written.begin()).first -
                                                 real.file.begin();
  EXPECT_EQ(real.asked, model.asked);
  EXPECT_EQ(real.stateAfter, modelState);
}

// Entries of varied length, text distinct per position so that a wrong
// position shows.
std::vector<std::string> Numbered(size_t n, size_t spread = 13) {
  std::vector<std::string> entries;
  entries.reserve(n);
  for (size_t i = 0; i < n; ++i) entries.push_back("w" + std::to_string(i) + std::string(i % spread, 'x'));
  return entries;
}

// ---- remainder by reciprocal -------------------------------------------

TEST(FastPaths, RemainderMatchesDivisionNearPowersOfTwoAndPast32768) {
  std::vector<uint64_t> counts = {1, 2, 3, 5, 7, 100, 5000, 32767, 32768, 32769, 65535, 65536, 65537,
                                  100000, 1000003, 2000000, 1u << 29, (1u << 30) - 1, 1u << 30, (1u << 30) + 1,
                                  2147483647u, 2147483648u, 4294967295u};
  for (int bit = 1; bit < 32; ++bit) {
    counts.push_back((uint64_t{1} << bit) - 1);
    counts.push_back((uint64_t{1} << bit) + 1);
  }
  std::mt19937 random(7);
  for (uint64_t n : counts) {
    const PositionDraw draw(static_cast<size_t>(n));
    std::vector<uint32_t> rs = {0, 1, 32767, 32768, (1u << 30) - 1, (1u << 30) - 2};
    for (uint32_t q = 1; q < 64; ++q) {
      const uint64_t edge = q * n;  // around multiples of n, where a wrong quotient shows first
      for (int d = -1; d <= 1; ++d)
        if (edge + d < (1u << 30)) rs.push_back(static_cast<uint32_t>(edge + d));
    }
    for (int j = 0; j < 20000; ++j) rs.push_back(random() & ((1u << 30) - 1));
    for (uint32_t r : rs) ASSERT_EQ(draw.Reduce(r), r % n) << "r=" << r << " n=" << n;
  }
}

TEST(FastPaths, DrawsFollowTheRuntimeSequence) {
  for (size_t n : {size_t{1}, size_t{3}, size_t{32768}, size_t{32769}, size_t{100000}}) {
    CrtSeed(1);
    ModelRand model;
    PositionDraw draw(n);
    for (int j = 0; j < 1000; ++j) {
      uint32_t r = model.Next();
      if (n > 32768) r = r << 15 | model.Next();
      ASSERT_EQ(draw.Next(), r % n) << n;
    }
  }
}

// ---- whole files --------------------------------------------------------

TEST(FastPaths, FilesMatchTheModelAcrossEntryCounts) {
  for (size_t n : {size_t{1}, size_t{2}, size_t{3}, size_t{4}, size_t{5}, size_t{255}, size_t{256}, size_t{257},
                   size_t{32767}, size_t{32768}, size_t{32769}, size_t{65535}, size_t{65536}, size_t{65537},
                   size_t{100000}}) {
    ModelRun run;
    run.entries = Numbered(n);
    run.core = run.entries[n / 2];
    if (n == 1) run.core = "absent";  // one entry that is the core leaves nothing to draw
    // A few titles, and enough for the per-value table below 32768 entries.
    for (int32_t count : {3000, 20000}) {
      run.count = count;
      for (char sep : {',', ' ', '\0'}) {
        SCOPED_TRACE(testing::Message() << "entries " << n << " separator " << int(sep) << " titles " << count);
        run.sep = sep;
        ExpectSameAsModel(run, JoinLines(run.entries));
      }
    }
  }
}

TEST(FastPaths, LengthsFromOneToAMillion) {
  ModelRun run;
  run.entries = Numbered(700);
  run.core = "w3xxx";
  for (int64_t length : {1, 2, 4, 5, 6, 9, 10, 11, 30, 60, 61, 200, 4096, 100000, 1000000}) {
    SCOPED_TRACE(length);
    run.maxLength = length;
    run.count = length >= 100000 ? 7 : length >= 1000 ? 2000 : 20000;
    ExpectSameAsModel(run, JoinLines(run.entries));
  }
}

TEST(FastPaths, BufferBoundariesFallInsideTitles) {
  // Some 60-byte titles cross each 1 MiB boundary at a different byte.
  ModelRun run;
  run.entries = Numbered(5000, 7);
  run.core = "w42";
  run.count = 120000;  // about 7 MB
  for (char sep : {',', '\0'}) {
    run.sep = sep;
    ExpectSameAsModel(run, JoinLines(run.entries));
  }
}

TEST(FastPaths, TitlesLongerThanTheBuffer) {
  ModelRun run;
  run.entries = Numbered(40000, 29);
  run.core = "w7";
  run.maxLength = 3 * static_cast<int64_t>(kTitleBufferSize) + 12345;
  run.count = 3;
  ExpectSameAsModel(run, JoinLines(run.entries));
}

TEST(FastPaths, EntriesLongerThanTheBuffer) {
  // Single pieces of more than a buffer, one of exactly a buffer, one that
  // ends a buffer exactly after the label and core.
  ModelRun run;
  run.entries = {"core", std::string(kTitleBufferSize + 17, 'a'), std::string(kTitleBufferSize, 'b'), "cc",
                 std::string(kTitleBufferSize - 27, 'd'), ""};
  run.core = "core";
  run.maxLength = 5 * static_cast<int64_t>(kTitleBufferSize);
  run.count = 4;
  for (char sep : {',', '\0'}) {
    run.sep = sep;
    ExpectSameAsModel(run, JoinLines(run.entries));
  }
}

TEST(FastPaths, CoreMissingLongOrWithLineEnds) {
  ModelRun run;
  run.entries = Numbered(300);
  run.count = 500;
  for (std::string core : {std::string("absent"), std::string(80, 'L'), std::string("a\nb"), std::string("\n")}) {
    run.core = core;
    for (int64_t length : {1, 60, 85}) {
      run.maxLength = length;
      ExpectSameAsModel(run, JoinLines(run.entries));
    }
  }
}

TEST(FastPaths, EmptyEntriesWithoutSeparator) {
  ModelRun run;
  run.entries = {"core", "", "", ""};
  run.core = "core";
  run.sep = '\0';
  run.maxLength = 60;
  run.count = 100;
  ExpectSameAsModel(run, "core\n\n\n\n");
  run.maxLength = 3;  // the core alone reaches the limit: one draw, then the title ends
  ExpectSameAsModel(run, "core\n\n\n\n");
}

TEST(FastPaths, NegativeCountWritesTheHeaderOnly) {
  ModelRun run;
  run.entries = Numbered(10);
  run.core = "w1x";
  run.count = -4;
  ExpectSameAsModel(run, JoinLines(run.entries));
}

TEST(FastPaths, OtherSeedsAndLibrariesWithCrNulAndNoLastLineEnd) {
  const std::string text = std::string("a\r\nbb\r\n\r\nccc\nd\0tail\r\n\0\nabcd\r\r\nee\n\n", 34) + "core\r\nlast";
  ModelRun run;
  run.entries = ModelEntries(text);
  run.core = "core";
  run.count = 4000;
  ModelOutput model;
  const uint32_t modelState = ModelWrite(run, model, 987654321u);
  const RealResult real = RealWrite(text, run, -1, {}, 987654321u);
  EXPECT_TRUE(real.file == model.written);
  EXPECT_EQ(real.stateAfter, modelState);
}

// ---- stops --------------------------------------------------------------

TEST(FastPaths, CancelAtEachOfTheFirstBuffersStopsWhereTheModelStops) {
  ModelRun run;
  run.entries = Numbered(5000, 7);
  run.core = "w42";
  run.count = 80000;  // about 5 buffers
  for (int cancelAt = 0; cancelAt < 6; ++cancelAt) {
    SCOPED_TRACE(cancelAt);
    ModelOutput model;
    model.cancelAt = cancelAt;
    const uint32_t modelState = ModelWrite(run, model);
    const RealResult real = RealWrite(JoinLines(run.entries), run, cancelAt);
    EXPECT_EQ(real.result.kind, WriteResult::kCancelled);
    EXPECT_FALSE(real.fileExists);
    EXPECT_EQ(real.asked, model.asked);
    EXPECT_EQ(real.stateAfter, modelState);
  }
}

TEST(FastPaths, CancelInsideALongTitleStopsDrawing) {
  ModelRun run;
  run.entries = Numbered(40000, 29);
  run.core = "w7";
  run.maxLength = 2147483647;
  run.count = 2;
  for (char sep : {',', '\0'}) {
    run.sep = sep;
    ModelOutput model;
    model.cancelAt = 2;
    const uint32_t modelState = ModelWrite(run, model);
    const RealResult real = RealWrite(JoinLines(run.entries), run, 2);
    EXPECT_EQ(real.result.kind, WriteResult::kCancelled);
    EXPECT_EQ(real.asked, model.asked);
    EXPECT_EQ(real.stateAfter, modelState);
  }
}

TEST(FastPaths, AFailedWriteStopsWhereTheModelStops) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  ModelRun run;
  run.entries = Numbered(5000, 7);
  run.core = "w42";
  for (int32_t count : {10, 80000}) {
    run.count = count;
    ModelOutput model;
    model.failWrite = 0;
    const uint32_t modelState = ModelWrite(run, model);
    const RealResult real = RealWrite(JoinLines(run.entries), run, -1, "/dev/full");
    EXPECT_EQ(real.result.kind, WriteResult::kFailed);
    EXPECT_EQ(real.asked, model.asked);
    EXPECT_EQ(real.stateAfter, modelState);
  }
}

TEST(FastPaths, APipeGetsNothingPastACancel) {
  // A pipe shows every byte it is given: after a cancel it must hold what a
  // writer without a thread would have written, and no more.
  test::TempDir dir;
  const fs::path fifo = dir / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ModelRun run;
  run.entries = Numbered(5000, 7);
  run.core = "w42";
  run.count = 80000;
  for (int cancelAt : {0, 2}) {
    ModelOutput model;
    model.cancelAt = cancelAt;
    const uint32_t modelState = ModelWrite(run, model);
    std::string received;
    std::thread reader([&] {
      const int fd = ::open(fifo.c_str(), O_RDONLY);
      char chunk[65536];
      for (ssize_t n; fd >= 0 && (n = ::read(fd, chunk, sizeof chunk)) > 0;) received.append(chunk, static_cast<size_t>(n));
      if (fd >= 0) ::close(fd);
    });
    const RealResult real = RealWrite(JoinLines(run.entries), run, cancelAt, fifo);
    reader.join();
    EXPECT_EQ(real.result.kind, WriteResult::kCancelled);
    EXPECT_EQ(real.asked, model.asked);
    EXPECT_EQ(real.stateAfter, modelState);
    EXPECT_EQ(received.size(), model.written.size());
    EXPECT_TRUE(received == model.written);
  }
}

// ---- library loading -----------------------------------------------------

TEST(FastPaths, SplitMatchesLineByLineReadingOnRandomText) {
  std::mt19937 random(11);
  const char alphabet[] = {'a', 'b', '\n', '\n', '\r', '\0', '\xB0', '\xA1', ' '};
  for (int round = 0; round < 400; ++round) {
    std::string text;
    const size_t size = random() % 200;
    for (size_t i = 0; i < size; ++i) text += alphabet[random() % sizeof alphabet];
    if (round % 3 == 0) text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    if (round % 2 == 0) text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    WordList list;
    list.AppendText(std::string(text));
    const std::vector<std::string> expected = ModelEntries(text);
    ASSERT_EQ(list.size(), expected.size()) << round;
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(list[i], expected[i]) << round << " entry " << i;
    for (size_t i = 0; i < expected.size(); i += 3) {
      const size_t first = std::find(expected.begin(), expected.end(), expected[i]) - expected.begin();
      ASSERT_EQ(list.Find(expected[i]), first) << round;
    }
    ASSERT_EQ(list.Find("zz"), expected.size());
  }
}

TEST(FastPaths, FindOnALargeLibrary) {
  std::vector<std::string> entries = Numbered(200000);
  entries.push_back("w5xxxxx");  // a later duplicate
  WordList list;
  list.AppendText(JoinLines(entries));
  EXPECT_EQ(list.Find("w5xxxxx"), 5u);
  EXPECT_EQ(list.Find("w199999" + std::string(199999 % 13, 'x')), 199999u);
  EXPECT_EQ(list.Find("w1999"), entries.size());  // a prefix of entries, not an entry
  EXPECT_EQ(list.Find("xxx"), entries.size());    // a suffix of entries
  EXPECT_EQ(list.Find("w0"), 0u);
}

std::string LoadAs(const std::string& bytes, LibraryEncoding& encoding, bool& ok, ConversionFailure& failure) {
  std::string text = bytes;
  ok = BringLibraryToGbk(text, encoding, failure);
  return text;
}

TEST(FastPaths, OnePassUtf8LoadAgreesWithDetectThenConvert) {
  const std::string chinese = "连衣裙 女装\n夏季新款，§±×÷ ü\r\n€ end\n";
  const std::vector<std::string> samples = {
      "", "plain ascii\nonly\n", chinese, std::string(5000, 'a') + chinese,
      // valid UTF-8 for a long stretch, then a GBK byte pair: GBK as it was
      chinese + chinese + "\xB0\xA1\n",
      // only two-byte sequences that stay two bytes in GBK
      "\xC2\xA7\xC2\xB1\n\xC3\x97",
      // a character without a GBK form, then valid text: an error on line 2
      "ok\n\xF0\x9F\x98\x80 smile\n" + chinese,
      // the same, but invalid UTF-8 later: the whole file is GBK
      "ok\n\xF0\x9F\x98\x80 smile\n" + chinese + "\xFF",
      // a malformed sequence right away
      "\xC1\xAC\xD2\xC2\xC8\xB9\n",
      "\xEF\xBB\xBF" + chinese,
  };
  for (const std::string& sample : samples) {
    SCOPED_TRACE(sample);
    std::string expected = sample;
    const LibraryEncoding expectedEncoding = DetectLibraryEncoding(sample);
    ConversionFailure expectedFailure;
    const bool expectedOk = ConvertLibraryToGbk(expected, expectedEncoding, expectedFailure);
    LibraryEncoding encoding;
    bool ok;
    ConversionFailure failure;
    const std::string got = LoadAs(sample, encoding, ok, failure);
    EXPECT_EQ(encoding, expectedEncoding);
    ASSERT_EQ(ok, expectedOk);
    if (ok) {
      EXPECT_EQ(got, expected);
    } else {
      EXPECT_EQ(failure.line, expectedFailure.line);
      EXPECT_EQ(failure.notGbk, expectedFailure.notGbk);
    }
  }
  // And against the system's converter.
  const std::string hanzi = "连衣裙 女装\n夏季新款，§±×÷ ü\r\n";
  LibraryEncoding encoding;
  bool ok;
  ConversionFailure failure;
  EXPECT_EQ(LoadAs(hanzi, encoding, ok, failure), Gbk(hanzi));
}

TEST(FastPaths, OnePassLoadAgreesOnRandomMixtures) {
  // Pieces that steer the load every way: ASCII and line ends, two-, three-
  // and four-byte UTF-8, characters without a GBK form, GBK pairs, broken
  // sequences, the euro sign (one GBK byte), marks.
  const std::vector<std::string> pieces = {
      "a", "xyz ", "\n", "\r\n", std::string(1, '\0'), "\xC2\xA7", "\xC3\x97", "\xE8\xBF\x9E", "\xE8\xA1\xA3",
      "\xE2\x82\xAC", "\xE3\x80\x81", "\xF0\x9F\x98\x80", "\xE2\x98\x83", "\xC1\xAC", "\xB0\xA1", "\xFF", "\xE8\xBF",
      "\xED\xA0\x80", "\xC0\xAF", "\xEF\xBB\xBF"};
  std::mt19937 random(3);
  for (int round = 0; round < 3000; ++round) {
    std::string sample;
    const int count = static_cast<int>(random() % 24);
    const bool mostlyValid = round % 2 == 0;
    for (int i = 0; i < count; ++i) {
      size_t k = random() % pieces.size();
      if (mostlyValid && (k >= 13 && k <= 18) && random() % 8 != 0) k = random() % 11;
      sample += pieces[k];
    }
    if (round % 5 == 0) sample = "\xEF\xBB\xBF" + sample;
    std::string expected = sample;
    const LibraryEncoding expectedEncoding = DetectLibraryEncoding(sample);
    ConversionFailure expectedFailure;
    const bool expectedOk = ConvertLibraryToGbk(expected, expectedEncoding, expectedFailure);
    LibraryEncoding encoding;
    bool ok;
    ConversionFailure failure;
    const std::string got = LoadAs(sample, encoding, ok, failure);
    ASSERT_EQ(encoding, expectedEncoding) << round;
    ASSERT_EQ(ok, expectedOk) << round;
    if (ok) {
      ASSERT_EQ(got, expected) << round;
    } else {
      ASSERT_EQ(failure.line, expectedFailure.line) << round;
      ASSERT_EQ(failure.notGbk, expectedFailure.notGbk) << round;
    }
    // And against the character-at-a-time converter.
    if (encoding == LibraryEncoding::kUtf8 || encoding == LibraryEncoding::kUtf8Bom) {
      const size_t start = encoding == LibraryEncoding::kUtf8Bom ? 3 : 0;
      std::string slow;
      size_t bad = 0;
      const bool slowOk = Utf8ToGbk(std::string_view(sample).substr(start), slow, bad);
      ASSERT_EQ(ok, slowOk) << round;
      if (ok) {
        ASSERT_EQ(got, slow) << round;
      } else {
        ASSERT_EQ(failure.line, 1 + static_cast<size_t>(std::count(sample.begin() + start, sample.begin() + start + bad, '\n')))
            << round;
      }
    } else if (encoding == LibraryEncoding::kGbk) {
      ASSERT_EQ(got, sample) << round;
    }
  }
}

TEST(FastPaths, LargeUtf8LibraryLoadsLikeItsGbkForm) {
  std::mt19937 random(5);
  std::string utf8;
  for (int line = 0; line < 30000; ++line) {
    const int chars = 2 + random() % 7;
    for (int c = 0; c < chars; ++c) {
      // CJK unified ideographs of GB2312's first level all lie in U+4E00..U+9FA5
      // and have GBK forms.
      const char32_t cp = 0x4E00 + random() % (0x9FA5 - 0x4E00 + 1);
      utf8 += static_cast<char>(0xE0 | cp >> 12);
      utf8 += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      utf8 += static_cast<char>(0x80 | (cp & 0x3F));
    }
    utf8 += line % 5 == 0 ? "\r\n" : "\n";
  }
  LibraryEncoding encoding;
  bool ok;
  ConversionFailure failure;
  const std::string got = LoadAs(utf8, encoding, ok, failure);
  ASSERT_TRUE(ok);
  EXPECT_EQ(encoding, LibraryEncoding::kUtf8);
  EXPECT_TRUE(got == Gbk(utf8));
}

}  // namespace
}  // namespace wordloom
