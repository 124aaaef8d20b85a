#include "chunk_writer.h"

#include <system_error>
#include <utility>

#ifndef WORDLOOM_WRITER_THREAD
#define WORDLOOM_WRITER_THREAD 1
#endif

namespace wordloom {

ChunkWriter::ChunkWriter(ReplaceFile& file, size_t capacity)
    : file_(file), capacity_(capacity < kChunk ? capacity : kChunk) {
  buffers_[0].reset(new char[capacity_]);
}

ChunkWriter::~ChunkWriter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

bool ChunkWriter::Submit(size_t size, bool last) {
  const char* data = buffers_[current_].get();
  if (last && !thread_.joinable()) inline_ = true;
  if (!thread_.joinable() && !inline_) {
    try {
      if (!WORDLOOM_WRITER_THREAD) throw std::system_error(std::make_error_code(std::errc::operation_not_supported));
      thread_ = std::thread([this] { WriteOnThread(); });
    } catch (const std::system_error&) {
      inline_ = true;
    }
  }
  if (inline_) {
    if (status_.ok()) status_ = file_.Write(data, size);
  } else {
    std::unique_lock<std::mutex> lock(mutex_);
    AwaitIdle(lock);
    if (!status_.ok()) return false;
    job_ = data;
    jobSize_ = size;
    lock.unlock();
    wake_.notify_all();
  }
  if (!status_.ok()) return false;
  if (last) return true;
  current_ ^= 1;
  if (!buffers_[current_]) buffers_[current_].reset(new char[capacity_]);
  return true;
}

Status ChunkWriter::Finish() {
  if (!inline_ && thread_.joinable()) {
    std::unique_lock<std::mutex> lock(mutex_);
    AwaitIdle(lock);
  }
  return status_;
}

void ChunkWriter::AwaitIdle(std::unique_lock<std::mutex>& lock) {
  idle_.wait(lock, [this] { return job_ == nullptr; });
  if (thrown_) std::rethrow_exception(std::exchange(thrown_, nullptr));
}

void ChunkWriter::WriteOnThread() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return job_ != nullptr || quit_; });
    if (!job_) return;
    const char* data = job_;
    const size_t size = jobSize_;
    lock.unlock();
    Status status;
    std::exception_ptr thrown;
    try {
      status = file_.Write(data, size);
    } catch (...) {
      thrown = std::current_exception();
      status = Status::Of(Status::kNoMemory);
    }
    lock.lock();
    if (status_.ok()) status_ = status;
    if (thrown && !thrown_) thrown_ = thrown;
    job_ = nullptr;
    idle_.notify_all();
  }
}

}  // namespace wordloom
