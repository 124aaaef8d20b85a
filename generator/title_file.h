#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "title_builder.h"

namespace wordloom {

// GBK bytes of the file's fixed texts.
inline const char kTitleFileHeader[] = "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6";  // 商品名称
inline const char kTitleLabel[] = "\xB1\xEA\xCC\xE2";                     // 标题

// Bytes handed to the file at a time; keepGoing is asked after each.
inline constexpr size_t kTitleBufferSize = size_t{1} << 20;

struct WriteRequest {
  std::filesystem::path target;  // "-" writes to standard output
  int32_t titleCount = 0;
  // Called every so often with the number of finished titles; returning
  // false cancels the write and leaves the target as it was.
  std::function<bool(int64_t)> keepGoing;
};

struct WriteResult {
  enum Kind { kWritten, kCancelled, kFailed } kind = kWritten;
  std::string reason;  // for kFailed, UTF-8
};

// Writes the header and titles 0 .. titleCount-1, each line ending in CR LF,
// and replaces the target only when everything reached the disk.
WriteResult WriteTitleFile(const WriteRequest& request, const TitleRecipe& recipe);

}  // namespace wordloom
