#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chunked_output.h"
#include "crt_random.h"
#include "title_label.h"
#include "title_outs.h"
#include "title_recipe.h"
#include "title_rule.h"

// The title file's writer: the header, then titles 0 .. count-1 (none for a
// negative count), each "标题<i>:" and a title, every line ending in CR LF.
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

// Bytes one title's line may take when written straight into the buffer:
// the label's fixed copy, the CRs an LF of the core brings, the title at
// its longest, CR LF and the last fixed-size copy's run past the end.
inline uint64_t TitleBound(const TitleRecipe& recipe) {
  return TitleLabel::kCopy + (recipe.coreTextSize - static_cast<size_t>(recipe.coreLength)) +
         static_cast<uint64_t>(LongestTitle(recipe)) + 2 + kFixedCopy;
}

// Lines up to half a buffer are written whole while the buffer surely holds
// one more; longer ones are streamed through it.
inline bool LinesFitTheBuffer(uint64_t bound) { return bound <= ChunkedOutput::kChunk / 2; }

// The buffer a run needs: a file known to be small gets one of its size.
inline size_t OutputCapacity(const TitleRecipe& recipe, int32_t count) {
  const uint64_t bound = TitleBound(recipe), titles = count > 0 ? static_cast<uint64_t>(count) : 0;
  const uint64_t most = sizeof kTitleFileHeader + titles * bound;
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

// One line into memory known to hold it: the label, the title, CR LF.
struct Line {
  char* title;
  char* end;
  ComposedTitle composed;
  std::string_view text() const { return {title, static_cast<size_t>(end - 2 - title)}; }
};
template <class Draws>
inline Line PutLine(const TitleRecipe& recipe, Draws& draws, const TitleLabel& label, char* p) {
  Line line{p + label.size(), nullptr, {}};
  std::memcpy(p, label.data(), TitleLabel::kCopy);
  draws.Begin();
  BufferOut out{line.title};
  line.composed = ComposeTitle(recipe, draws, out);
  out.p[0] = '\r';
  out.p[1] = '\n';
  line.end = out.p + 2;
  return line;
}

// Lines longer than half a buffer, one at a time: streamed through it, or,
// under a review, made whole in a string first.
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

}  // namespace title_writer

// Writes the title file through `out`, its titles from `draws`, each
// judged by `review`. `draws` goes on from the last value drawn for a
// title kept; the output tells why a write failed.
template <class Draws, class Review>
WriteEnd WriteTitles(const TitleRecipe& recipe, Draws& draws, Review& review, int32_t count, ChunkedOutput& out) {
  using namespace title_writer;
  out.Append(kTitleFileHeader, sizeof kTitleFileHeader - 1, 0);
  const uint64_t bound = TitleBound(recipe);
  if (!LinesFitTheBuffer(bound)) return WriteLongLines(recipe, draws, review, count, out);
  TitleLabel label;
  [[maybe_unused]] int64_t again = 0;
  for (int32_t i = 0; i < count && !out.stopped();) {
    if (out.room() < bound) {
      out.HandOff(i);
      continue;
    }
    // As many lines as surely fit, a batch at most under a review.
    int64_t lines = std::min<int64_t>(static_cast<int64_t>(out.room() / bound), count - i);
    char* p = out.at();
    if constexpr (!Review::kReviews) {
      // The draws and the label in locals, which stores into the buffer
      // cannot make the compiler fetch again.
      Draws local = draws;
      TitleLabel number = label;
      for (int64_t n = 0; n < lines; ++n) {
        p = PutLine(recipe, local, number, p).end;
        number.Increment();
      }
      draws = local;
      label = number;
      out.MoveTo(p);
      i += static_cast<int32_t>(lines);
    } else {
      lines = std::min<int64_t>(lines, Review::kBatch);
      // Where the writer goes back to when a title is made again.
      struct Rewind {
        TitleLabel label;
        char* line;
        CrtRandom after;  // the draws once the title was made
      } batch[Review::kBatch];
      for (int n = 0; n < lines; ++n) {
        const Line line = PutLine(recipe, draws, label, p);
        batch[n] = {label, p, draws.random()};
        review.Note(n, line.text(), line.composed, draws);
        p = line.end;
        label.Increment();
      }
      for (int n = 0; n < lines; ++n, ++i) {
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

// The plain title file: every title kept as the rule makes it, through the
// draw tables where they serve.
WriteEnd WritePlainTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ChunkedOutput& out);

}  // namespace wordloom
