#include "wordloom/messages.h"

#include "wordloom/text.h"

namespace wordloom::msg {

std::string LibraryUnreadable(const std::string& path, const std::string& reason) {
  return "无法读取词库文件“" + path + "”：" + reason;
}

std::string LibraryNotGbk(const std::string& path, size_t line) {
  return "词库文件“" + path + "”第 " + std::to_string(line) + " 行含有无法用 GBK 编码表示的字符，请修改后重试！！！";
}

std::string LibraryNotUtf(const std::string& path, size_t line, const char* encoding) {
  return "词库文件“" + path + "”第 " + std::to_string(line) + " 行不是有效的 " + encoding + " 文本，请修改后重试！！！";
}

std::string NothingToDraw(const std::string& path) {
  return "词库“" + path + "”中没有可供组合的词语（除中心词外至少还要有一行），请检查词库文件！！！";
}

std::string TitleFileUnwritable(const std::string& path, const std::string& reason) {
  return "无法写入标题文件“" + path + "”：" + reason + "。原有文件未被改动。";
}

std::string BannedListUnreadable(const std::string& path, const std::string& reason) {
  return "无法读取违禁词表“" + path + "”：" + reason;
}

std::string BannedListNotText(const std::string& path, size_t line) {
  return "违禁词表“" + path + "”不是文本文件（第 " + std::to_string(line) + " 行有控制字符或无法识别的文字），请检查！！！";
}

std::string BannedListEmpty(const std::string& path) {
  return "违禁词表“" + path + "”中没有词（只有空行或以 # 开头的说明），请检查！！！";
}

std::string CoreWordBanned(const std::string& termGbk) {
  return "标题中心词含有违禁词“" + GbkToUtf8(termGbk) + "”，请修改后重试！！！";
}

std::string UniqueTitlesExhausted(int64_t made, int64_t asked, int tries) {
  return "词库组合不出 " + std::to_string(asked) + " 个互不相同的标题：组合出 " + std::to_string(made) +
         " 个之后，连续 " + std::to_string(tries) + " 次都只得到已有的标题。请把生成标题数量改为不超过 " +
         std::to_string(made) + " 后重试。原有文件未被改动。";
}

namespace {

std::string Part(size_t part, const std::string& gbk) {
  return "标题公式的第 " + std::to_string(part) + " 段“" + GbkToUtf8(gbk) + "”";
}

}  // namespace

std::string FormulaSyntax(size_t part, const std::string& text) {
  return Part(part, text) +
         "看不懂：每段是一个组名（可以加数量，如 属性:2、卖点:1-2、流量词:* 或 流量词:2-*），或代表中心词的 @，"
         "段与段之间用 + 隔开。";
}

std::string FormulaCount(size_t part, const std::string& text) {
  return Part(part, text) + "的数量不对：数量至少为 1，范围要从小到大（如 1-3）。";
}

std::string FormulaCoreTwice(size_t part) {
  return "标题公式的第 " + std::to_string(part) + " 段又是中心词 @：中心词在标题里只能有一个位置。";
}

std::string FormulaNoGroups(const std::string& path) {
  return "词库“" + path + "”没有分组：使用标题公式时，词库里每一组词条要以单独一行的 [组名] 开头，如 [品牌]。";
}

std::string FormulaGroupMissing(const std::string& path, size_t part, const std::string& group) {
  return "标题公式的第 " + std::to_string(part) + " 段用到的分组“" + GbkToUtf8(group) + "”在词库“" + path +
         "”中不存在（词库里要有一行 [" + GbkToUtf8(group) + "]），请检查组名。";
}

std::string FormulaTooLong(size_t part, const std::string& text, int32_t maxLength) {
  return Part(part, text) + "放不进标题：即使每组都用最短的词条，" + std::to_string(maxLength) +
         " 字节的长度也容不下中心词和到这一段为止必须取的词条。请加大单条标题长度，或减少公式要取的词条数。";
}

std::string FormulaBlockedByBannedWords(int tries) {
  return "连续 " + std::to_string(tries) +
         " 次都无法在避开违禁词的同时取够标题公式要求的词条（没有分隔符时，相邻的词条会连成违禁词）。请换一种分隔符或修改词库后重试。"
         "原有文件未被改动。";
}

std::string XlsxTooManyTitles(int64_t fit) {
  return "一个 Excel 工作表最多放 " + std::to_string(fit) + " 个标题（另有一行表头）。请把生成标题数量改为不超过 " +
         std::to_string(fit) + "，或保存为 CSV 或文本文件。";
}

std::string XlsxTitleTooLong(int64_t characters, int32_t maxLength) {
  return "Excel 的一个单元格最多放 " + std::to_string(characters) + " 个字符，单条标题长度 " +
         std::to_string(maxLength) + " 字节的标题可能放不下。请减小单条标题长度，或保存为 CSV 或文本文件。";
}

}  // namespace wordloom::msg
