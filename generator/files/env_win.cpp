// The Windows platform: wide-character paths throughout, so folders and
// files with Chinese names work whatever the system's ANSI code page is.
#include <windows.h>

#include <cstdint>
#include <new>
#include <string>

#include "env.h"

namespace wordloom {
namespace {

Status FromError(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return Status::Of(Status::kNotFound, static_cast<long>(err));
    case ERROR_ACCESS_DENIED: return Status::Of(Status::kNoAccess, static_cast<long>(err));
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return Status::Of(Status::kInUse, static_cast<long>(err));
    case ERROR_DIRECTORY: return Status::Of(Status::kNotAFolder, static_cast<long>(err));
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return Status::Of(Status::kNoSpace, static_cast<long>(err));
    case ERROR_FILE_TOO_LARGE: return Status::Of(Status::kTooLarge, static_cast<long>(err));
    case ERROR_WRITE_PROTECT: return Status::Of(Status::kReadOnlyDisk, static_cast<long>(err));
    case ERROR_NOT_READY: return Status::Of(Status::kNotReady, static_cast<long>(err));
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE: return Status::Of(Status::kDeviceError, static_cast<long>(err));
    case ERROR_FILENAME_EXCED_RANGE: return Status::Of(Status::kNameTooLong, static_cast<long>(err));
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return Status::Of(Status::kBadName, static_cast<long>(err));
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return Status::Of(Status::kNoNetworkPath, static_cast<long>(err));
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return Status::Of(Status::kNoMemory, static_cast<long>(err));
    default: return Status::Of(Status::kOther, static_cast<long>(err));
  }
}

Status LastError() { return FromError(GetLastError()); }

HANDLE H(Env::Handle handle) { return reinterpret_cast<HANDLE>(handle); }

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// Device names (NUL, CON, COM1, \\.\pipe\x ...) cannot be replaced by a
// renamed file.
bool IsDevice(const std::filesystem::path& target) {
  const std::wstring& full = target.native();
  if (full.rfind(L"\\\\.\\", 0) == 0) return true;
  std::wstring stem = target.stem().wstring();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(towupper(c));
  while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'.')) stem.pop_back();
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" || stem == L"CONOUT$")
    return true;
  return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) && stem[3] >= L'1' &&
         stem[3] <= L'9';
}

