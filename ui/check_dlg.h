#pragma once
#include <wx/dialog.h>
#include <wx/textctrl.h>

// A report as text the user can select and copy: the library check's
// (检查词库) with the last run's, or a preview's (预览) titles and their
// report. Resizable; closes with "关闭", Esc or the close box.
class CCheckDlg : public wxDialog {
 public:
  // "复制全部" copies `copied`, the whole text when it is empty.
  CCheckDlg(wxWindow* parent, const wxString& report, const wxString& caption = wxString::FromUTF8("检查词库"),
            const wxString& copied = wxString());

  wxTextCtrl* text() const { return m_text; }
  const wxString& copied() const { return m_copied; }
  // Puts what "复制全部" copies on the clipboard; false when the clipboard could not be opened.
  bool CopyAll();

 private:
  wxTextCtrl* m_text = nullptr;
  wxString m_copied;
};
