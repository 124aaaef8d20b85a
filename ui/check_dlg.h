#pragma once
#include <wx/dialog.h>
#include <wx/textctrl.h>

// The library check (检查词库): its report, and the last run's, as text the
// user can select and copy. Resizable; closes with "关闭", Esc or the close box.
class CCheckDlg : public wxDialog {
 public:
  CCheckDlg(wxWindow* parent, const wxString& report);

  wxTextCtrl* text() const { return m_text; }
  // Puts the whole report on the clipboard; false when the clipboard could not be opened.
  bool CopyAll();

 private:
  wxTextCtrl* m_text = nullptr;
};
