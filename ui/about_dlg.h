#pragma once
#include <wx/dialog.h>

// The About box (IDD_ABOUTBOX): icon, name and version, and "确定".
class CAboutDlg : public wxDialog {
 public:
  explicit CAboutDlg(wxWindow* parent = nullptr);

 private:
  void OnOK(wxCommandEvent& event);
};
