#include "title_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "batch_tally.h"
#include "chunk_writer.h"
#include "entry_ids.h"
#include "fingerprint_set.h"
#include "rule_draws.h"
#include "text_hash.h"
#include "title_label.h"
#include "title_rule.h"

namespace wordloom {
namespace {

// The buffer being filled; a full one is handed off.
class Stream {
 public:
  Stream(ChunkWriter& chunks, FrontEnd& frontEnd, int64_t total)
      : chunks_(chunks), frontEnd_(frontEnd), total_(total), p(chunks.buffer()), end(p + chunks.capacity()) {}

  // Asks the front end, then sends the buffer on.
  void HandOff(int64_t done) {
    if (!frontEnd_.KeepWriting(done, total_)) {
      Stop(WriteEnd::kCancelled);
    } else if (!chunks_.Submit(static_cast<size_t>(p - chunks_.buffer()))) {
      Stop(WriteEnd::kFailed);
    } else {
      p = chunks_.buffer();
      end = p + chunks_.capacity();
    }
  }
  // Bytes of a title that may not fit: the buffer goes out whenever it is
  // full and more is due, mid-title if need be.
  void Append(const char* data, size_t size, int64_t done) {
    while (size > 0 && !stopped) {
      if (p == end) HandOff(done);
      if (stopped) return;
      const size_t take = std::min(size, static_cast<size_t>(end - p));
      std::memcpy(p, data, take);
      p += take;
      data += take;
      size -= take;
    }
  }
  void Stop(WriteEnd why) {
    stopped = true;
    ending = why;
  }

  bool stopped = false;
  WriteEnd ending = WriteEnd::kWritten;

 private:
  ChunkWriter& chunks_;
  FrontEnd& frontEnd_;
  const int64_t total_;

 public:
  char* p;
  char* end;
};

// Through the stream, for titles that may not fit.
struct StreamOut {
  Stream* stream;
  int64_t done;
  void Append(const char* data, size_t size) { stream->Append(data, size, done); }
  void Put(char c) { stream->Append(&c, 1, done); }
  bool Stopped() const { return stream->stopped; }
};

// Up to 32768 entries a draw is one generator value, and the value alone
// decides the entry. Two tables by value: the entry's size (32 KiB, one
// byte each, small enough to stay in the first-level cache), which is all
// that decides whether a title goes on, and where its bytes begin in the
// library's text (its position instead, for the rare entry too long for a
// byte). The generator runs in two lanes, two steps apart, so that a value
// does not wait on the multiply just before it.
class DrawTables {
 public:
  static constexpr uint8_t kCore = 0xFF, kLong = 0xFE;  // sizes: draw again; look the entry up

  DrawTables(const TitleRecipe& recipe, const PositionDraw& draw)
      : sizes_(new uint8_t[CrtRandom::kMax + 1]), begins_(new uint32_t[CrtRandom::kMax + 1]) {
    for (uint32_t r = 0; r <= CrtRandom::kMax; ++r) {
      const size_t k = draw.Reduce(r);
      const std::string_view entry = recipe.words[k];
      sizes_[r] = k == recipe.coreIndex ? kCore : entry.size() < kLong ? static_cast<uint8_t>(entry.size()) : kLong;
      const size_t begin = static_cast<size_t>(entry.data() - recipe.words.text());
      begins_[r] = static_cast<uint32_t>(sizes_[r] == kLong ? k : begin);
    }
  }
  const uint8_t* sizes() const { return sizes_.get(); }
  const uint32_t* begins() const { return begins_.get(); }

 private:
  std::unique_ptr<uint8_t[]> sizes_;
  std::unique_ptr<uint32_t[]> begins_;
};

struct TableDraws {
  static constexpr CrtRandom::Leap kLeap = CrtRandom::LeapOf(2);

  const uint8_t* sizes;
  const uint32_t* begins;
  const char* text;
  const WordList* words;
  uint32_t next, after;  // the states of the next two values

