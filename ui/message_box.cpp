#include "message_box.h"

#include <wx/msgdlg.h>

#include "dialog_templates.h"

namespace wordloom::ui {

void ShowAppMessage(wxWindow* owner, const wxString& text) {
  wxMessageDialog box(owner, text, wxString::FromUTF8(res::kAppName), wxOK | wxICON_NONE | wxCENTRE);
  box.ShowModal();
}

bool AskAppQuestion(wxWindow* owner, const wxString& text) {
  wxMessageDialog box(owner, text, wxString::FromUTF8(res::kAppName),
                      wxYES_NO | wxNO_DEFAULT | wxICON_WARNING | wxCENTRE);
  return box.ShowModal() == wxID_YES;
}

}  // namespace wordloom::ui
