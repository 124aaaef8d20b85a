#include "wordloom/messages.h"

#include "env.h"
#include "status.h"
#include "wordloom/text.h"

namespace wordloom {

std::string ReasonText(const Status& status) {
  switch (status.code) {
    case Status::kOk: return "";
    case Status::kNotFound: return "文件或文件夹不存在";
    case Status::kNoAccess: return "没有访问权限";
    case Status::kIsFolder: return "这是一个文件夹";
    case Status::kNotAFolder: return "路径中有一部分不是文件夹";
    case Status::kNotRegularFile: return "这不是普通文件";
    case Status::kNoSpace: return "磁盘空间不足";
    case Status::kQuotaFull: return "磁盘配额已用完";
    case Status::kTooLarge: return "文件超过了允许的大小";
    case Status::kReadOnlyDisk: return "磁盘是只读的";
    case Status::kReadOnlyFile: return "文件是只读的";
    case Status::kDeviceError: return "读写设备出错";
    case Status::kNameTooLong: return "路径太长";
    case Status::kLinkLoop: return "符号链接层数太多";
    case Status::kNoMemory: return "内存不足";
    case Status::kInUse: return "文件正被其他程序使用";
    case Status::kBadName: return "文件名无效";
    case Status::kNoNetworkPath: return "找不到网络路径";
    case Status::kNotReady: return "设备未就绪";
    case Status::kOther: break;
  }
  const std::string text = SystemErrorText(status.systemError);
  return "系统错误 " + std::to_string(status.systemError) + (text.empty() ? "" : "：" + text);
}

namespace msg {

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

}  // namespace msg
}  // namespace wordloom
