#include <string>

#include "gbk_text.h"
#include "wordloom/formula.h"

namespace wordloom {
namespace {

constexpr char kPlus[] = "\xA3\xAB";   // ＋
constexpr char kColon[] = "\xA3\xBA";  // ：
constexpr int32_t kMostCount = 99999;

// Where text[i] holds the ASCII mark or its full-width form; its size, or 0.
size_t MarkAt(std::string_view text, size_t i, char ascii, const char* wide) {
  if (text[i] == ascii) return 1;
  return GbkCharSize(text, i) == 2 && text.compare(i, 2, wide) == 0 ? 2 : 0;
}

// A whole number of at most kMostCount; false for anything else.
bool ReadCount(std::string_view text, int32_t& value) {
  if (text.empty() || text.size() > 5) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= kMostCount;
}

// "N", "N-M", "*" or "N-*" into the slot's counts.
FormulaFault::Kind ReadCounts(std::string_view text, FormulaSlot& slot) {
  if (text == "*") {
    slot.least = 0;
    slot.most = FormulaSlot::kAsManyAsFit;
    return FormulaFault::kNone;
  }
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos) {
    if (!ReadCount(text, slot.least)) return FormulaFault::kSyntax;
    slot.most = slot.least;
    return slot.least == 0 ? FormulaFault::kCount : FormulaFault::kNone;
  }
  if (!ReadCount(text.substr(0, dash), slot.least)) return FormulaFault::kSyntax;
  const std::string_view upper = text.substr(dash + 1);
  if (upper == "*") {
    slot.most = FormulaSlot::kAsManyAsFit;
    return FormulaFault::kNone;
  }
  if (!ReadCount(upper, slot.most)) return FormulaFault::kSyntax;
  return slot.most == 0 || slot.most < slot.least ? FormulaFault::kCount : FormulaFault::kNone;
}

}  // namespace

FormulaFault ParseFormula(std::string_view gbk, std::vector<FormulaSlot>& slots) {
  slots.clear();
  bool core = false;
  size_t part = 1;
  for (size_t start = 0;; ++part) {
    // The part runs to the next plus sign, found where a character begins.
    size_t end = start, next = gbk.size();
    for (; end < gbk.size(); end += GbkCharSize(gbk, end)) {
      if (const size_t mark = MarkAt(gbk, end, '+', kPlus)) {
        next = end + mark;
        break;
      }
    }
    const std::string_view text = TrimSpaces(gbk.substr(start, end - start));
    const auto fault = [&](FormulaFault::Kind kind) { return FormulaFault{kind, part, std::string(text)}; };
    FormulaSlot slot;
    slot.part = part;
    if (text == "@") {
      if (core) return fault(FormulaFault::kCoreTwice);
      core = slot.core = true;
    } else {
      size_t colon = text.size(), mark = 0;
      for (size_t i = 0; i < text.size() && mark == 0; i += GbkCharSize(text, i))
        if ((mark = MarkAt(text, i, ':', kColon))) colon = i;
      slot.group = std::string(TrimSpaces(text.substr(0, colon)));
      if (slot.group.empty() || slot.group == "@") return fault(FormulaFault::kSyntax);
      if (mark) {
        if (const FormulaFault::Kind kind = ReadCounts(TrimSpaces(text.substr(colon + mark)), slot))
          return fault(kind);
      }
    }
    slots.push_back(std::move(slot));
    if (next == gbk.size() && end == gbk.size()) break;
    start = next;
  }
  if (!core) slots.insert(slots.begin(), FormulaSlot{true, "", 1, 1, 0});
  return {};
}

std::string FormulaText(const std::vector<FormulaSlot>& slots) {
  std::string text;
  for (const FormulaSlot& slot : slots) {
    if (!text.empty()) text += '+';
    if (slot.core) {
      text += '@';
      continue;
    }
    text += slot.group;
    if (slot.most == FormulaSlot::kAsManyAsFit) {
      text += slot.least == 0 ? ":*" : ":" + std::to_string(slot.least) + "-*";
    } else if (slot.least != slot.most) {
      text += ":" + std::to_string(slot.least) + "-" + std::to_string(slot.most);
    } else if (slot.least != 1) {
      text += ":" + std::to_string(slot.least);
    }
  }
  return text;
}

}  // namespace wordloom
