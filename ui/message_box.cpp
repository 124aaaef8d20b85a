#include "message_box.h"

#include <wx/msgdlg.h>

#include "dialog_templates.h"

#ifdef __WXMSW__
#include <wx/filename.h>
#include <wx/stdpaths.h>
#endif

namespace wordloom::ui {
namespace {

wxString Caption() {
#ifdef __WXMSW__
  // The executable's own name without ".exe", as Windows dialog programs
  // caption their message boxes.
  const wxString name = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetName();
  if (!name.empty()) return name;
#endif
  return wxString::FromUTF8(res::kAppName);
}

}  // namespace

void ShowAppMessage(wxWindow* owner, const wxString& text) {
  // The standard buttons are the toolkit's: labelled in the desktop's
  // language, like every other program's.
  wxMessageDialog box(owner, text, Caption(), wxOK | wxICON_NONE | wxCENTRE);
  box.ShowModal();
}

bool AskAppQuestion(wxWindow* owner, const wxString& text) {
  wxMessageDialog box(owner, text, Caption(),
                      wxYES_NO | wxNO_DEFAULT | wxICON_WARNING | wxCENTRE);
  return box.ShowModal() == wxID_YES;
}

}  // namespace wordloom::ui
