#include "about_dlg.h"

#include <wx/button.h>

#include "app_icons.h"
#include "dialog_templates.h"
#include "template_builder.h"

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, IDD_ABOUTBOX, wxString(), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  wordloom::ui::BuildFromTemplate(*this, wordloom::res::AboutBoxTemplate());
  SetIcons(wordloom::ui::AppIcons());
  // The only button is IDOK: Enter, Esc and the close box all end here.
  SetAffirmativeId(IDOK);
  SetEscapeId(IDOK);
  Bind(wxEVT_BUTTON, &CAboutDlg::OnOK, this, IDOK);
  CentreOnParent();
}

void CAboutDlg::OnOK(wxCommandEvent&) { EndModal(IDOK); }
