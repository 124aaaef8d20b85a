#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>

#include "replace_file.h"

namespace wordloom {

// Told now and then how far a long write has come, in the items (titles)
// done and asked for; false cancels it.
using Progress = std::function<bool(int64_t done, int64_t total)>;

// One buffer, written out through the file whenever the writer hands it
// on: memory stays the same however much is written. Before each write,
// progress is asked whether to go on. (Writing on a thread of its own while
// the next buffer filled was measured on two cores at 5 to 6% faster, not
// enough to pay for a second buffer and a thread.)
class ChunkedOutput {
 public:
  static constexpr size_t kChunk = size_t{1} << 20;
  enum End { kWritten, kCancelled, kFailed };

  // A buffer of `capacity` bytes, kChunk at most: a small file needs no more.
  ChunkedOutput(ReplaceFile& file, size_t capacity, Progress progress, int64_t total)
      : file_(file),
        capacity_(capacity < kChunk ? capacity : kChunk),
        buffer_(new char[capacity_]),
        progress_(std::move(progress)),
        total_(total),
        at_(buffer_.get()) {}

  // Where the next bytes go, and how many fit before the buffer is full.
  char* at() const { return at_; }
  size_t room() const { return static_cast<size_t>(buffer_.get() + capacity_ - at_); }
  // The writer has filled the buffer up to `p`.
  void MoveTo(char* p) { at_ = p; }

  // Asks whether to go on, then writes the buffer out; it is empty again after.
  void HandOff(int64_t done) {
    if (!Ask(done)) return;
    const Status written = file_.Write(buffer_.get(), static_cast<size_t>(at_ - buffer_.get()));
    if (!written.ok()) {
      Stop(kFailed);
      status_ = written;
    }
    at_ = buffer_.get();
  }
  // Bytes that may not fit: the buffer goes out whenever it is full and
  // more is due, in the middle of them if need be.
  void Append(const char* data, size_t size, int64_t done) {
    while (size > 0 && !stopped()) {
      if (room() == 0) HandOff(done);
      if (stopped()) return;
      const size_t take = size < room() ? size : room();
      std::memcpy(at_, data, take);
      at_ += take;
      data += take;
      size -= take;
    }
  }
  // Only asks whether to go on, for work that writes nothing for a while.
  bool Ask(int64_t done) {
    if (!stopped() && progress_ && !progress_(done, total_)) Stop(kCancelled);
    return !stopped();
  }

  // A writer's own failure (a scratch file's, say) stops the write too.
  void Fail(const Status& why) {
    if (stopped()) return;
    Stop(kFailed);
    status_ = why;
  }

  bool stopped() const { return end_ != kWritten; }
  End end() const { return end_; }
  // Why a write failed.
  const Status& status() const { return status_; }

 private:
  void Stop(End why) { end_ = why; }

  ReplaceFile& file_;
  const size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  Progress progress_;
  const int64_t total_;
  char* at_;
  End end_ = kWritten;
  Status status_;
};

}  // namespace wordloom
