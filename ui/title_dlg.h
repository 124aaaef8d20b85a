#pragma once
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/iconbndl.h>

#include <optional>
#include <vector>

#include "wordloom/session.h"

// The program's one window (IDD_TITLE_DIALOG): the four inputs, "打开词库",
// "开始组合" (default, also Enter) and "退出" (also Esc and the close box).
class CTitleDlg : public wxDialog {
 public:
  explicit CTitleDlg(wxWindow* parent = nullptr);

  // System commands: the About entry opens the About box, the check entry
  // the library check and the rules entry the rules; on GTK the close entry
  // of the dialog's context menu closes it, on Windows every other command
  // gets the default processing.
  void OnSysCommand(unsigned nID, long lParam = 0);

  // The generate command: runs a generation with the fields' contents. The
  // dialog stays open and the fields keep their values.
  void OnOK(wxCommandEvent& event);
  void OnCancel(wxCommandEvent& event);
  void OnOpenLibrary(wxCommandEvent& event);

  wxComboBox* separatorList() const { return m_cbSeparator; }
  // The library check: the report on the chosen library with the fields as
  // they are, and the last run's report.
  void OnCheckLibrary();
  // The preview: the first titles the next run would write with the fields,
  // rules and formula as they are, and the report on them; writes nothing.
  void OnPreview();
  // The rules window; its choices hold until the program ends.
  void OnRules();
  const wordloom::TitleRules& rules() const { return m_rules; }
  void SetRules(const wordloom::TitleRules& rules);
  // The formula window, from the chosen library's groups; its formula holds
  // until the program ends. Empty slots: no formula.
  void OnFormula();
  const std::vector<wordloom::FormulaSlot>& formula() const { return m_formula; }
  void SetFormula(std::vector<wordloom::FormulaSlot> slots);
  // What lasts between generate commands: the chosen library, the random sequence.
  wordloom::Session& session() { return m_session; }

 private:
  void OnInitDialog(wxInitDialogEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnMenuCommand(wxCommandEvent& event);
  void ShowSystemMenu(const wxPoint& screenPos);
  // The caption names quietly what makes titles look different.
  void ShowCaption();
  wxString FieldText(int id) const;
  // The fields as a run reads them; nothing (after the message) when the
  // core word has no GBK form.
  std::optional<wordloom::RunInputs> Inputs();

#ifdef __WXMSW__
  WXLRESULT MSWWindowProc(WXUINT nMsg, WXWPARAM wParam, WXLPARAM lParam) override;
  void OnPaint(wxPaintEvent& event);
  WXHICON OnQueryDragIcon();
#endif

  wxComboBox* m_cbSeparator = nullptr;
  wxIconBundle m_hIcon;
  wordloom::Session m_session;
  wordloom::TitleRules m_rules;
  std::vector<wordloom::FormulaSlot> m_formula;
};
