#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace wordloom {

// Process-wide values of the generate command.
extern std::filesystem::path g_strLibraryPath;  // empty until a library is chosen
extern std::string g_strCoreWord;               // GBK bytes of the last run's core word
extern int32_t g_nTitleCount;                   // the last run's count

// The four inputs as the user gave them.
struct RunInputs {
  std::string countText;
  std::string coreWord;  // GBK bytes
  std::string lengthText;
  int separatorIndex = -1;  // the separator list's position, -1 for none
};

// What a front end supplies to a run: its messages, the save step and the
// chance to show progress or cancel.
class RunFrontEnd {
 public:
  virtual ~RunFrontEnd() = default;
  virtual void ShowMessage(const std::string& utf8) = 0;
  // The path to write, or nothing when the user cancelled.
  virtual std::optional<std::filesystem::path> ChooseSavePath() = 0;
  // Called now and then while writing; false cancels the write.
  virtual bool KeepWriting(int64_t titlesWritten) {
    (void)titlesWritten;
    return true;
  }
};

enum class RunOutcome {
  kWritten,
  kInputRefused,    // one of the three checks, or a library with nothing to draw
  kLibraryError,    // the library could not be read
  kEncodingError,   // the library holds a character without a GBK form
  kSaveCancelled,
  kWriteCancelled,
  kWriteError,
};

// The generate command: checks the inputs, loads g_strLibraryPath, finds the
// core, asks for the save path, writes the title file, empties the list.
RunOutcome RunGeneration(const RunInputs& inputs, RunFrontEnd& frontEnd);

}  // namespace wordloom
