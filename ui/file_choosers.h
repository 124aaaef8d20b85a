#pragma once
#include <filesystem>
#include <optional>

#include <wx/string.h>
#include <wx/window.h>

#include "wordloom/formats.h"

namespace wordloom::ui {

// The file name as the file system sees it (bytes on POSIX, UTF-16 on Windows).
std::filesystem::path ToFsPath(const wxString& path);
// And back, for showing it.
wxString FromFsPath(const std::filesystem::path& path);

// The open chooser of "打开词库": an existing file, or nothing when cancelled.
std::optional<std::filesystem::path> ChooseLibraryFile(wxWindow* owner);

// The save chooser of the generate command: proposes "test" (Windows, whose
// chooser adds the filter's ".txt") or "test.txt" (GTK) with the text file
// filter; a name typed without an extension gets the chosen entry's (".txt",
// ".csv", ".xlsx"), and an existing file is only replaced after the user
// agreed. The entry sets `format`'s kind.
std::optional<std::filesystem::path> ChooseSaveFile(wxWindow* owner, OutputFormat& format);

// `path` with "." + `ext` appended when its last component has no extension
// (no dot after the first character); otherwise `path` unchanged.
wxString WithDefaultExtension(const wxString& path, const wxString& ext);

}  // namespace wordloom::ui
