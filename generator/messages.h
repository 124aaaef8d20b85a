#pragma once
#include <string>

// Everything the generation run tells the user, as UTF-8. Front ends convert
// to whatever their surface needs (terminal encoding, wxString).
namespace wordloom::msg {

inline const char kCoreWordRequired[] = "标题中心词为必填项，请填写！！！";
inline const char kLengthRequired[] = "单条标题长度为必填项，请填写！！！";
inline const char kCountRequired[] = "生成标题数量必填项，请填写！！！";
inline const char kNoLibraryChosen[] = "请先点击“打开词库”选择词库文件！！！";
inline const char kCoreWordNotGbk[] = "标题中心词含有无法用 GBK 编码表示的字符，请修改后重试！！！";

inline std::string LibraryUnreadable(const std::string& path, const std::string& reason) {
  return "无法读取词库文件“" + path + "”：" + reason;
}
inline std::string LibraryNotGbk(const std::string& path, size_t line) {
  return "词库文件“" + path + "”第 " + std::to_string(line) +
         " 行含有无法用 GBK 编码表示的字符，请修改后重试！！！";
}
inline std::string LibraryNotUtf(const std::string& path, size_t line, const char* encoding) {
  return "词库文件“" + path + "”第 " + std::to_string(line) + " 行不是有效的 " + encoding +
         " 文本，请修改后重试！！！";
}
inline std::string NothingToDraw(const std::string& path) {
  return "词库“" + path + "”中没有可供组合的词语（除中心词外至少还要有一行），请检查词库文件！！！";
}
inline std::string TitleFileUnwritable(const std::string& path, const std::string& reason) {
  return "无法写入标题文件“" + path + "”：" + reason + "。原有文件未被改动。";
}

}  // namespace wordloom::msg
