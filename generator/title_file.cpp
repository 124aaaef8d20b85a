#include "title_file.h"

#include <cstring>
#include <memory>

#include "file_access.h"

namespace wordloom {
namespace {

constexpr size_t kBufferSize = size_t{1} << 20;

// Collects output in a fixed buffer and hands it to the file when full, so
// memory stays the same for any count or title length.
class OutputBuffer {
 public:
  OutputBuffer(OutputFile& file, const WriteRequest& request, const int64_t& done)
      : file_(file), request_(request), done_(done), data_(new char[kBufferSize]) {}

  void Append(const char* p, size_t n) {
    if (n <= kBufferSize - used_) {
      std::memcpy(data_.get() + used_, p, n);
      used_ += n;
      return;
    }
    AppendSlow(p, n);
  }

  // Empties the buffer into the file; false once writing failed or was cancelled.
  bool Flush() {
    if (stopped_) return false;
    if (used_ > 0 && !file_.Write(data_.get(), used_, reason_)) {
      stopped_ = true;
      failed_ = true;
    }
    used_ = 0;
    if (!stopped_ && request_.keepGoing && !request_.keepGoing(done_)) stopped_ = true;
    return !stopped_;
  }

  bool stopped() const { return stopped_; }
  bool failed() const { return failed_; }
  const std::string& reason() const { return reason_; }

 private:
  void AppendSlow(const char* p, size_t n) {
    while (n > 0 && !stopped_) {
      size_t room = kBufferSize - used_;
      size_t take = n < room ? n : room;
      std::memcpy(data_.get() + used_, p, take);
      used_ += take;
      p += take;
      n -= take;
      if (used_ == kBufferSize) Flush();
    }
  }

  OutputFile& file_;
  const WriteRequest& request_;
  const int64_t& done_;
  std::unique_ptr<char[]> data_;
  size_t used_ = 0;
  bool stopped_ = false;
  bool failed_ = false;
  std::string reason_;
};

size_t FormatLabel(char* out, int64_t i) {
  std::memcpy(out, kTitleLabel, 4);
  char digits[24];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + i % 10);
    i /= 10;
  } while (i > 0);
  size_t len = 4;
  while (n > 0) out[len++] = digits[--n];
  out[len++] = ':';
  return len;
}

}  // namespace

WriteResult WriteTitleFile(const WriteRequest& request, const TitleRecipe& recipe) {
  OutputFile file;
  std::string reason;
  const bool opened = request.target == "-" ? file.OpenStandardOutput(reason) : file.Open(request.target, reason);
  if (!opened) return {WriteResult::kFailed, reason};

  int64_t done = 0;
  PositionDraw draw(recipe.words.size());
  OutputBuffer out(file, request, done);
  out.Append(kTitleFileHeader, sizeof kTitleFileHeader - 1);
  out.Append("\r\n", 2);
  char label[32];
  for (int32_t i = 0; i < request.titleCount && !out.stopped(); ++i) {
    out.Append(label, FormatLabel(label, i));
    BuildTitle(out, recipe, draw);
    done = int64_t{i} + 1;
  }
  out.Flush();
  if (out.failed()) return {WriteResult::kFailed, out.reason()};
  if (out.stopped()) return {WriteResult::kCancelled, {}};
  if (!file.Commit(reason)) return {WriteResult::kFailed, reason};
  return {};
}

}  // namespace wordloom
