#include "file_choosers.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include <algorithm>
#include <iterator>

#include "message_box.h"

namespace wordloom::ui {
namespace {

// "*.*" matches every file on Windows; GTK takes it literally and would hide
// names without a dot, so there the same entry uses "*".
#ifdef __WXMSW__
#define WORDLOOM_ALL_FILES "*.*"
#else
#define WORDLOOM_ALL_FILES "*"
#endif

const char kOpenFilter[] = "txt文件 (*.txt)|*.txt|所有文件(*.*)|" WORDLOOM_ALL_FILES;
// The two entries of the title file first, then those of the other formats:
// the entry chosen decides the format, and the extension a name typed
// without one gets.
const char kSaveFilter[] =
    "文本文件(*.txt)|*.txt|所有文件(*.*)|" WORDLOOM_ALL_FILES "|CSV 文件(*.csv)|*.csv|Excel 工作簿(*.xlsx)|*.xlsx";
constexpr OutputFormat::Kind kSaveFormats[] = {OutputFormat::kTxt, OutputFormat::kTxt, OutputFormat::kCsv,
                                               OutputFormat::kXlsx};
const char kOpenTitle[] = "打开";
const char kSaveTitle[] = "另存为";
// Windows' chooser adds the selected filter's extension to a name typed
// without one, so "test" there is saved as test.txt. GTK's chooser adds
// nothing and shows the name as the file will be called.
#ifdef __WXMSW__
const char kDefaultName[] = "test";
#else
const char kDefaultName[] = "test.txt";
#endif

bool IsPathSeparator(wxUniChar c) {
#ifdef __WXMSW__
  return c == '\\' || c == '/' || c == ':';
#else
  return c == '/';
#endif
}

}  // namespace

std::filesystem::path ToFsPath(const wxString& path) {
#ifdef __WXMSW__
  return std::filesystem::path(path.ToStdWstring());
#else
  const wxCharBuffer bytes = path.fn_str();
  return std::filesystem::path(std::string(bytes.data() ? bytes.data() : ""));
#endif
}

wxString FromFsPath(const std::filesystem::path& path) {
#ifdef __WXMSW__
  return wxString(path.wstring());
#else
  return wxString(path.string().c_str(), *wxConvFileName);
#endif
}

wxString WithDefaultExtension(const wxString& path, const wxString& ext) {
  size_t nameStart = path.length();
  while (nameStart > 0 && !IsPathSeparator(path[nameStart - 1])) --nameStart;
  const wxString name = path.Mid(nameStart);
  if (name.empty()) return path;
  const size_t dot = name.rfind('.');
  if (dot != wxString::npos && dot > 0) return path;
  return path + "." + ext;
}

std::optional<std::filesystem::path> ChooseLibraryFile(wxWindow* owner) {
  wxFileDialog chooser(owner, wxString::FromUTF8(kOpenTitle), wxString(), wxString(), wxString::FromUTF8(kOpenFilter),
                       wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (chooser.ShowModal() != wxID_OK) return std::nullopt;
  const wxString path = chooser.GetPath();
  if (path.empty()) return std::nullopt;
  return ToFsPath(path);
}

std::optional<std::filesystem::path> ChooseSaveFile(wxWindow* owner, OutputFormat& format) {
  wxString folder;
  wxString name = wxString::FromUTF8(kDefaultName);
  int entry = 0;
  for (;;) {
    wxFileDialog chooser(owner, wxString::FromUTF8(kSaveTitle), folder, name, wxString::FromUTF8(kSaveFilter),
                         wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    chooser.SetFilterIndex(entry);
    if (chooser.ShowModal() != wxID_OK) return std::nullopt;
    wxString typed = chooser.GetPath();
    if (typed.empty()) return std::nullopt;
    entry = std::clamp(chooser.GetFilterIndex(), 0, static_cast<int>(std::size(kSaveFormats)) - 1);
    OutputFormat chosen = format;
    chosen.kind = kSaveFormats[entry];
    const wxString ext = chosen.extension();
    // GTK leaves the proposed test.txt as it is under another entry: the
    // name proposed follows the entry too.
    if (chosen.kind != OutputFormat::kTxt && wxFileName(typed).GetFullName() == wxString::FromUTF8(kDefaultName))
      typed = wxFileName(wxFileName(typed).GetPath(), "test", ext).GetFullPath();
    const wxString path = WithDefaultExtension(typed, ext);
    // The chooser's own overwrite prompt only saw the name without ".txt".
    if (path != typed && wxFileName::Exists(path)) {
      const wxFileName fn(path);
      const wxString question = wxString::Format(wxString::FromUTF8("“%s”已存在。\n要替换它吗？"), fn.GetFullName());
      if (!AskAppQuestion(owner, question)) {
        folder = fn.GetPath();
        name = fn.GetFullName();
        continue;
      }
    }
    format = chosen;
    return ToFsPath(path);
  }
}

}  // namespace wordloom::ui
