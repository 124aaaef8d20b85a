// The library and batch reports in the words of the program's messages.
#include <string>

#include "wordloom/messages.h"
#include "wordloom/text.h"

namespace wordloom::msg {
namespace {

// An entry as a line of the report shows it: control characters as \xNN,
// and a long entry cut short.
std::string Shown(const std::string& gbk) {
  constexpr size_t kMostCharacters = 24;
  const std::string utf8 = GbkToUtf8(gbk);
  std::string out;
  size_t characters = 0;
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const size_t n = DecodeUtf8(utf8, i, cp);
    if (++characters > kMostCharacters) return out + "…";
    if (n <= 1 && static_cast<unsigned char>(utf8[i]) < 0x20) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[static_cast<unsigned char>(utf8[i]) >> 4];
      out += kHex[utf8[i] & 0xF];
    } else if (utf8[i] == 0x7F) {
      out += "\\x7F";
    } else {
      out.append(utf8, i, n == 0 ? 1 : n);
    }
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::string Quoted(const std::string& gbk) { return "“" + Shown(gbk) + "”"; }

std::string ListName(const BannedListInfo& list) {
  return (list.file.empty() ? std::string("内置违禁词表") : "违禁词表“" + list.file + "”") + "（" +
         std::to_string(list.terms) + " 个词）";
}

std::string Separator(char c) { return c == ' ' ? "空格" : std::string(1, c); }

const char* FormName(TextReading::Form form) {
  switch (form) {
    case TextReading::kUtf8: return "UTF-8";
    case TextReading::kUtf16Le: return "UTF-16（小端）";
    case TextReading::kUtf16Be: return "UTF-16（大端）";
    case TextReading::kGbk: break;
  }
  return "GBK";
}

const char* DecidedBy(TextReading::Decided decided) {
  switch (decided) {
    case TextReading::kMark: return "由文件开头的 BOM 确定";
    case TextReading::kChosen: return "按指定的编码读取";
    case TextReading::kGuess: break;
  }
  return "没有 BOM，按内容判断";
}

}  // namespace

std::string RulesText(const TitleRules& rules) {
  std::string text;
  const auto add = [&](bool on, const char* name) {
    if (on) text += (text.empty() ? "" : "、") + std::string(name);
  };
  add(rules.noRepeat, "词条不重复");
  add(rules.unique, "标题不重复");
  add(rules.fill, "填满长度");
  add(rules.avoidBanned, "避开违禁词");
  return text;
}

std::string FormulaWords(const std::vector<FormulaSlot>& slots) {
  std::string text;
  for (const FormulaSlot& slot : slots) {
    if (!text.empty()) text += " + ";
    if (slot.core) {
      text += "中心词";
      continue;
    }
    text += GbkToUtf8(slot.group);
    if (slot.most == FormulaSlot::kAsManyAsFit) {
      text += slot.least == 0 ? "×尽量多" : "×尽量多（至少 " + std::to_string(slot.least) + " 个）";
    } else if (slot.least != slot.most) {
      text += "×" + std::to_string(slot.least) + "-" + std::to_string(slot.most);
    } else if (slot.least != 1) {
      text += "×" + std::to_string(slot.least);
    }
  }
  return text;
}

namespace {

// The lines a formula adds to the library report.
std::string FormulaReportText(const FormulaReport& f, int32_t maxLength) {
  std::vector<FormulaSlot> slots;
  ParseFormula(f.formula, slots);
  std::string t = "标题公式：" + FormulaWords(slots) + "（" + GbkToUtf8(f.formula) + "）\n";
  t += "分组：" + std::to_string(f.groups.size()) + " 组\n";
  for (const GroupSummary& g : f.groups) {
    t += "  [" + Shown(g.name) + "]（第 " + std::to_string(g.line) + " 行）：" + std::to_string(g.entries) + " 行，不同的 " +
         std::to_string(g.distinct) + " 个";
    if (g.entries > 0) t += "，最短 " + std::to_string(g.shortest) + " 字节，最长 " + std::to_string(g.longest) + " 字节";
    t += "\n";
  }
  t += "公式各段：" + (f.slots.empty() ? std::string("没有问题") : std::to_string(f.slots.size()) + " 处问题") + "\n";
  for (const SlotFinding& s : f.slots) {
    t += "  第 " + std::to_string(s.slot) + " 段" + Quoted(s.text) + "：";
    switch (s.kind) {
      case SlotFinding::kMissing: t += "词库中没有这个分组\n"; break;
      case SlotFinding::kEmpty: t += "分组里没有词条\n"; break;
      case SlotFinding::kTooFew:
        t += "要 " + std::to_string(s.asks) + " 个词条，分组只有 " + std::to_string(s.holds) + " 个不同的\n";
        break;
    }
  }
  const auto list = [&](const std::string& title, const FindingList& l, bool group) {
    t += title + "：" + std::to_string(l.count) + " 行\n";
    for (const Finding& e : l.examples) {
      t += "  第 " + std::to_string(e.line) + " 行" + Quoted(e.entry);
      if (group) t += "，已在分组“" + Shown(e.detail) + "”第 " + std::to_string(e.number) + " 行";
      t += "\n";
    }
    if (l.count > l.examples.size()) t += "  ……另有 " + std::to_string(l.count - l.examples.size()) + " 行\n";
  };
  list("同时在两个分组里的词条", f.shared, true);
  list("第一个分组之前的词条（公式不会用到）", f.ungrouped, false);
  t += "最短的标题：";
  if (!f.lengthKnown) {
    t += "未检查（需要中心词、长度和公式里的全部分组）\n";
  } else if (f.fits) {
    t += std::to_string(f.shortest) + " 字节，上限 " + std::to_string(maxLength) + " 字节，放得下\n";
  } else {
    t += "放不下：上限 " + std::to_string(maxLength) + " 字节容不下第 " + std::to_string(f.overflow.slot) + " 段" +
         Quoted(f.overflow.text) + "为止必须取的词条\n";
  }
  return t;
}

}  // namespace

std::string LibraryReportText(const LibraryReport& r) {
  using K = LibraryReport;
  std::string t = "词库“" + r.library + "”的检查结果\n";
  t += "编码：" + std::string(FormName(r.reading.form)) + "（" + DecidedBy(r.reading.decided) + "）\n";
  t += "行数：" + std::to_string(r.lines) + "，不同的词条：" + std::to_string(r.distinct) + "\n";
  t += "违禁词：" + ListName(r.banned) + "\n";
  const auto kind = [&](K::Kind k, const std::string& title, const char* unchecked) {
    const FindingList& f = r.findings[k];
    t += title + "：";
    if (!f.checked) {
      t += std::string("未检查（") + unchecked + "）\n";
      return;
    }
    t += std::to_string(f.count) + " 行\n";
    for (const Finding& e : f.examples) {
      t += "  第 " + std::to_string(e.line) + " 行";
      if (k != K::kEmpty) t += Quoted(e.entry);
      if (k == K::kDuplicate) t += "，与第 " + std::to_string(e.number) + " 行相同";
      if (k == K::kTooLong) t += "，" + std::to_string(e.number) + " 字节";
      if (k == K::kBanned) t += "，含“" + Shown(e.detail) + "”";
      if (k == K::kRejected) t += "，含" + Quoted(e.detail);
      t += "\n";
    }
    if (f.count > f.examples.size()) t += "  ……另有 " + std::to_string(f.count - f.examples.size()) + " 行\n";
  };
  kind(K::kDuplicate, "重复的词条", "");
  kind(K::kEmpty, "空行", "分组词库里的空行只用来分隔各组");
  kind(K::kSpacing, "首尾有空格、制表符或全角空格的词条", "");
  kind(K::kSeparator, "含分隔符" + (r.separator ? "“" + Separator(r.separator) + "”" : std::string()) + "的词条",
       "没有指定分隔符");
  kind(K::kTooLong,
       r.findings[K::kTooLong].checked
           ? "放不进标题的词条（中心词" + Quoted(r.core) + "，长度 " + std::to_string(r.maxLength) + " 字节）"
           : std::string("放不进标题的词条"),
       "需要中心词和长度");
  kind(K::kBanned, "含违禁词的词条", "");
  kind(K::kRejected, "含平台不接受的字符的词条", "");
  if (r.formula) t += FormulaReportText(*r.formula, r.maxLength);
  const size_t total = r.total();
  t += total == 0 ? "未发现问题。\n" : "共发现 " + std::to_string(total) + " 处问题。\n";
  return t;
}

namespace {

std::string BatchReportText(const BatchReport& r, const char* heading) {
  std::string t = std::string(heading) + "\n";
  const std::string rules = RulesText(r.rules);
  t += "生成规则：" + (rules.empty() ? std::string("无") : rules) + "\n";
  t += "写入的标题：" + std::to_string(r.titles) + " 条\n";
  t += "标题长度（字节，上限 " + std::to_string(r.limit) + "）：最短 " + std::to_string(r.least) + "，中位 " +
       std::to_string(r.median) + "，最长 " + std::to_string(r.most) + "\n";
  const auto kind = [&](const std::string& title, int64_t count, const std::vector<TitleExample>& examples,
                        const char* what) {
    t += title + "：" + std::to_string(count) + " 条\n";
    for (const TitleExample& e : examples) {
      t += "  标题" + std::to_string(e.title);
      if (!e.detail.empty()) t += std::string("，") + what + "“" + Shown(e.detail) + "”";
      t += "\n";
    }
  };
  kind("有重复词条的标题", r.repeating, r.repeatingExamples, "重复");
  if (r.duplicatesCounted) {
    kind("与前面的标题相同的标题", r.duplicates, r.duplicateExamples, "");
  } else {
    t += "与前面的标题相同的标题：未统计（内存不足）\n";
  }
  kind("含违禁词的标题", r.banned, r.bannedExamples, "含");
  t += "违禁词：" + ListName(r.bannedList) + "\n";
  return t;
}

}  // namespace

std::string BatchReportText(const BatchReport& r) { return BatchReportText(r, "本次生成的检查结果"); }

std::string PreviewText(const TitlePreview& preview) {
  const std::string limit = std::to_string(preview.limit);
  std::string t = "下次生成的前 " + std::to_string(preview.titles.size()) + " 个标题（单条标题长度上限 " + limit + " 字节）：\n";
  for (size_t i = 0; i < preview.titles.size(); ++i)
    t += "标题" + std::to_string(i) + ":" + GbkToUtf8(preview.titles[i].text) + "（" +
         std::to_string(preview.titles[i].bytes) + "/" + limit + " 字节）\n";
  return t + "\n" + BatchReportText(preview.report, "这些标题的检查结果");
}

}  // namespace wordloom::msg
