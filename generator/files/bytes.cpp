#include "bytes.h"

#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace wordloom {

void* AllocateLarge(size_t bytes) {
  if (bytes == 0) bytes = 1;
  void* memory = nullptr;
#ifdef __linux__
  constexpr size_t kHuge = size_t{2} << 20;
  if (bytes >= 2 * kHuge) {
    memory = std::aligned_alloc(kHuge, (bytes + kHuge - 1) / kHuge * kHuge);
    if (memory) ::madvise(memory, bytes, MADV_HUGEPAGE);
  }
#endif
  if (!memory) memory = std::malloc(bytes);
  if (!memory) throw std::bad_alloc();
  return memory;
}

void FreeLarge(void* p) { std::free(p); }

void* AllocateZeroedBytes(size_t bytes) {
  void* p = nullptr;
#ifdef __linux__
  p = ::mmap(nullptr, bytes == 0 ? 1 : bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  ::madvise(p, bytes, MADV_HUGEPAGE);
#else
  p = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (!p) throw std::bad_alloc();
#endif
  return p;
}

void FreeZeroed::operator()(void* p) const {
#ifdef __linux__
  ::munmap(p, bytes == 0 ? 1 : bytes);
#else
  std::free(p);
#endif
}

void Bytes::Free::operator()(char* p) const { FreeLarge(p); }

void Bytes::Resize(size_t size) {
  if (size > SIZE_MAX - kSlack) throw std::bad_alloc();
  if (size + kSlack > capacity_) {
    char* grown = static_cast<char*>(AllocateLarge(size + kSlack));
    if (size_ > 0) std::memcpy(grown, data_.get(), size_);
    data_.reset(grown);
    capacity_ = size + kSlack;
  }
  size_ = size;
  std::memset(data_.get() + size_, 0, kSlack);  // the slack is read, never used
}

void Bytes::ShrinkTo(size_t size) {
  if (size >= size_) return;
  // A second copy of the text for a moment: only worth it when a good part
  // of it goes, not for a 100 MB line that lost one CR.
  if (capacity_ - size > capacity_ / 4) {
    Bytes smaller(size);
    if (size > 0) std::memcpy(smaller.data(), data(), size);
    *this = std::move(smaller);
    return;
  }
  size_ = size;
  std::memset(data_.get() + size_, 0, kSlack);
}

}  // namespace wordloom
