#include "wordloom/session.h"

#include <algorithm>
#include <new>

#include "banned_words.h"
#include "crt_atoi.h"
#include "entry_ids.h"
#include "formula_check.h"
#include "formula_draws.h"
#include "env.h"
#include "library_check.h"
#include "library_text.h"
#include "replace_file.h"
#include "session_on.h"
#include "title_recipe.h"
#include "ruled_titles.h"
#include "title_writer.h"
#include "unique_titles.h"
#include "word_groups.h"
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

// A command's work, with running out of memory told as a refusal is.
template <class Work>
Outcome Guarded(FrontEnd& frontEnd, Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    frontEnd.ShowMessage(msg::kOutOfMemory);
    return Outcome::kOutOfMemory;
  }
}

// Why a run gave up, as the user reads it.
std::string GaveUpText(const RuledRun& ruled, int32_t count) {
  return ruled.gaveUp == RuledRun::kFormulaSlot ? msg::FormulaBlockedByBannedWords(UniqueTitles::kTries)
                                                : msg::UniqueTitlesExhausted(ruled.made, count, UniqueTitles::kTries);
}

// The formula's slots; false with the outcome to end on. An empty text is no formula.
bool ReadFormula(const std::string& text, FrontEnd& frontEnd, std::vector<FormulaSlot>& slots, Outcome& failed) {
  slots.clear();
  if (text.empty()) return true;
  const FormulaFault fault = ParseFormula(text, slots);
  switch (fault.kind) {
    case FormulaFault::kNone: return true;
    case FormulaFault::kSyntax:
      frontEnd.ShowMessage(msg::FormulaSyntax(fault.part, fault.text));
      failed = Outcome::kFormulaSyntax;
      break;
    case FormulaFault::kCount:
      frontEnd.ShowMessage(msg::FormulaCount(fault.part, fault.text));
      failed = Outcome::kFormulaCount;
      break;
    case FormulaFault::kCoreTwice:
      frontEnd.ShowMessage(msg::FormulaCoreTwice(fault.part));
      failed = Outcome::kFormulaCoreTwice;
      break;
  }
  return false;
}

// A formula's groups in the library: false, after the message, when it has
// none or lacks one the formula names.
bool FindGroups(const WordGroups& groups, const std::vector<FormulaSlot>& slots, const std::string& library,
                FrontEnd& frontEnd, Outcome& failed) {
  if (groups.groups().empty()) {
    frontEnd.ShowMessage(msg::FormulaNoGroups(library));
    failed = Outcome::kFormulaNoGroups;
    return false;
  }
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i].core && !groups.Find(slots[i].group)) {
      frontEnd.ShowMessage(msg::FormulaGroupMissing(library, slots[i].part, slots[i].group));
      failed = Outcome::kFormulaGroupMissing;
      return false;
    }
  }
  return true;
}

// A run's first titles into memory, all but the save step: nothing is
// written, and the random sequence stays where it is.
Outcome PreviewTitles(Session::State& state, const TitleRecipe& recipe, int32_t count, RuledRun& ruled, FrontEnd& frontEnd,
                      TitlePreview& preview) {
  const int32_t titles = std::clamp(count, 0, TitlePreview::kTitles);
  ReplaceFile nowhere(state.env);
  ChunkedOutput out(nowhere, 1, nullptr, titles);
  std::vector<CollectedTitle> made;
  CrtRandom random(state.randomState);
  if (WriteRuledTitles(recipe, random, titles, out, ruled, {}, &made) == WriteEnd::kGaveUp) {
    frontEnd.ShowMessage(GaveUpText(ruled, count));
    return Outcome::kInputRefused;
  }
  preview = TitlePreview();
  for (CollectedTitle& title : made) preview.titles.push_back({std::move(title.text), title.length});
  preview.limit = recipe.maxLength;
  preview.report = std::move(*ruled.report);
  return Outcome::kChecked;
}