  TableDraws(const DrawTables& tables, const WordList& w, CrtRandom random)
      : sizes(tables.sizes()), begins(tables.begins()), text(w.text()), words(&w) {
    random.Next();
    next = random.state();
    random.Next();
    after = random.state();
  }
  std::string_view Next() {
    const uint32_t r = Step(next, after);
    const uint8_t size = sizes[r];
    if (__builtin_expect(size < DrawTables::kLong, 1)) return {text + begins[r], size};
    const Rare rare = DrawRare(*this, r);  // by value, so that the lanes stay in registers
    next = rare.next;
    after = rare.after;
    return rare.entry;
  }
  bool Next(int64_t, std::string_view& entry) {
    entry = Next();
    return true;
  }
  static uint32_t Step(uint32_t& next, uint32_t& after) {
    const uint32_t state = next;
    next = after;
    after = state * kLeap.multiply + kLeap.add;
    return CrtRandom::ValueOf(state);
  }
  // A long entry, or the core's value and then the next draw's.
  struct Rare {
    std::string_view entry;
    uint32_t next, after;
  };
  [[gnu::noinline]] static Rare DrawRare(TableDraws d, uint32_t r) {
    for (;; r = Step(d.next, d.after)) {
      const uint8_t size = d.sizes[r];
      if (size < DrawTables::kLong) return {{d.text + d.begins[r], size}, d.next, d.after};
      if (size == DrawTables::kLong) return {(*d.words)[d.begins[r]], d.next, d.after};
    }
  }
  // The generator after the last value drawn.
  CrtRandom random() const { return CrtRandom::Before(next); }
};

// Entries and the core carry Bytes::kSlack readable bytes: a short one is
// copied as a fixed 16, the rest of them overwritten after.
constexpr size_t kFixedCopy = 16;
inline void CopyShort(char* p, const char* data, size_t size) {
  if (size <= kFixedCopy) {
    std::memcpy(p, data, kFixedCopy);
  } else {
    std::memcpy(p, data, size);
  }
}

// Titles first .. count-1 straight into the buffer while p stays at or
// below `last`, where one more title surely fits; returns the next title's
// number. This is ComposeTitle's rule written for the buffer (engine_test
// holds the two to the same bytes): the length is counted down as room
// left, the separator byte is stored whether there is one or not and
// stepped over only when there is, and all it reads is in locals.
template <class Draws>
int32_t WriteShortTitles(const TitleRecipe& recipe, Draws& drawsRef, TitleLabel& labelRef, int32_t i, int32_t count,
                         char*& pRef, const char* last) {
  Draws draws = drawsRef;
  TitleLabel label = labelRef;
  char* p = pRef;
  const char* const core = recipe.coreText.data();
  const size_t coreSize = recipe.coreTextSize;
  const char separator = recipe.separator;
  const size_t step = separator ? 1 : 0;
  const bool drawing = recipe.draws;
  // Room after the core and the first separator.
  const int64_t room = recipe.maxLength - recipe.coreLength - static_cast<int64_t>(step);
  for (; i < count && p <= last; ++i) {
    std::memcpy(p, label.data(), TitleLabel::kCopy);
    p += label.size();
    label.Increment();
    CopyShort(p, core, coreSize);
    p += coreSize;
    if (drawing) {
      int64_t left = room;
      for (;;) {
        *p = separator;
        p += step;
        const std::string_view entry = draws.Next();
        if (static_cast<int64_t>(entry.size()) >= left) break;
        CopyShort(p, entry.data(), entry.size());
        p += entry.size();
        left -= static_cast<int64_t>(entry.size() + step);
      }
    }
    p[0] = '\r';
    p[1] = '\n';
    p += 2;
  }
  drawsRef = draws;
  labelRef = label;
  pRef = p;
  return i;
}

// Bytes one title may take when written straight into the buffer: the
// label, the core, the rest up to the limit, the trailing separator, CR LF
// and the fixed-size copies' run past the end.
uint64_t TitleBound(const TitleRecipe& recipe) {
  const int64_t rest = std::max<int64_t>(0, recipe.maxLength - recipe.coreLength);
  return TitleLabel::kCopy + recipe.coreTextSize + static_cast<uint64_t>(rest) + 1 + 2 + 2 * kFixedCopy;
}

// Short titles are written whole while the buffer surely holds one more;
// longer ones are streamed through it.
bool ShortTitles(uint64_t bound) { return bound <= ChunkWriter::kChunk / 2; }

template <class Draws>
WriteEnd Write(const TitleRecipe& recipe, Draws& draws, int32_t count, ChunkWriter& chunks, FrontEnd& frontEnd) {
  const int64_t total = count > 0 ? count : 0;
  Stream stream(chunks, frontEnd, total);
  stream.Append(kTitleFileHeader, sizeof kTitleFileHeader - 1, 0);
  TitleLabel label;
  const uint64_t bound = TitleBound(recipe);
  int32_t i = 0;
  if (ShortTitles(bound)) {
    while (i < count && !stream.stopped) {
      if (static_cast<uint64_t>(stream.end - stream.p) < bound) {
        stream.HandOff(i);
        continue;
      }
      i = WriteShortTitles(recipe, draws, label, i, count, stream.p, stream.end - bound);
    }
  } else {
    for (; i < count && !stream.stopped; ++i) {
      stream.Append(label.data(), label.size(), i);
      label.Increment();
      StreamOut out{&stream, i};
      ComposeTitle(recipe, draws, out);
      stream.Append("\r\n", 2, i);
    }
  }
  if (!stream.stopped) stream.HandOff(total);
  return stream.ending;
}

// Bytes into memory known to have room for the whole title and the
// fixed-size copies' run past it.
struct PlainOut {
  char* p;
  size_t pieces;  // the core, then one for each entry
  void Append(const char* data, size_t size) {
    CopyShort(p, data, size);
    p += size;
    ++pieces;
  }
  void Put(char c) { *p++ = c; }
  static bool Stopped() { return false; }
};

// A title that may not fit the buffer, into a string that grows with it.
struct GrowingOut {
  std::string* text;
  size_t pieces;
  void Append(const char* data, size_t size) {
    text->append(data, size);
    ++pieces;
  }
  void Put(char c) { *text += c; }
  static bool Stopped() { return false; }
};

// With a rule or a report: each title is made whole where it is written
// (straight into the buffer, or into a string of its own when it might not
// fit one), looked at, and then kept, or made again when --unique has seen
// it. Short titles go in batches: a batch's fingerprints are all looked up
// after it is made, so that the table's memory is fetched for all of them
// at once. A title seen before takes every title after it in its batch
// along; the draws then go on from where that title's ended, exactly as if
// each title had been looked up as soon as it was made.
WriteEnd WriteChecked(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkWriter& chunks,
                      FrontEnd& frontEnd, TitleChecks& checks) {
  const TitleRules& rules = checks.rules;
  const int64_t total = count > 0 ? count : 0;
  std::unique_ptr<EntryIds> ids;
  if (rules.noRepeat || checks.report) ids = std::make_unique<EntryIds>(recipe.words);
  RuleDraws draws(recipe, rules, checks.banned, ids.get(), random, checks.report != nullptr);
  std::unique_ptr<FingerprintSet> seen;
  if (rules.unique) seen = std::make_unique<FingerprintSet>(static_cast<uint64_t>(total));
  std::unique_ptr<BatchTally> tally;
  if (checks.report) tally = std::make_unique<BatchTally>(recipe, *ids, checks.banned, total, !rules.unique, *checks.report);

  Stream stream(chunks, frontEnd, total);
  stream.Append(kTitleFileHeader, sizeof kTitleFileHeader - 1, 0);
  const uint64_t bound = TitleBound(recipe);
  const bool inBuffer = ShortTitles(bound);
  constexpr int32_t kBatch = 16;
  struct Made {
    TitleLabel label;  // its number
    char* line;        // where its line begins
    std::string_view title;
    size_t entries;
    uint64_t fingerprint;
    CrtRandom after;  // the draws once it was made
    std::vector<size_t> drawn;
  };
  std::vector<Made> batch(inBuffer ? kBatch : 1);
  std::string own;  // a title that may not fit the buffer
  TitleLabel label;
  int tries = 0;    // made again for the title now due
  int64_t retries = 0;
  for (int32_t i = 0; i < count && !stream.stopped;) {
    int32_t made = 0;
    if (inBuffer) {
      if (static_cast<uint64_t>(stream.end - stream.p) < bound) {
        stream.HandOff(i);
        continue;
      }
      const int32_t room = static_cast<int32_t>(std::min<uint64_t>(static_cast<uint64_t>(stream.end - stream.p) / bound, kBatch));
      for (char* p = stream.p; made < std::min(room, count - i); ++made) {
        Made& m = batch[made];
        m.label = label;
        m.line = p;
        std::memcpy(p, label.data(), label.size());
        PlainOut out{p + label.size(), 0};
        draws.Begin();
        RuleDraws::Ref ref{&draws};
        ComposeTitle(recipe, ref, out);
        m.title = std::string_view(p + label.size(), static_cast<size_t>(out.p - (p + label.size())));
        m.entries = out.pieces - 1;
        m.after = draws.random();
        if (tally) m.drawn = draws.drawn();
        if (seen) seen->Prefetch(m.fingerprint = HashText(m.title.data(), m.title.size()));
        out.p[0] = '\r';
        out.p[1] = '\n';
        p = out.p + 2;
        label.Increment();
      }
    } else {
      own.clear();
      Made& m = batch[0];
      m.label = label;
      GrowingOut out{&own, 0};
      draws.Begin();
      RuleDraws::Ref ref{&draws};
      ComposeTitle(recipe, ref, out);
      m.title = own;
      m.entries = out.pieces - 1;
      m.after = draws.random();
      if (tally) m.drawn = draws.drawn();
      if (seen) m.fingerprint = HashText(m.title.data(), m.title.size());
      label.Increment();
      made = 1;
    }
    for (int32_t b = 0; b < made; ++b, ++i) {
      Made& m = batch[b];
      if (seen && !seen->Insert(m.fingerprint)) {
        if (++tries == TitleChecks::kTitleTries) {
          checks.made = i;
          return WriteEnd::kExhausted;
        }
        // This title and the rest of the batch go; the next is made from where it ended.
        label = m.label;
        if (inBuffer) stream.p = m.line;
        draws.Restart(m.after);
        // Titles made again write nothing: the front end still hears of the run now and then.
        if (++retries % 1024 == 0 && !frontEnd.KeepWriting(i, total)) stream.Stop(WriteEnd::kCancelled);
        break;
      }
      tries = 0;
      if (tally) tally->Add(i, m.title, m.drawn.data(), m.entries);
      if (inBuffer) {
        stream.p = const_cast<char*>(m.title.data() + m.title.size()) + 2;
      } else {
        stream.Append(m.label.data(), m.label.size(), i);
        stream.Append(m.title.data(), m.title.size(), i);
        stream.Append("\r\n", 2, i);
      }
    }
  }
  if (!stream.stopped) stream.HandOff(total);
  if (tally) tally->Finish();
  random = draws.random();
  return stream.ending;
}

}  // namespace

WriteEnd WriteTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ReplaceFile& file,
                     FrontEnd& frontEnd, Status& failure, TitleChecks* checks) {
  // A file known to be small gets a buffer of its size.
  const uint64_t bound = TitleBound(recipe), titles = count > 0 ? static_cast<uint64_t>(count) : 0;
  const uint64_t most = sizeof kTitleFileHeader + titles * bound;
  ChunkWriter chunks(file, ShortTitles(bound) && most < ChunkWriter::kChunk ? static_cast<size_t>(most) : ChunkWriter::kChunk);
  const PositionDraw draw(recipe.words.size());
  WriteEnd ending;
  if (checks && (checks->rules.any() || checks->report)) {
    ending = WriteChecked(recipe, random, count, chunks, frontEnd, *checks);
  } else if (!draw.wide() && recipe.words.ends32() && count >= 4096) {
    // The tables' set-up (32768 values) pays from a few thousand titles on.
    const DrawTables tables(recipe, draw);
    TableDraws draws(tables, recipe.words, random);
    ending = Write(recipe, draws, count, chunks, frontEnd);
    random = draws.random();
  } else {
    DirectDraws draws{&recipe.words, draw, recipe.coreIndex, random};
    ending = Write(recipe, draws, count, chunks, frontEnd);
    random = draws.random;
  }
  const Status written = chunks.Finish();
  if (ending == WriteEnd::kWritten && !written.ok()) ending = WriteEnd::kFailed;
  failure = written;
  return ending;
}

}  // namespace wordloom
