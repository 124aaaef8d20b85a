#pragma once
// Part of the titles layer's surface: the layers below it may not include it.
#ifdef WORDLOOM_BELOW_TITLES
#error "wordloom/formula.h belongs to the titles layer, above the one including it"
#endif
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A title formula: the order sellers write titles in, as slots of a grouped
// library ("[品牌]" lines start a group). Written as text, slot after slot:
//
//   品牌+@+属性:2+卖点:1-2+流量词:*
//
// "@" is the core word (first when the formula does not name it); a group's
// name alone takes one entry, ":N" N of them, ":N-M" N to M, ":*" as many as
// fit and ":N-*" as many as fit but at least N. "+" and "＋" part the slots,
// ":" and "：" a name from its count; spaces around them go.
namespace wordloom {

struct FormulaSlot {
  static constexpr int32_t kAsManyAsFit = -1;

  bool core = false;
  std::string group;  // GBK
  int32_t least = 1;
  int32_t most = 1;   // kAsManyAsFit: until none of the group fits
  size_t part = 0;    // its part of the formula text, 1-based; 0 for a core the text does not name

  bool operator==(const FormulaSlot& o) const {
    return core == o.core && group == o.group && least == o.least && most == o.most;
  }
};

// Why formula text is refused, and which part (1-based) is wrong.
struct FormulaFault {
  enum Kind {
    kNone,
    kSyntax,     // an empty part or name, or a count that is not N, N-M, * or N-*
    kCount,      // a count of 0, or a range upside down
    kCoreTwice,  // "@" named more than once
  } kind = kNone;
  size_t part = 0;
  std::string text;  // the part as written, GBK

  explicit operator bool() const { return kind != kNone; }
};

// The slots of formula text (GBK), the core word among them; `slots` is
// unspecified on a fault.
FormulaFault ParseFormula(std::string_view gbk, std::vector<FormulaSlot>& slots);
// Formula text for the slots, as ParseFormula reads it back (GBK).
std::string FormulaText(const std::vector<FormulaSlot>& slots);

}  // namespace wordloom
