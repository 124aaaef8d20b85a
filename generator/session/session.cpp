#include "wordloom/session.h"

#include <algorithm>
#include <new>

#include "banned_words.h"
#include "crt_atoi.h"
#include "entry_ids.h"
#include "env.h"
#include "library_check.h"
#include "library_text.h"
#include "replace_file.h"
#include "title_recipe.h"
#include "title_writer.h"
#include "word_list.h"
#include "wordloom/messages.h"

namespace wordloom {

Session::Session() : Session(Env::Platform()) {}

Session::Session(Env& env) : env_(env) {}

Outcome Session::Run(const RunInputs& inputs, FrontEnd& frontEnd) {
  const int32_t count = CrtAtoi(inputs.countText);  // g_nTitleCount
  const int32_t maxLength = CrtAtoi(inputs.lengthText);
  const char* refusal = nullptr;
  if (inputs.coreWord.empty()) {
    refusal = msg::kCoreWordRequired;
  } else if (maxLength <= 0) {
    refusal = msg::kLengthRequired;
  } else if (count == 0) {
    refusal = msg::kCountRequired;  // a negative count passes and writes the header only
  }
  if (refusal) {
    frontEnd.ShowMessage(refusal);
    return Outcome::kInputRefused;
  }
  try {
    return Generate(inputs, count, maxLength, frontEnd);
  } catch (const std::bad_alloc&) {
    frontEnd.ShowMessage(msg::kOutOfMemory);
    return Outcome::kOutOfMemory;
  }
}

bool Session::ReadLibrary(FrontEnd& frontEnd, Bytes& text, TextReading& reading, Outcome& failed) {
  if (libraryPath_.empty()) {
    frontEnd.ShowMessage(msg::kNoLibraryChosen);
    failed = Outcome::kLibraryError;
    return false;
  }
  const std::string library = env_.Display(libraryPath_);
  if (const Status read = env_.ReadFile(libraryPath_, text); !read.ok()) {
    frontEnd.ShowMessage(msg::LibraryUnreadable(library, ReasonText(read)));
    failed = Outcome::kLibraryError;
    return false;
  }
  if (const TextFault fault = LibraryTextToGbk(text, encoding_, &reading)) {
    frontEnd.ShowMessage(fault.kind == TextFault::kNotGbk ? msg::LibraryNotGbk(library, fault.line)
                                                          : msg::LibraryNotUtf(library, fault.line, fault.encoding));
    failed = Outcome::kEncodingError;
    return false;
  }
  return true;
}

const BannedWords* Session::ReadBannedList(FrontEnd& frontEnd, BannedWords& file, BannedListInfo& info,
                                           Outcome& failed) {
  info = {};
  if (bannedList_.empty()) {
    info.terms = BuiltInBannedWords().size();
    return &BuiltInBannedWords();
  }
  info.file = env_.Display(bannedList_);
  Bytes bytes;
  if (const Status read = env_.ReadFile(bannedList_, bytes); !read.ok()) {
    frontEnd.ShowMessage(msg::BannedListUnreadable(info.file, ReasonText(read)));
    failed = Outcome::kListUnreadable;
    return nullptr;
  }
  const ListFault fault = wordloom::ReadBannedList(std::move(bytes), file);
  if (fault.kind == ListFault::kNotText) {
    frontEnd.ShowMessage(msg::BannedListNotText(info.file, fault.line));
    failed = Outcome::kListNotText;
    return nullptr;
  }
  if (fault.kind == ListFault::kEmpty) {
    frontEnd.ShowMessage(msg::BannedListEmpty(info.file));
    failed = Outcome::kListEmpty;
    return nullptr;
  }
  info.terms = file.size();
  return &file;
}

Outcome Session::Generate(const RunInputs& inputs, int32_t count, int32_t maxLength, FrontEnd& frontEnd) {
  Outcome failed;
  Bytes text;
  TextReading reading;
  if (!ReadLibrary(frontEnd, text, reading, failed)) return failed;
  const std::string library = env_.Display(libraryPath_);
  // g_words: read anew for every run, gone when the run ends.
  const WordList words(std::move(text));
  const TitleRecipe recipe(words, inputs.coreWord, maxLength, SeparatorFromIndex(inputs.separatorIndex));
  if (!recipe.hasDrawable) {
    frontEnd.ShowMessage(msg::NothingToDraw(library));
    return Outcome::kInputRefused;
  }
  TitleChecks checks;
  checks.rules = inputs.rules;
  BannedWords listFile;
  BatchReport report;
  if (inputs.rules.avoidBanned || inputs.report) {
    checks.banned = ReadBannedList(frontEnd, listFile, report.bannedList, failed);
    if (!checks.banned) return failed;
    if (inputs.rules.avoidBanned) {
      if (const std::string* term = checks.banned->Find(inputs.coreWord)) {
        frontEnd.ShowMessage(msg::CoreWordBanned(*term));
        return Outcome::kInputRefused;
      }
    }
  }
  if (inputs.report) {
    report.rules = inputs.rules;
    checks.report = &report;
  }
  const std::optional<std::filesystem::path> target = frontEnd.ChooseSavePath();
  if (!target) return Outcome::kSaveCancelled;

  ReplaceFile file(env_);
  Status failure = file.Open(*target);
  WriteEnd ending = WriteEnd::kFailed;
  // A run that leaves no title file leaves the random sequence where it
  // was, as a cancelled save step does.
  CrtRandom random(randomState_);
  if (failure.ok()) ending = WriteTitles(recipe, random, count, file, frontEnd, failure, &checks);
  if (ending == WriteEnd::kWritten) failure = file.Commit();
  if (ending == WriteEnd::kWritten && failure.ok()) {
    randomState_ = random.state();
    if (inputs.report) lastReport_ = std::move(report);
    return Outcome::kWritten;
  }
  file.Abort();
  if (ending == WriteEnd::kCancelled) return Outcome::kWriteCancelled;
  if (ending == WriteEnd::kExhausted) {
    frontEnd.ShowMessage(msg::UniqueTitlesExhausted(checks.made, count, TitleChecks::kTitleTries));
    return Outcome::kInputRefused;
  }
  frontEnd.ShowMessage(msg::TitleFileUnwritable(env_.Display(*target), ReasonText(failure)));
  return Outcome::kWriteError;
}

Outcome Session::Check(const RunInputs& inputs, FrontEnd& frontEnd, LibraryReport& report) {
  try {
    report = LibraryReport();
    Outcome failed;
    Bytes text;
    if (!ReadLibrary(frontEnd, text, report.reading, failed)) return failed;
    BannedWords listFile;
    const BannedWords* banned = ReadBannedList(frontEnd, listFile, report.banned, failed);
    if (!banned) return failed;
    report.library = env_.Display(libraryPath_);
    report.core = inputs.coreWord;
    report.maxLength = std::max(CrtAtoi(inputs.lengthText), 0);
    report.separator = SeparatorFromIndex(inputs.separatorIndex);
    const WordList words(std::move(text));
    const EntryIds ids(words);
    CheckEntries(words, ids, report.core.empty() ? words.size() : words.Find(report.core), *banned, report);
    return Outcome::kChecked;
  } catch (const std::bad_alloc&) {
    frontEnd.ShowMessage(msg::kOutOfMemory);
    return Outcome::kOutOfMemory;
  }
}

}  // namespace wordloom