class WindowsEnv final : public Env {
 public:
  Status ReadFile(const std::filesystem::path& path, Bytes& out) override {
    const std::wstring wide = path.wstring();
    const DWORD attrs = GetFileAttributesW(wide.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) return Status::Of(Status::kIsFolder);
    // Others may keep the library open in an editor, even for writing.
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    struct Closer {
      HANDLE h;
      ~Closer() { CloseHandle(h); }
    } closer{h};
    if (GetFileType(h) != FILE_TYPE_DISK) return Status::Of(Status::kNotRegularFile);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) return LastError();
    if (static_cast<uint64_t>(size.QuadPart) >= SIZE_MAX / 2) throw std::bad_alloc();
    out.Resize(static_cast<size_t>(size.QuadPart));
    size_t have = 0;
    for (;;) {
      if (have == out.size()) out.Resize(have + 65536);  // the file grew while we read
      const size_t room = out.size() - have;
      const DWORD chunk = room > 0x10000000 ? 0x10000000 : static_cast<DWORD>(room);
      DWORD got = 0;
      if (!::ReadFile(h, out.data() + have, chunk, &got, nullptr)) return LastError();
      if (got == 0) break;
      have += got;
    }
    out.Resize(have);
    return Status::Ok();
  }

  Status Inspect(const std::filesystem::path& path, PathInfo& info) override {
    info = PathInfo();
    if (IsDevice(path)) {
      info.kind = Kind::kOther;
      return Status::Ok();
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.wstring().c_str(), GetFileExInfoStandard, &data)) {
      const DWORD err = GetLastError();
      if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return Status::Ok();
      return FromError(err);
    }
    info.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::kFolder : Kind::kRegular;
    info.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info.mode = data.dwFileAttributes;
    return Status::Ok();
  }

  bool ReadLink(const std::filesystem::path& path, std::filesystem::path& target) override {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) return false;
    target = std::filesystem::read_symlink(path, ec);
    return !ec;
  }

  Status CreateTemp(const std::filesystem::path& target, std::filesystem::path& temp, Handle& handle) override {
    // In the target's folder, so the final move stays on one volume.
    const std::wstring base = L"." + target.filename().wstring() + L".wordloom-";
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < 100; ++attempt) {
      wchar_t suffix[16];
      wsprintfW(suffix, L"%06lx", static_cast<unsigned long>((seed + attempt * 7919u) & 0xFFFFFFu));
      const std::filesystem::path candidate = target.parent_path() / (base + suffix);
      const HANDLE h = CreateFileW(candidate.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        temp = candidate;
        handle = reinterpret_cast<Handle>(h);
        return Status::Ok();
      }
      const DWORD err = GetLastError();
      if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return FromError(err);
    }
    return FromError(ERROR_FILE_EXISTS);
  }

  Status OpenForWriting(const std::filesystem::path& path, Handle& handle) override {
    const HANDLE h = CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    handle = reinterpret_cast<Handle>(h);
    return Status::Ok();
  }

  Status StandardOutput(Handle& handle) override {
    const HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return FromError(ERROR_INVALID_HANDLE);
    handle = reinterpret_cast<Handle>(h);
    stdout_ = h;
    return Status::Ok();
  }

  Status Write(Handle handle, const char* data, size_t size) override {
    while (size > 0) {
      const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(H(handle), data, chunk, &written, nullptr)) return LastError();
      if (written == 0) return FromError(ERROR_WRITE_FAULT);
      data += written;
      size -= written;
    }
    return Status::Ok();
  }

  // A new file's attributes are the normal ones; a replaced file's read-only
  // bit is never set (such a target is refused).
  Status SetMode(Handle, uint32_t) override { return Status::Ok(); }
  uint32_t NewFileMode() override { return FILE_ATTRIBUTE_NORMAL; }

  Status Sync(Handle handle) override {
    if (FlushFileBuffers(H(handle))) return Status::Ok();
    const DWORD err = GetLastError();
    return err == ERROR_INVALID_HANDLE || err == ERROR_INVALID_FUNCTION ? Status::Ok() : FromError(err);
  }

  Status Close(Handle handle) override {
    if (H(handle) == stdout_) return Status::Ok();
    return CloseHandle(H(handle)) ? Status::Ok() : LastError();
  }

  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    // Write-through: the rename itself is on the disk when this returns.
    if (MoveFileExW(from.wstring().c_str(), to.wstring().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return Status::Ok();
    return LastError();
  }

  Status SyncFolder(const std::filesystem::path&) override { return Status::Ok(); }

  Status Remove(const std::filesystem::path& path) override {
    return DeleteFileW(path.wstring().c_str()) ? Status::Ok() : LastError();
  }

  std::string Display(const std::filesystem::path& path) override { return WideToUtf8(path.wstring()); }

 private:
  HANDLE stdout_ = nullptr;
};

}  // namespace

Env& Env::Platform() {
  static WindowsEnv env;
  return env;
}

Status NewScratchFolder(std::filesystem::path& folder) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return LastError();
  // Tried names until one is new: CreateDirectory refuses one that exists.
  for (DWORD tries = 0, seed = GetTickCount() ^ GetCurrentProcessId(); tries < 100; ++tries) {
    const std::filesystem::path candidate =
        std::filesystem::path(temp) / (L"wordloom-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(seed + tries));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      folder = candidate;
      return Status::Ok();
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return LastError();
  }
  return Status::Of(Status::kOther, ERROR_ALREADY_EXISTS);
}

std::string NarrowPath(const std::filesystem::path& path) {
  const std::wstring& full = path.native();
  std::wstring shortPath(full.size() + 1, L'\0');
  const DWORD n = GetShortPathNameW(full.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  if (n == 0 || n >= shortPath.size()) return WideToUtf8(full);
  shortPath.resize(n);
  return WideToUtf8(shortPath);
}

std::string SystemErrorText(long systemError) {
  wchar_t* buf = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(systemError), 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
  if (buf) LocalFree(buf);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  return WideToUtf8(text);
}

}  // namespace wordloom
