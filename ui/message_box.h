#pragma once
#include <wx/string.h>
#include <wx/window.h>

namespace wordloom::ui {

// The program's message: modal over `owner`, OK only, no icon, the
// application's name as caption.
void ShowAppMessage(wxWindow* owner, const wxString& text);

// A modal yes/no question with the same caption; true for yes. No is the
// default, so a stray Enter changes nothing.
bool AskAppQuestion(wxWindow* owner, const wxString& text);

}  // namespace wordloom::ui
