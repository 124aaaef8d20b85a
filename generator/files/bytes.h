#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace wordloom {

// A byte buffer that is not cleared when made: a library is read straight
// into it, so its pages are touched once, by the read. Sixteen more bytes
// than its size may always be read, which lets copies of short entries be
// of a fixed size.
class Bytes {
 public:
  static constexpr size_t kSlack = 16;

  Bytes() = default;
  explicit Bytes(size_t size) { Resize(size); }

  char* data() { return data_.get(); }
  const char* data() const { return data_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Contents up to the smaller size are kept; new bytes are not cleared.
  // Throws std::bad_alloc.
  void Resize(size_t size);
  // Gives back the memory past `size` when that is worth a copy.
  void ShrinkTo(size_t size);

 private:
  struct Free {
    void operator()(char* p) const;
  };
  std::unique_ptr<char[], Free> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// Memory for large tables: in 2 MB pages where the system offers them (far
// fewer page faults for the same bytes). Not cleared; throws std::bad_alloc.
void* AllocateLarge(size_t bytes);
void FreeLarge(void* p);

// Zeroed memory for large tables looked up at random: pages cost nothing
// until reached, and are 2 MB where the system offers them, so that a
// lookup seldom misses the address cache.
struct FreeZeroed {
  size_t bytes;
  void operator()(void* p) const;
};
template <class T>
using ZeroedArray = std::unique_ptr<T[], FreeZeroed>;

// Throws std::bad_alloc.
void* AllocateZeroedBytes(size_t bytes);
template <class T>
ZeroedArray<T> AllocateZeroed(size_t count) {
  if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
  return ZeroedArray<T>(static_cast<T*>(AllocateZeroedBytes(count * sizeof(T))), FreeZeroed{count * sizeof(T)});
}

}  // namespace wordloom
