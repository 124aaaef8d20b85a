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

}  // namespace wordloom::msg
