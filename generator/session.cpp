#include "wordloom/session.h"

#include <new>

#include "crt_atoi.h"
#include "env.h"
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

Outcome Session::Generate(const RunInputs& inputs, int32_t count, int32_t maxLength, FrontEnd& frontEnd) {
  if (libraryPath_.empty()) {
    frontEnd.ShowMessage(msg::kNoLibraryChosen);
    return Outcome::kLibraryError;
  }
  const std::string library = env_.Display(libraryPath_);
  Bytes text;
  if (const Status read = env_.ReadFile(libraryPath_, text); !read.ok()) {
    frontEnd.ShowMessage(msg::LibraryUnreadable(library, ReasonText(read)));
    return Outcome::kLibraryError;
  }
  if (const TextFault fault = LibraryTextToGbk(text, encoding_)) {
    frontEnd.ShowMessage(fault.kind == TextFault::kNotGbk ? msg::LibraryNotGbk(library, fault.line)
                                                          : msg::LibraryNotUtf(library, fault.line, fault.encoding));
    return Outcome::kEncodingError;
  }
  // g_words: read anew for every run, gone when the run ends.
  const WordList words(std::move(text));
  const TitleRecipe recipe(words, inputs.coreWord, maxLength, SeparatorFromIndex(inputs.separatorIndex));
  if (!recipe.hasDrawable) {
    frontEnd.ShowMessage(msg::NothingToDraw(library));
    return Outcome::kInputRefused;
  }
  const std::optional<std::filesystem::path> target = frontEnd.ChooseSavePath();
  if (!target) return Outcome::kSaveCancelled;

  ReplaceFile file(env_);
  Status failure = file.Open(*target);
  WriteEnd ending = WriteEnd::kFailed;
  // A run that leaves no title file leaves the random sequence where it
  // was, as a cancelled save step does.
  CrtRandom random(randomState_);
  if (failure.ok()) ending = WriteTitles(recipe, random, count, file, frontEnd, failure);
  if (ending == WriteEnd::kWritten) failure = file.Commit();
  if (ending == WriteEnd::kWritten && failure.ok()) {
    randomState_ = random.state();
    return Outcome::kWritten;
  }
  file.Abort();
  if (ending == WriteEnd::kCancelled) return Outcome::kWriteCancelled;
  frontEnd.ShowMessage(msg::TitleFileUnwritable(env_.Display(*target), ReasonText(failure)));
  return Outcome::kWriteError;
}

}  // namespace wordloom
