#pragma once
// Part of the session layer's surface: the layers below it may not include it.
#ifdef WORDLOOM_BELOW_SESSION
#error "wordloom/session.h belongs to the session layer, above the one including it"
#endif
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wordloom/formats.h"
#include "wordloom/formula.h"
#include "wordloom/listing.h"
#include "wordloom/text.h"

// The generate command, as the front ends (the dialog, the command line)
// see it.
namespace wordloom {

// The four inputs as the user gave them, and what a run asks beyond them.
struct RunInputs {
  std::string countText;
  std::string coreWord;  // GBK bytes, as typed
  std::string lengthText;
  int separatorIndex = -1;  // the separator list's position, -1 for none
  TitleRules rules = {};    // none on: titles as they always were
  bool report = false;      // gather a BatchReport while writing
  OutputFormat format = {};  // the file the titles go into; txt unless asked
  std::string formula = "";  // formula text (GBK, see formula.h); empty: none, the library read as always
};

// What a front end supplies to a run: its messages, the save step, and the
// chance to show progress or cancel.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual void ShowMessage(const std::string& utf8) = 0;
  // The path to write ("-" is standard output), or nothing when the user
  // cancelled. `format` is the run's; a front end whose chooser offers
  // formats sets the one chosen.
  virtual std::optional<std::filesystem::path> ChooseSavePath(OutputFormat& format) = 0;
  // Called now and then while titles are written, with the titles made so
  // far and those asked for; false cancels the write.
  virtual bool KeepWriting(int64_t done, int64_t total) {
    (void)done, (void)total;
    return true;
  }
};

enum class Outcome {
  kWritten,
  kInputRefused,   // one of the three checks, or a library with nothing to draw
  kLibraryError,   // the library could not be read
  kEncodingError,  // the library's text could not be brought to GBK
  kSaveCancelled,
  kWriteCancelled,
  kWriteError,
  kOutOfMemory,
  kChecked,         // a library report, a preview or the groups were made
  kListUnreadable,  // the banned-word list could not be read
  kListNotText,
  kListEmpty,       // the list holds no word
  kFormulaSyntax,   // the formula does not read: an empty part, a count that is not one
  kFormulaCount,    // a count of 0, or a range upside down
  kFormulaCoreTwice,
  kFormulaNoGroups,      // the library has no heading
  kFormulaGroupMissing,  // a group the formula names is not in the library
};

// The titles the next run would write first, and the report on them.
struct TitlePreview {
  static constexpr int kTitles = 20;
  struct Title {
    std::string text;   // GBK, as the title file holds it
    int64_t bytes = 0;  // as the limit counts them
  };
  std::vector<Title> titles;
  int64_t limit = 0;
  BatchReport report;
};

// What lasts from one generate command to the next: the chosen library and
// the random sequence, which runs on across runs. The front end owns it.
class Session {
 public:
  // A session on the platform's own files.
  Session();
  ~Session();
  Session(Session&&) noexcept;
  Session& operator=(Session&&) noexcept;

  // g_strLibraryPath: empty until the user chooses a library.
  const std::filesystem::path& libraryPath() const;
  void ChooseLibrary(std::filesystem::path path, LibraryEncoding encoding = LibraryEncoding::kAuto);
  // Starts the random sequence at another state (a fresh session is at 1).
  void Seed(uint32_t state);
  uint32_t randomState() const;

  // The banned words: a list file, read anew whenever a run or a check
  // needs it; an empty path for the list the program carries.
  void UseBannedList(std::filesystem::path path);
  const std::filesystem::path& bannedList() const;

  // The generate command: checks the inputs, reads the library, asks for
  // the save path and writes the title file.
  Outcome Run(const RunInputs& inputs, FrontEnd& frontEnd);
  // The library report: reads the library as a run does and looks over
  // its entries, with the inputs' core word, length and separator where
  // they are given. Writes nothing; kChecked when `report` was made.
  Outcome Check(const RunInputs& inputs, FrontEnd& frontEnd, LibraryReport& report);
  // The first titles the next run would write with these inputs, and the
  // report on them: the run's checks and messages, but no save step, no
  // file, and the random sequence left where it is. kChecked when made.
  Outcome Preview(const RunInputs& inputs, FrontEnd& frontEnd, TitlePreview& preview);
  // The report of the last run that wrote a title file and asked for one.
  const std::optional<BatchReport>& lastReport() const;
  // The chosen library's groups, read as a formula reads them, for a front
  // end to build a formula from; kChecked when they were read.
  Outcome ReadGroups(FrontEnd& frontEnd, std::vector<GroupSummary>& groups);

  // What a session holds, the core's own; only the core can make one.
  struct State;
  explicit Session(std::unique_ptr<State> state);

 private:
  std::unique_ptr<State> state_;
};

}  // namespace wordloom
