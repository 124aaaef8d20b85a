// Formula text and a library read as grouped, both from the fuzzer, through
// the whole generate command with its files in memory: the text reads back
// as it is written; a formula is refused with its own outcome or followed;
// and every title followed keeps to the limit.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "memory_env.h"
#include "wordloom/formula.h"

using namespace wordloom;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fdp(data, size);
  const uint8_t flags = fdp.ConsumeIntegral<uint8_t>();
  const int32_t maxLength = fdp.ConsumeIntegralInRange<int32_t>(1, 64);
  const int count = fdp.ConsumeIntegralInRange<int>(1, 4);
  const std::string formula = fdp.ConsumeRandomLengthString(64);
  const std::string library = fdp.ConsumeRemainingBytesAsString();

  std::vector<FormulaSlot> slots, again;
  if (!ParseFormula(formula, slots)) {
    CHECK(!ParseFormula(FormulaText(slots), again) && FormulaText(again) == FormulaText(slots));
    CHECK(std::count_if(slots.begin(), slots.end(), [](const FormulaSlot& s) { return s.core; }) == 1);
  }

  test::MemorySession m(library);
  m.session.Seed(flags);
  RunInputs inputs{std::to_string(count), "core", std::to_string(maxLength), (flags & 1) ? 0 : 2};
  inputs.formula = formula.empty() ? "x" : formula;
  inputs.rules.unique = (flags & 2) != 0;
  inputs.rules.avoidBanned = (flags & 4) != 0;
  inputs.report = (flags & 8) != 0;
  const Outcome outcome = m.Run(inputs);
  CHECK(outcome != Outcome::kWriteError && outcome != Outcome::kOutOfMemory && outcome != Outcome::kLibraryError);
  if (outcome != Outcome::kWritten) {
    CHECK(m.front.saveRequests == 0 || outcome == Outcome::kInputRefused);
    return 0;
  }
  const std::string& file = m.file();
  size_t at = file.find("\r\n") + 2;
  for (int i = 0; i < count; ++i) {
    const size_t colon = file.find(':', at), end = file.find("\r\n", colon);
    CHECK(colon != std::string::npos && end != std::string::npos);
    const std::string title = file.substr(colon + 1, end - colon - 1);
    CHECK(static_cast<int64_t>(title.size()) <= maxLength || title == "core" || title == "core,");
    at = end + 2;
  }
  CHECK(at == file.size());
  return 0;
}
