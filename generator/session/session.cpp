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
#include "session_on.h"
#include "title_recipe.h"
#include "ruled_titles.h"
#include "title_writer.h"
#include "unique_titles.h"
#include "word_list.h"
#include "wordloom/messages.h"

namespace wordloom {

struct Session::State {
  explicit State(Env& files) : env(files) {}

  Env& env;
  std::filesystem::path library;
  LibraryEncoding encoding = LibraryEncoding::kAuto;
  uint32_t randomState = 1;
  std::filesystem::path bannedList;
  std::optional<BatchReport> lastReport;
};

Session SessionOn(Env& env) { return Session(std::make_unique<Session::State>(env)); }

Session::Session() : Session(std::make_unique<State>(Env::Platform())) {}
Session::Session(std::unique_ptr<State> state) : state_(std::move(state)) {}
Session::~Session() = default;
Session::Session(Session&&) noexcept = default;
Session& Session::operator=(Session&&) noexcept = default;

const std::filesystem::path& Session::libraryPath() const { return state_->library; }
void Session::ChooseLibrary(std::filesystem::path path, LibraryEncoding encoding) {
  state_->library = std::move(path);
  state_->encoding = encoding;
}
void Session::Seed(uint32_t state) { state_->randomState = state; }
uint32_t Session::randomState() const { return state_->randomState; }
void Session::UseBannedList(std::filesystem::path path) { state_->bannedList = std::move(path); }
const std::filesystem::path& Session::bannedList() const { return state_->bannedList; }
const std::optional<BatchReport>& Session::lastReport() const { return state_->lastReport; }

namespace {

// The library's text in GBK; false with the outcome to end on.
bool ReadLibrary(Session::State& state, FrontEnd& frontEnd, Bytes& text, TextReading& reading, Outcome& failed) {
  if (state.library.empty()) {
    frontEnd.ShowMessage(msg::kNoLibraryChosen);
    failed = Outcome::kLibraryError;
    return false;
  }
  const std::string library = state.env.Display(state.library);
  if (const Status read = state.env.ReadFile(state.library, text); !read.ok()) {
    frontEnd.ShowMessage(msg::LibraryUnreadable(library, ReasonText(read)));
    failed = Outcome::kLibraryError;
    return false;
  }
  if (const TextFault fault = LibraryTextToGbk(text, state.encoding, &reading)) {
    frontEnd.ShowMessage(fault.kind == TextFault::kNotGbk ? msg::LibraryNotGbk(library, fault.line)
                                                          : msg::LibraryNotUtf(library, fault.line, fault.encoding));
    failed = Outcome::kEncodingError;
    return false;
  }
  return true;
}

// The banned words in use: the built-in list, or the list file read into
// `file`; null with the outcome to end on.
const BannedWords* ReadBannedList(Session::State& state, FrontEnd& frontEnd, BannedWords& file, BannedListInfo& info,
                                  Outcome& failed) {
  info = {};
  if (state.bannedList.empty()) {
    info.terms = BuiltInBannedWords().size();
    return &BuiltInBannedWords();
  }
  info.file = state.env.Display(state.bannedList);
  Bytes bytes;
  if (const Status read = state.env.ReadFile(state.bannedList, bytes); !read.ok()) {
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

Outcome Generate(Session::State& state, const RunInputs& inputs, int32_t count, int32_t maxLength, FrontEnd& frontEnd) {
  Outcome failed;
  Bytes text;
  TextReading reading;
  if (!ReadLibrary(state, frontEnd, text, reading, failed)) return failed;
  const std::string library = state.env.Display(state.library);
  // g_words: read anew for every run, gone when the run ends.
  const WordList words(std::move(text));
  const TitleRecipe recipe(words, inputs.coreWord, maxLength, SeparatorFromIndex(inputs.separatorIndex));
  if (!recipe.hasDrawable) {
    frontEnd.ShowMessage(msg::NothingToDraw(library));
    return Outcome::kInputRefused;
  }
  RuledRun ruled;
  ruled.rules = inputs.rules;
  BannedWords listFile;
  BatchReport report;
  if (inputs.rules.avoidBanned || inputs.report) {
    ruled.banned = ReadBannedList(state, frontEnd, listFile, report.bannedList, failed);
    if (!ruled.banned) return failed;
    if (inputs.rules.avoidBanned) {
      if (const std::string* term = ruled.banned->Find(inputs.coreWord)) {
        frontEnd.ShowMessage(msg::CoreWordBanned(*term));
        return Outcome::kInputRefused;
      }
    }
  }
  if (inputs.report) {
    report.rules = inputs.rules;
    ruled.report = &report;
  }
  const std::optional<std::filesystem::path> target = frontEnd.ChooseSavePath();
  if (!target) return Outcome::kSaveCancelled;

  ReplaceFile file(state.env);
  Status failure = file.Open(*target);
  WriteEnd ending = WriteEnd::kFailed;
  // A run that leaves no title file leaves the random sequence where it
  // was, as a cancelled save step does.
  CrtRandom random(state.randomState);
  if (failure.ok()) {
    ChunkedOutput out(file, OutputCapacity(recipe, count),
                      [&frontEnd](int64_t done, int64_t total) { return frontEnd.KeepWriting(done, total); },
                      count > 0 ? count : 0);
    ending = ruled.any() ? WriteRuledTitles(recipe, random, count, out, ruled)
                         : WritePlainTitles(recipe, random, count, out);
    failure = out.status();
  }
  if (ending == WriteEnd::kWritten) failure = file.Commit();
  if (ending == WriteEnd::kWritten && failure.ok()) {
    state.randomState = random.state();
    if (inputs.report) state.lastReport = std::move(report);
    return Outcome::kWritten;
  }
  file.Abort();
  if (ending == WriteEnd::kCancelled) return Outcome::kWriteCancelled;
  if (ending == WriteEnd::kGaveUp) {
    frontEnd.ShowMessage(msg::UniqueTitlesExhausted(ruled.made, count, UniqueTitles::kTries));
    return Outcome::kInputRefused;
  }
  frontEnd.ShowMessage(msg::TitleFileUnwritable(state.env.Display(*target), ReasonText(failure)));
  return Outcome::kWriteError;
}

}  // namespace

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
    return Generate(*state_, inputs, count, maxLength, frontEnd);
  } catch (const std::bad_alloc&) {
    frontEnd.ShowMessage(msg::kOutOfMemory);
    return Outcome::kOutOfMemory;
  }
}

Outcome Session::Check(const RunInputs& inputs, FrontEnd& frontEnd, LibraryReport& report) {
  try {
    report = LibraryReport();
    Outcome failed;
    Bytes text;
    if (!ReadLibrary(*state_, frontEnd, text, report.reading, failed)) return failed;
    BannedWords listFile;
    const BannedWords* banned = ReadBannedList(*state_, frontEnd, listFile, report.banned, failed);
    if (!banned) return failed;
    report.library = state_->env.Display(state_->library);
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
