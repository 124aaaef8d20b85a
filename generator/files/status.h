#pragma once
#include <string>

namespace wordloom {

// What a file operation came to. The code is what messages are made from;
// the system's own error number only names the rest.
struct Status {
  enum Code {
    kOk,
    kNotFound,
    kNoAccess,
    kIsFolder,
    kNotAFolder,       // a part of the path is not a folder
    kNotRegularFile,   // a library that is a pipe, a device ...
    kNoSpace,
    kQuotaFull,
    kTooLarge,
    kReadOnlyDisk,
    kReadOnlyFile,     // the target's read-only bit is set
    kDeviceError,
    kNameTooLong,
    kLinkLoop,
    kNoMemory,
    kInUse,
    kBadName,
    kNoNetworkPath,
    kNotReady,
    kNoWorkbookLibrary,  // libxlsxwriter, opened on the first workbook
    kOther,
  };

  Code code = kOk;
  long systemError = 0;  // errno or GetLastError()

  bool ok() const { return code == kOk; }
  static Status Ok() { return {}; }
  static Status Of(Code code, long systemError = 0) { return {code, systemError}; }
};

// The reason a user reads (Chinese, UTF-8).
std::string ReasonText(const Status& status);

}  // namespace wordloom
