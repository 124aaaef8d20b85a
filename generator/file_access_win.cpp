// Windows file access: wide-character paths throughout, so folders and files
// with Chinese names work whatever the system's ANSI code page is.
#include <windows.h>

#include <cstdint>
#include <string>

#include "file_access.h"

namespace wordloom {
namespace {

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string SystemText(DWORD err) {
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, err, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
  if (buf) LocalFree(buf);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  std::string reason = "系统错误 " + std::to_string(err);
  if (!text.empty()) reason += "：" + WideToUtf8(text);
  return reason;
}

std::string Reason(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return "文件或文件夹不存在";
    case ERROR_ACCESS_DENIED: return "没有访问权限";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "文件正被其他程序使用";
    case ERROR_DIRECTORY: return "路径中有一部分不是文件夹";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "磁盘空间不足";
    case ERROR_FILE_TOO_LARGE: return "文件超过了允许的大小";
    case ERROR_WRITE_PROTECT: return "磁盘是只读的";
    case ERROR_NOT_READY: return "设备未就绪";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE: return "读写设备出错";
    case ERROR_FILENAME_EXCED_RANGE: return "路径太长";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return "文件名无效";
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return "找不到网络路径";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "内存不足";
    default: return SystemText(err);
  }
}

bool Fail(std::string& reason, DWORD err) {
  reason = Reason(err);
  return false;
}

bool WriteAll(HANDLE h, const char* data, size_t size, std::string& reason) {
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(h, data, chunk, &written, nullptr)) return Fail(reason, GetLastError());
    if (written == 0) return Fail(reason, ERROR_WRITE_FAULT);
    data += written;
    size -= written;
  }
  return true;
}

// Device names (NUL, CON, COM1, \\.\pipe\x ...) are written directly: they
// cannot be replaced by a renamed file.
bool IsDevice(const std::filesystem::path& target) {
  const std::wstring& full = target.native();
  if (full.rfind(L"\\\\.\\", 0) == 0) return true;
  std::wstring stem = target.stem().wstring();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(towupper(c));
  while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'.')) stem.pop_back();
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" || stem == L"CONOUT$")
    return true;
  if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) && stem[3] >= L'1' &&
      stem[3] <= L'9')
    return true;
  return false;
}

}  // namespace

std::string PathForDisplay(const std::filesystem::path& path) { return WideToUtf8(path.wstring()); }

bool ReadWholeFile(const std::filesystem::path& path, std::string& out, std::string& reason) {
  const std::wstring wide = path.wstring();
  DWORD attrs = GetFileAttributesW(wide.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    reason = "这是一个文件夹，不是词库文件";
    return false;
  }
  // Others may keep the library open in an editor, even for writing.
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Fail(reason, GetLastError());
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    reason = "这不是普通文件";
    return false;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) {
    DWORD err = GetLastError();
    CloseHandle(h);
    return Fail(reason, err);
  }
  out.clear();
  if (static_cast<uint64_t>(size.QuadPart) >= static_cast<uint64_t>(out.max_size())) {
    CloseHandle(h);
    return Fail(reason, ERROR_NOT_ENOUGH_MEMORY);
  }
  try {
    out.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    CloseHandle(h);
    return Fail(reason, ERROR_NOT_ENOUGH_MEMORY);
  }
  size_t have = 0;
  for (;;) {
    if (have == out.size()) out.resize(have + 65536);  // the file grew while we read
    size_t room = out.size() - have;
    DWORD chunk = room > 0x10000000 ? 0x10000000 : static_cast<DWORD>(room);
    DWORD got = 0;
    if (!ReadFile(h, &out[have], chunk, &got, nullptr)) {
      DWORD err = GetLastError();
      CloseHandle(h);
      out.clear();
      return Fail(reason, err);
    }
    if (got == 0) break;
    have += got;
  }
  CloseHandle(h);
  out.resize(have);
  return true;
}

struct OutputFile::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool ownsHandle = true;
  std::wstring tempPath;  // empty when writing directly
  std::wstring targetPath;
};

OutputFile::~OutputFile() { Abort(); }

bool OutputFile::Open(const std::filesystem::path& target, std::string& reason) {
  Abort();
  const std::wstring wide = target.wstring();
  DWORD attrs = GetFileAttributesW(wide.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    reason = "这是一个文件夹";
    return false;
  }
  impl_ = new Impl;
  if (IsDevice(target)) {
    impl_->handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (impl_->handle == INVALID_HANDLE_VALUE) {
      DWORD err = GetLastError();
      Abort();
      return Fail(reason, err);
    }
    return true;
  }
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) {
    // MoveFileExW would refuse only at the end; say so before writing.
    Abort();
    return Fail(reason, ERROR_ACCESS_DENIED);
  }
  impl_->targetPath = wide;
  std::filesystem::path dir = target.parent_path();
  const std::wstring base = L"." + target.filename().wstring() + L".wordloom-";
  // The temporary file sits in the target's folder, so the final move stays
  // on one volume and is a rename.
  DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t suffix[16];
    wsprintfW(suffix, L"%06lx", static_cast<unsigned long>((seed + attempt * 7919u) & 0xFFFFFFu));
    std::wstring temp = (dir / (base + suffix)).wstring();
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      impl_->handle = h;
      impl_->tempPath = temp;
      return true;
    }
    DWORD err = GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) {
      Abort();
      return Fail(reason, err);
    }
  }
  Abort();
  return Fail(reason, ERROR_FILE_EXISTS);
}

bool OutputFile::OpenStandardOutput(std::string& reason) {
  Abort();
  HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return Fail(reason, ERROR_INVALID_HANDLE);
  impl_ = new Impl;
  impl_->handle = h;
  impl_->ownsHandle = false;
  return true;
}

bool OutputFile::Write(const char* data, size_t size, std::string& reason) {
  if (!impl_ || impl_->handle == INVALID_HANDLE_VALUE) return Fail(reason, ERROR_INVALID_HANDLE);
  return WriteAll(impl_->handle, data, size, reason);
}

bool OutputFile::Commit(std::string& reason) {
  if (!impl_) return Fail(reason, ERROR_INVALID_HANDLE);
  HANDLE h = impl_->handle;
  impl_->handle = INVALID_HANDLE_VALUE;
  if (impl_->ownsHandle) {
    // Flush first so a full disk is reported here, not lost at close.
    bool ok = impl_->tempPath.empty() || FlushFileBuffers(h);
    DWORD err = ok ? 0 : GetLastError();
    if (!CloseHandle(h) && ok) {
      ok = false;
      err = GetLastError();
    }
    if (!ok) {
      Abort();
      return Fail(reason, err);
    }
  }
  if (!impl_->tempPath.empty() &&
      !MoveFileExW(impl_->tempPath.c_str(), impl_->targetPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD err = GetLastError();
    Abort();
    return Fail(reason, err);
  }
  delete impl_;
  impl_ = nullptr;
  return true;
}

void OutputFile::Abort() {
  if (!impl_) return;
  if (impl_->handle != INVALID_HANDLE_VALUE && impl_->ownsHandle) CloseHandle(impl_->handle);
  if (!impl_->tempPath.empty()) DeleteFileW(impl_->tempPath.c_str());
  delete impl_;
  impl_ = nullptr;
}

// Windows has no file-size signal; a too-large file fails its write.
void IgnoreFileSizeSignal() {}

}  // namespace wordloom
