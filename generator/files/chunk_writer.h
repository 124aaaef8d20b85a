#pragma once
#include <cstddef>
#include <memory>

#include "replace_file.h"

namespace wordloom {

// One buffer of titles, written out whenever it is full: memory stays the same
// however much is written. (Writing on a thread of its own while the next
// buffer filled was measured on two cores at 5 to 6% faster, not enough to
// pay for a second buffer and a thread.)
class ChunkWriter {
 public:
  static constexpr size_t kChunk = size_t{1} << 20;

  // A buffer of `capacity` bytes, kChunk at most: a small file needs no more.
  ChunkWriter(ReplaceFile& file, size_t capacity)
      : file_(file), capacity_(capacity < kChunk ? capacity : kChunk), buffer_(new char[capacity_]) {}

  // The buffer to fill, capacity() bytes.
  char* buffer() const { return buffer_.get(); }
  size_t capacity() const { return capacity_; }
  // Writes the buffer's first `size` bytes; the buffer is free again after.
  // False once a write has failed.
  bool Submit(size_t size) {
    if (status_.ok()) status_ = file_.Write(buffer_.get(), size);
    return status_.ok();
  }
  // The first failure, if any.
  Status Finish() const { return status_; }

 private:
  ReplaceFile& file_;
  const size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  Status status_;
};

}  // namespace wordloom
