#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chunked_output.h"
#include "crt_random.h"
#include "title_label.h"
#include "title_lines.h"
#include "title_outs.h"
#include "title_recipe.h"
#include "title_rule.h"
#include "title_sinks.h"
#include "wordloom/formats.h"

// The writer of a run's titles 0 .. count-1 (none for a negative count), in
// each format: the title file's header and its lines "标题<i>:" and a title,
// each ending in CR LF; or a list, a csv, a workbook.
namespace wordloom {

enum class WriteEnd { kWritten, kCancelled, kFailed, kGaveUp };

// What a review says of a title just made.
enum class Verdict { kKeep, kAgain, kGiveUp };

// A review that keeps every title as it is made: the plain title file.
//
// A review of its own (the listing's rules and reports) says instead
// kReviews = true, and has:
//   kBatch                     titles made before they are judged, at most;
//   Note(slot, title, composed, draws)  a title of the batch, as made;
//   Judge(slot, number)        its verdict, in turn: kAgain makes it again,
//                              from where its draws ended, with the rest of
//                              the batch; kGiveUp ends the run.
// The draws then also have random() and Restart(random).
struct KeepEvery {
  static constexpr bool kReviews = false;
};

// Lines up to half a buffer are written whole while the buffer surely holds
// one more; longer ones are streamed through it.
inline bool LinesFitTheBuffer(uint64_t bound) { return bound <= ChunkedOutput::kChunk / 2; }

// The buffer a run needs: a file known to be small gets one of its size.
inline size_t OutputCapacity(const TitleRecipe& recipe, int32_t count, const OutputFormat& format) {
  // The title file's lines bound the others' but the csv's.
  const uint64_t bound = format.kind == OutputFormat::kCsv ? CsvLines(recipe).Bound() : TxtLines(recipe).Bound();
  const uint64_t titles = count > 0 ? static_cast<uint64_t>(count) : 0;
  const uint64_t most = sizeof kCsvHeader + 3 + titles * bound;
  return LinesFitTheBuffer(bound) && most < ChunkedOutput::kChunk ? static_cast<size_t>(most) : ChunkedOutput::kChunk;
}

namespace title_writer {

// Titles made again write nothing: the front end still hears of the run
// after this many.
constexpr int64_t kAgainBetweenAsks = 1024;

inline WriteEnd Ended(const ChunkedOutput& out) {
  switch (out.end()) {
    case ChunkedOutput::kCancelled: return WriteEnd::kCancelled;
    case ChunkedOutput::kFailed: return WriteEnd::kFailed;
    case ChunkedOutput::kWritten: break;
  }
  return WriteEnd::kWritten;
}

// One line into memory known to hold it, laid out by `lines`. `text()` is
// the title as composed; the title file's lines hold it so once complete.
struct Line {
  char* title;
  char* titleEnd;
  char* end;
  ComposedTitle composed;
  std::string_view text() const { return {title, static_cast<size_t>(titleEnd - title)}; }
};
template <class Draws, class Lines>
inline Line PutLine(const TitleRecipe& recipe, Draws& draws, const Lines& lines, const TitleLabel& label, char* p) {
  Line line{lines.TitleAt(p, label), nullptr, nullptr, {}};
  draws.Begin();
  BufferOut out{line.title};
  line.composed = ComposeTitle(recipe, draws, out);
  line.titleEnd = out.p;
  line.end = lines.End(p, line.title, out.p, label);
  return line;
}

// Title file lines longer than half a buffer, one at a time: streamed
// through it, or, under a review, made whole in a string first.
template <class Draws, class Review>
WriteEnd WriteLongLines(const TitleRecipe& recipe, Draws& draws, Review& review, int32_t count, ChunkedOutput& out) {
  TitleLabel label;
  std::string title;
  int64_t again = 0;
  for (int32_t i = 0; i < count && !out.stopped();) {
    if constexpr (!Review::kReviews) {
      out.Append(label.data(), label.size(), i);
      StreamOut stream{&out, i};
      draws.Begin();
      ComposeTitle(recipe, draws, stream);
    } else {
      title.clear();
      StringOut string{&title};
      draws.Begin();
      review.Note(0, title, ComposeTitle(recipe, draws, string), draws);
      // One title at a time: a title made again goes on from where its draws ended.
      const Verdict verdict = review.Judge(0, i);
      if (verdict == Verdict::kGiveUp) return WriteEnd::kGaveUp;
      if (verdict == Verdict::kAgain) {
        if (++again % kAgainBetweenAsks == 0) out.Ask(i);
        continue;
      }
      out.Append(label.data(), label.size(), i);
      out.Append(title.data(), title.size(), i);
    }
    out.Append("\r\n", 2, i);
    label.Increment();
    ++i;
  }
  if (!out.stopped()) out.HandOff(count > 0 ? count : 0);
  return Ended(out);
}

// The other formats one title at a time, each composed whole in a string,
// looked at by the review, then given to `sink` (Put, and Finish once all
// are in); a preview's titles the same way, into memory.
template <class Draws, class Review, class Sink>
WriteEnd WriteByTitle(const TitleRecipe& recipe, Draws& draws, Review& review, int32_t count, ChunkedOutput& out,
                      Sink& sink) {
  TitleLabel label;
  std::string title;
  [[maybe_unused]] int64_t again = 0;
  for (int32_t i = 0; i < count && !out.stopped();) {
    title.clear();
    StringOut string{&title};
    draws.Begin();
    const ComposedTitle composed = ComposeTitle(recipe, draws, string);
    if constexpr (Review::kReviews) {
      review.Note(0, title, composed, draws);
      const Verdict verdict = review.Judge(0, i);
      if (verdict == Verdict::kGiveUp) return WriteEnd::kGaveUp;
      if (verdict == Verdict::kAgain) {
        if (++again % kAgainBetweenAsks == 0) out.Ask(i);
        continue;
      }
    }
    sink.Put(i, label, title, composed);
    label.Increment();
    ++i;
  }
  if (!out.stopped()) sink.Finish(count > 0 ? count : 0);
  return Ended(out);
}

// The lines of a text format straight into the buffer, as `lines` lays
// them out: while the buffer surely holds one more, as many as it does (a
// review's batch at most).
template <class Draws, class Review, class Lines>
[[gnu::noinline]] WriteEnd WriteLines(const TitleRecipe& recipe, Draws& draws, Review& review, int32_t count, ChunkedOutput& out,
                    const Lines& lines) {
  const std::string_view header = lines.Header();
  out.Append(header.data(), header.size(), 0);
  const uint64_t bound = lines.Bound();
  if (!LinesFitTheBuffer(bound)) return WriteLongLines(recipe, draws, review, count, out);
  TitleLabel label;
  [[maybe_unused]] int64_t again = 0;
  for (int32_t i = 0; i < count && !out.stopped();) {
    if (out.room() < bound) {
      out.HandOff(i);
      continue;
    }
    // As many lines as surely fit, a batch at most under a review.
    int64_t due = std::min<int64_t>(static_cast<int64_t>(out.room() / bound), count - i);
    char* p = out.at();
    if constexpr (!Review::kReviews) {
      // The draws and the label in locals, which stores into the buffer
      // cannot make the compiler fetch again.
      Draws local = draws;
      TitleLabel number = label;
      for (int64_t n = 0; n < due; ++n) {
        p = PutLine(recipe, local, lines, number, p).end;
        number.Increment();
      }
      draws = local;
      label = number;
      out.MoveTo(p);
      i += static_cast<int32_t>(due);
    } else {
      due = std::min<int64_t>(due, Review::kBatch);
      // Where the writer goes back to when a title is made again.
      struct Rewind {
        TitleLabel label;
        char* line;
        CrtRandom after;  // the draws once the title was made
      } batch[Review::kBatch];
      for (int n = 0; n < due; ++n) {
        const Line line = PutLine(recipe, draws, lines, label, p);
        batch[n] = {label, p, draws.random()};
        review.Note(n, line.text(), line.composed, draws);
        p = line.end;
        label.Increment();
      }
      for (int n = 0; n < due; ++n, ++i) {
        const Verdict verdict = review.Judge(n, i);
        if (verdict == Verdict::kGiveUp) return WriteEnd::kGaveUp;
        if (verdict == Verdict::kAgain) {
          // This title and the rest of the batch go; the next is made from where it ended.
          label = batch[n].label;
          p = batch[n].line;
          draws.Restart(batch[n].after);
          if (++again % kAgainBetweenAsks == 0) out.Ask(i);
          break;
        }
      }
      out.MoveTo(p);
    }
  }
  if (!out.stopped()) out.HandOff(count > 0 ? count : 0);
  return Ended(out);
}

}  // namespace title_writer

// Writes the titles in `format` through `out` (or, with `collect`, only
// into it), each from `draws` and judged by `review`. `draws` goes on from the last value drawn for a
// title kept; the output tells why a write failed. The text formats' lines
// go straight into the buffer; a review's csv or list, a UTF-8 csv and a
// workbook take each title whole from a string.
template <class Draws, class Review>
WriteEnd WriteTitles(const TitleRecipe& recipe, Draws& draws, Review& review, int32_t count, ChunkedOutput& out,
                     const OutputFormat& format = {}, std::vector<CollectedTitle>* collect = nullptr) {
  using namespace title_writer;
  if (collect) {
    CollectSink sink(*collect);
    return WriteByTitle(recipe, draws, review, count, out, sink);
  }
  switch (format.kind) {
    case OutputFormat::kList: {
      const ListLines lines(recipe);
      if (!Review::kReviews && LinesFitTheBuffer(lines.Bound())) return WriteLines(recipe, draws, review, count, out, lines);
      ListSink sink(recipe.separator, out);
      return WriteByTitle(recipe, draws, review, count, out, sink);
    }
    case OutputFormat::kCsv: {
      const CsvLines lines(recipe);
      if (!Review::kReviews && !format.csvUtf8 && LinesFitTheBuffer(lines.Bound()))
        return WriteLines(recipe, draws, review, count, out, lines);
      CsvSink sink(recipe.separator, format.csvUtf8, out);
      return WriteByTitle(recipe, draws, review, count, out, sink);
    }
    case OutputFormat::kXlsx: {
      XlsxSink sink(recipe, out);
      return WriteByTitle(recipe, draws, review, count, out, sink);
    }
    case OutputFormat::kTxt: break;
  }
  return WriteLines(recipe, draws, review, count, out, TxtLines(recipe));
}

// The plain titles, every one kept as the rule makes it, through the draw
// tables where they serve.
WriteEnd WritePlainTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkedOutput& out,
                          const OutputFormat& format = {}, std::vector<CollectedTitle>* collect = nullptr);

}  // namespace wordloom
