#include "formula_check.h"

#include <algorithm>

#include "crt_random.h"
#include "formula_draws.h"
#include "library_check.h"

namespace wordloom {

std::vector<GroupSummary> SummarizeGroups(const WordList& words, const EntryIds& ids, const WordGroups& groups) {
  std::vector<GroupSummary> summaries;
  for (const WordGroups::Group& group : groups.groups()) {
    GroupSummary summary{group.name, group.heading + 1, group.entries.size(), 0, SIZE_MAX, 0};
    std::vector<uint32_t> texts;
    for (uint32_t k : group.entries) {
      const size_t size = words[k].size();
      summary.shortest = std::min(summary.shortest, size);
      summary.longest = std::max(summary.longest, size);
      if (std::find(texts.begin(), texts.end(), ids[k]) == texts.end()) texts.push_back(ids[k]);
    }
    summary.distinct = texts.size();
    if (group.entries.empty()) summary.shortest = 0;
    summaries.push_back(std::move(summary));
  }
  return summaries;
}

void CheckFormula(const WordList& words, const EntryIds& ids, const WordGroups& groups,
                  const std::vector<FormulaSlot>& slots, const TitleRecipe* recipe, FormulaReport& report) {
  report.formula = FormulaText(slots);
  report.groups = SummarizeGroups(words, ids, groups);
  bool allThere = true;
  for (size_t i = 0; i < slots.size(); ++i) {
    const FormulaSlot& slot = slots[i];
    if (slot.core) continue;
    const SlotFinding finding{SlotFinding::kMissing, slot.part, FormulaText({slot}), 0, 0};
    const WordGroups::Group* group = groups.Find(slot.group);
    if (!group) {
      report.slots.push_back(finding);
      allThere = false;
      continue;
    }
    const GroupSummary& summary = report.groups[static_cast<size_t>(group - groups.groups().data())];
    const size_t asks = static_cast<size_t>(slot.most == FormulaSlot::kAsManyAsFit ? slot.least : slot.most);
    if (summary.entries == 0) {
      report.slots.push_back({SlotFinding::kEmpty, finding.slot, finding.text, asks, 0});
    } else if (asks > summary.distinct) {
      report.slots.push_back({SlotFinding::kTooFew, finding.slot, finding.text, asks, summary.distinct});
    }
  }
  for (uint32_t k : groups.ungrouped()) NoteFinding(report.ungrouped, k, words[k]);
  report.lengthKnown = recipe != nullptr && allThere;
  if (report.lengthKnown) {
    FormulaDraws draws(*recipe, groups, slots, ids, nullptr, CrtRandom(), false);
    const size_t overflow = draws.Overflow(&report.shortest);
    report.fits = overflow == slots.size();
    if (!report.fits) report.overflow = {SlotFinding::kTooFew, slots[overflow].part, FormulaText({slots[overflow]}), 0, 0};
  }
}

}  // namespace wordloom
