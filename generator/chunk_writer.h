#pragma once
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "replace_file.h"

namespace wordloom {

// Writes filled buffers to a file, in order: at once, or, built with
// WORDLOOM_WRITER_THREAD, on a thread of its own while the next buffer fills
// (at once again where no thread can be started). Two buffers in all: memory
// stays the same however much is written.
class ChunkWriter {
 public:
  static constexpr size_t kChunk = size_t{1} << 20;

  // Buffers of `capacity` bytes, kChunk at most: a small file needs no more.
  ChunkWriter(ReplaceFile& file, size_t capacity);
  ChunkWriter(const ChunkWriter&) = delete;
  ChunkWriter& operator=(const ChunkWriter&) = delete;
  ~ChunkWriter();

  // The buffer to fill, capacity() bytes.
  char* buffer() const { return buffers_[current_].get(); }
  size_t capacity() const { return capacity_; }
  // Queues the buffer's first `size` bytes and makes the other buffer the
  // one to fill once its own write is done. False once a write has failed.
  // A file that fits one buffer is written at once: no thread for that.
  bool Submit(size_t size, bool last);
  // Waits for every queued write; the first failure, if any.
  Status Finish();

 private:
  void WriteOnThread();
  // Waits until no write is under way; rethrows what the thread caught.
  void AwaitIdle(std::unique_lock<std::mutex>& lock);

  ReplaceFile& file_;
  const size_t capacity_;
  std::unique_ptr<char[]> buffers_[2];
  int current_ = 0;

  std::thread thread_;
  bool inline_ = false;  // no thread could be started
  std::mutex mutex_;
  std::condition_variable wake_, idle_;
  const char* job_ = nullptr;  // the buffer being written, null when idle
  size_t jobSize_ = 0;
  bool quit_ = false;
  Status status_;              // the first failure
  std::exception_ptr thrown_;  // what the write threw (out of memory)
};

}  // namespace wordloom
