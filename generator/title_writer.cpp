#include "title_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "chunk_writer.h"
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
  void HandOff(int64_t done, bool last = false) {
    if (!frontEnd_.KeepWriting(done, total_)) {
      Stop(WriteEnd::kCancelled);
    } else if (!chunks_.Submit(static_cast<size_t>(p - chunks_.buffer()), last)) {
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

// Straight into the buffer: the caller made sure the whole title fits,
// with room for copies of a fixed size running past its end.
struct RawOut {
  static constexpr size_t kFixedCopy = 16;
  char* p;
  void Append(const char* data, size_t size) {
    if (size <= kFixedCopy) {
      std::memcpy(p, data, kFixedCopy);  // entries and the core carry Bytes::kSlack readable bytes
    } else {
      std::memcpy(p, data, size);
    }
    p += size;
  }
  void Put(char c) { *p++ = c; }
  static constexpr bool Stopped() { return false; }
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
// decides the entry: a table from each value to its position.
struct TableDraws {
  const uint16_t* table;
  const WordList* words;
  CrtRandom random;

  size_t Next() { return table[random.Next()]; }
  std::string_view At(size_t k) const { return (*words)[k]; }
};

std::unique_ptr<uint16_t[]> MakeDrawTable(const PositionDraw& draw) {
  std::unique_ptr<uint16_t[]> table(new uint16_t[CrtRandom::kMax + 1]);
  for (uint32_t r = 0; r <= CrtRandom::kMax; ++r) table[r] = static_cast<uint16_t>(draw.Reduce(r));
  return table;
}

// Bytes one title may take when written straight into the buffer: the
// label, the core, the rest up to the limit, the trailing separator, CR LF
// and the fixed-size copies' run past the end.
uint64_t TitleBound(const TitleRecipe& recipe) {
  const int64_t rest = std::max<int64_t>(0, recipe.maxLength - recipe.coreLength);
  return TitleLabel::kCopy + recipe.coreTextSize + static_cast<uint64_t>(rest) + 1 + 2 + 2 * RawOut::kFixedCopy;
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
      Draws d = draws;
      TitleLabel l = label;
      char* p = stream.p;
      const char* const last = stream.end - bound;
      for (; i < count && p <= last; ++i) {
        std::memcpy(p, l.data(), TitleLabel::kCopy);
        p += l.size();
        l.Increment();
        RawOut out{p};
        ComposeTitle(recipe, d, out);
        p = out.p;
        p[0] = '\r';
        p[1] = '\n';
        p += 2;
      }
      stream.p = p;
      label = l;
      draws = d;
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
  if (!stream.stopped) stream.HandOff(total, true);
  return stream.ending;
}

}  // namespace

WriteEnd WriteTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ReplaceFile& file,
                     FrontEnd& frontEnd, Status& failure) {
  // A file known to be small gets buffers of its size.
  const uint64_t bound = TitleBound(recipe), titles = count > 0 ? static_cast<uint64_t>(count) : 0;
  const uint64_t most = sizeof kTitleFileHeader + titles * bound;
  ChunkWriter chunks(file, ShortTitles(bound) && most < ChunkWriter::kChunk ? static_cast<size_t>(most) : ChunkWriter::kChunk);
  const PositionDraw draw(recipe.words.size());
  WriteEnd ending;
  // The table's set-up (32768 remainders) pays from a few thousand titles on.
  if (!draw.wide() && count >= 4096) {
    const std::unique_ptr<uint16_t[]> table = MakeDrawTable(draw);
    TableDraws draws{table.get(), &recipe.words, random};
    ending = Write(recipe, draws, count, chunks, frontEnd);
    random = draws.random;
  } else {
    DirectDraws draws{&recipe.words, draw, random};
    ending = Write(recipe, draws, count, chunks, frontEnd);
    random = draws.random;
  }
  const Status written = chunks.Finish();
  if (ending == WriteEnd::kWritten && !written.ok()) ending = WriteEnd::kFailed;
  failure = written;
  return ending;
}

}  // namespace wordloom