// The generate command, or with `preview` its first titles into memory.
Outcome Generate(Session::State& state, const RunInputs& inputs, const std::vector<FormulaSlot>& slots, int32_t count,
                 int32_t maxLength, FrontEnd& frontEnd, TitlePreview* preview) {
  Outcome failed;
  Bytes text;
  TextReading reading;
  if (!ReadLibrary(state, frontEnd, text, reading, failed)) return failed;
  const std::string library = state.env.Display(state.library);
  // g_words: read anew for every run, gone when the run ends.
  const WordList words(std::move(text));
  TitleRecipe recipe(words, inputs.coreWord, maxLength, SeparatorFromIndex(inputs.separatorIndex));
  // A formula reads the library as grouped; without one nothing changes.
  std::optional<WordGroups> groups;
  if (!slots.empty()) {
    groups.emplace(words);
    if (!FindGroups(*groups, slots, library, frontEnd, failed)) return failed;
    recipe.FollowFormula(slots.front().core);
  } else if (!recipe.hasDrawable) {
    frontEnd.ShowMessage(msg::NothingToDraw(library));
    return Outcome::kInputRefused;
  }
  RuledRun ruled;
  ruled.rules = inputs.rules;
  BannedWords listFile;
  BatchReport report;
  const bool reports = inputs.report || preview;
  if (inputs.rules.avoidBanned || reports) {
    ruled.banned = ReadBannedList(state, frontEnd, listFile, report.bannedList, failed);
    if (!ruled.banned) return failed;
    if (inputs.rules.avoidBanned) {
      if (const std::string* term = ruled.banned->Find(inputs.coreWord)) {
        frontEnd.ShowMessage(msg::CoreWordBanned(*term));
        return Outcome::kInputRefused;
      }
    }
  }
  if (reports) {
    report.rules = inputs.rules;
    ruled.report = &report;
  }
  std::optional<EntryIds> ids;
  std::optional<FormulaDraws> formula;
  if (groups) {
    ids.emplace(words);
    formula.emplace(recipe, *groups, slots, *ids, inputs.rules.avoidBanned ? ruled.banned : nullptr, CrtRandom(), reports);
    if (const size_t slot = formula->Overflow(); slot < slots.size()) {
      frontEnd.ShowMessage(msg::FormulaTooLong(slots[slot].part, FormulaText({slots[slot]}), maxLength));
      return Outcome::kInputRefused;
    }
    ruled.formula = &*formula;
    ruled.ids = &*ids;
  }
  if (preview) return PreviewTitles(state, recipe, count, ruled, frontEnd, *preview);
  OutputFormat format = inputs.format;
  const std::optional<std::filesystem::path> target = frontEnd.ChooseSavePath(format);
  if (!target) return Outcome::kSaveCancelled;
  // What a sheet cannot hold is refused before anything is written.
  if (format.kind == OutputFormat::kXlsx && count >= kXlsxRows) {
    frontEnd.ShowMessage(msg::XlsxTooManyTitles(kXlsxRows - 1));
    return Outcome::kInputRefused;
  }
  if (format.kind == OutputFormat::kXlsx && TitleRoom(recipe) > static_cast<uint64_t>(kXlsxCellCharacters)) {
    frontEnd.ShowMessage(msg::XlsxTitleTooLong(kXlsxCellCharacters, maxLength));
    return Outcome::kInputRefused;
  }

  ReplaceFile file(state.env);
  Status failure = file.Open(*target);
  WriteEnd ending = WriteEnd::kFailed;
  // A run that leaves no title file leaves the random sequence where it
  // was, as a cancelled save step does.
  CrtRandom random(state.randomState);
  if (failure.ok()) {
    ChunkedOutput out(file, OutputCapacity(recipe, count, format),
                      [&frontEnd](int64_t done, int64_t total) { return frontEnd.KeepWriting(done, total); },
                      count > 0 ? count : 0);
    ending = ruled.any() ? WriteRuledTitles(recipe, random, count, out, ruled, format)
                         : WritePlainTitles(recipe, random, count, out, format);
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
    frontEnd.ShowMessage(GaveUpText(ruled, count));
    return Outcome::kInputRefused;
  }
  frontEnd.ShowMessage(msg::TitleFileUnwritable(state.env.Display(*target), ReasonText(failure)));
  return Outcome::kWriteError;
}

}  // namespace

namespace {

// The three checks of the fields, then the formula's text: false, after the
// message, with the outcome to end on.
bool CheckInputs(const RunInputs& inputs, FrontEnd& frontEnd, int32_t& count, int32_t& maxLength,
                 std::vector<FormulaSlot>& slots, Outcome& failed) {
  count = CrtAtoi(inputs.countText);  // g_nTitleCount
  maxLength = CrtAtoi(inputs.lengthText);
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
    failed = Outcome::kInputRefused;
    return false;
  }
  return ReadFormula(inputs.formula, frontEnd, slots, failed);
}

Outcome RunOrPreview(Session::State& state, const RunInputs& inputs, FrontEnd& frontEnd, TitlePreview* preview) {
  int32_t count, maxLength;
  std::vector<FormulaSlot> slots;
  Outcome failed;
  if (!CheckInputs(inputs, frontEnd, count, maxLength, slots, failed)) return failed;
  return Guarded(frontEnd, [&] {
    return Generate(state, inputs, slots, count, maxLength, frontEnd, preview);
  });
}

}  // namespace

Outcome Session::Run(const RunInputs& inputs, FrontEnd& frontEnd) { return RunOrPreview(*state_, inputs, frontEnd, nullptr); }

Outcome Session::Preview(const RunInputs& inputs, FrontEnd& frontEnd, TitlePreview& preview) {
  return RunOrPreview(*state_, inputs, frontEnd, &preview);
}

Outcome Session::Check(const RunInputs& inputs, FrontEnd& frontEnd, LibraryReport& report) {
  return Guarded(frontEnd, [&] {
    report = LibraryReport();
    Outcome failed;
    std::vector<FormulaSlot> slots;
    if (!ReadFormula(inputs.formula, frontEnd, slots, failed)) return failed;
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
    const size_t coreIndex = report.core.empty() ? words.size() : words.Find(report.core);
    if (slots.empty()) {
      CheckEntries(words, ids, coreIndex, *banned, report);
      return Outcome::kChecked;
    }
    const WordGroups groups(words);
    FormulaReport& formula = report.formula.emplace();
    CheckEntries(words, ids, coreIndex, *banned, report, &groups, &formula.shared);
    std::optional<TitleRecipe> recipe;
    if (!report.core.empty() && report.maxLength > 0) {
      recipe.emplace(words, report.core, report.maxLength, report.separator);
      recipe->FollowFormula(slots.front().core);
    }
    CheckFormula(words, ids, groups, slots, recipe ? &*recipe : nullptr, formula);
    return Outcome::kChecked;
  });
}

Outcome Session::ReadGroups(FrontEnd& frontEnd, std::vector<GroupSummary>& groups) {
  return Guarded(frontEnd, [&] {
    groups.clear();
    Outcome failed;
    Bytes text;
    TextReading reading;
    if (!ReadLibrary(*state_, frontEnd, text, reading, failed)) return failed;
    const WordList words(std::move(text));
    const EntryIds ids(words);
    groups = SummarizeGroups(words, ids, WordGroups(words));
    if (groups.empty()) {
      frontEnd.ShowMessage(msg::FormulaNoGroups(state_->env.Display(state_->library)));
      return Outcome::kFormulaNoGroups;
    }
    return Outcome::kChecked;
  });
}

}  // namespace wordloom
