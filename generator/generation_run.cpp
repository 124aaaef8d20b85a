#include "generation_run.h"

#include "crt_atoi.h"
#include "file_access.h"
#include "messages.h"
#include "title_builder.h"
#include "title_file.h"
#include "word_list.h"

namespace wordloom {

std::filesystem::path g_strLibraryPath;
std::string g_strCoreWord;
int32_t g_nTitleCount = 0;

namespace {

RunOutcome WriteTitles(const RunInputs& inputs, int32_t maxLength, RunFrontEnd& frontEnd) {
  const LoadResult load = LoadWords(g_strLibraryPath);
  if (load.kind != LoadResult::kOk) {
    frontEnd.ShowMessage(load.message);
    return load.kind == LoadResult::kEncodingError ? RunOutcome::kEncodingError : RunOutcome::kLibraryError;
  }
  const TitleRecipe recipe(g_words, g_strCoreWord, maxLength, SeparatorFromIndex(inputs.separatorIndex));
  if (!recipe.hasDrawable) {
    frontEnd.ShowMessage(msg::NothingToDraw(PathForDisplay(g_strLibraryPath)));
    return RunOutcome::kInputRefused;
  }
  const std::optional<std::filesystem::path> target = frontEnd.ChooseSavePath();
  if (!target) return RunOutcome::kSaveCancelled;

  WriteRequest request;
  request.target = *target;
  request.titleCount = g_nTitleCount;
  request.keepGoing = [&frontEnd](int64_t done) { return frontEnd.KeepWriting(done); };
  const WriteResult written = WriteTitleFile(request, recipe);
  switch (written.kind) {
    case WriteResult::kWritten: return RunOutcome::kWritten;
    case WriteResult::kCancelled: return RunOutcome::kWriteCancelled;
    case WriteResult::kFailed: break;
  }
  frontEnd.ShowMessage(msg::TitleFileUnwritable(PathForDisplay(*target), written.reason));
  return RunOutcome::kWriteError;
}

}  // namespace

RunOutcome RunGeneration(const RunInputs& inputs, RunFrontEnd& frontEnd) {
  g_nTitleCount = CrtAtoi(inputs.countText);
  g_strCoreWord = inputs.coreWord;
  const int32_t maxLength = CrtAtoi(inputs.lengthText);

  const char* refusal = nullptr;
  if (g_strCoreWord.empty()) {
    refusal = msg::kCoreWordRequired;
  } else if (maxLength <= 0) {
    refusal = msg::kLengthRequired;
  } else if (g_nTitleCount == 0) {
    refusal = msg::kCountRequired;  // a negative count passes and writes the header only
  }
  if (refusal) {
    frontEnd.ShowMessage(refusal);
    return RunOutcome::kInputRefused;
  }

  // Whatever happens from here on, the list is empty again when the run ends.
  struct ClearOnExit {
    ~ClearOnExit() { ClearWords(); }
  } clearOnExit;
  return WriteTitles(inputs, maxLength, frontEnd);
}

}  // namespace wordloom
