#pragma once
#include <cstddef>
#include <filesystem>
#include <string>

// The few file operations the generation run needs, with failures turned
// into reasons a user can act on (Chinese, UTF-8).
namespace wordloom {

// A path as UTF-8 text for messages.
std::string PathForDisplay(const std::filesystem::path& path);

// Reads a whole library file. Anything but a regular file is refused at
// once (a FIFO would otherwise block the program).
bool ReadWholeFile(const std::filesystem::path& path, std::string& out, std::string& reason);

// A title file that appears complete or not at all: bytes go to a temporary
// file beside the target, which replaces the target only on Commit. Targets
// that are not regular files (a pipe, a terminal, /dev/null) and standard
// output are written directly.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  bool Open(const std::filesystem::path& target, std::string& reason);
  bool OpenStandardOutput(std::string& reason);
  bool Write(const char* data, size_t size, std::string& reason);
  // Closes, then moves the temporary file over the target.
  bool Commit(std::string& reason);
  // Closes and removes the temporary file; the target stays as it was.
  void Abort();

 private:
  struct Impl;
  Impl* impl_ = nullptr;
};

// A file-size limit must turn into a write error, not kill the process
// with the temporary file left behind.
void IgnoreFileSizeSignal();

}  // namespace wordloom
