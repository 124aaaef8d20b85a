#include "status.h"

#include "env.h"

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
    case Status::kNoWorkbookLibrary: return "无法载入写 Excel 文件所需的 libxlsxwriter 库";
    case Status::kOther: break;
  }
  const std::string text = SystemErrorText(status.systemError);
  return "系统错误 " + std::to_string(status.systemError) + (text.empty() ? "" : "：" + text);
}

}  // namespace wordloom
