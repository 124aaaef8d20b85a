#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "chunked_output.h"

// Where ComposeTitle's bytes go.
namespace wordloom {

// Entries and the core carry Bytes::kSlack readable bytes past their end:
// a short one is copied as a fixed 16, whatever runs past it overwritten
// after (worth about twice the speed of copying the exact size).
constexpr size_t kFixedCopy = 16;
inline void CopyShort(char* p, const char* data, size_t size) {
  if (size <= kFixedCopy) {
    std::memcpy(p, data, kFixedCopy);
  } else {
    std::memcpy(p, data, size);
  }
}

// Into memory known to hold the whole title and kFixedCopy bytes more.
struct BufferOut {
  char* p;
  void Append(const char* data, size_t size) {
    CopyShort(p, data, size);
    p += size;
  }
  void Put(char c) { *p++ = c; }
  static bool Stopped() { return false; }
};

// Through the output's buffer, for a title that may not fit one; a failed
// or cancelled write stops it.
struct StreamOut {
  ChunkedOutput* out;
  int64_t done;  // titles before this one, for the progress asked meanwhile
  void Append(const char* data, size_t size) { out->Append(data, size, done); }
  void Put(char c) { out->Append(&c, 1, done); }
  bool Stopped() const { return out->stopped(); }
};

// Into a string that grows with the title.
struct StringOut {
  std::string* text;
  void Append(const char* data, size_t size) { text->append(data, size); }
  void Put(char c) { *text += c; }
  static bool Stopped() { return false; }
};

}  // namespace wordloom
