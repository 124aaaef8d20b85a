#pragma once
#include <filesystem>

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include "wordloom/listing.h"

// The rules of a run (生成规则) and the banned-word list they and the checks
// use: the built-in list or a file. Shows the choices it is given; OK
// (确定) keeps what was changed, 取消 and Esc drop it.
class CRulesDlg : public wxDialog {
 public:
  CRulesDlg(wxWindow* parent, const wordloom::TitleRules& rules, const std::filesystem::path& bannedList);

  wordloom::TitleRules rules() const;
  // The list file, or an empty path for the built-in list.
  std::filesystem::path bannedList() const;

  wxCheckBox* ruleBox(int i) const { return m_rules[i]; }
  wxRadioButton* builtInChoice() const { return m_builtIn; }
  wxRadioButton* fileChoice() const { return m_file; }
  // Asks for a list file; keeps the old choice when the chooser is cancelled.
  void ChooseListFile();

 private:
  void ShowList();

  wxCheckBox* m_rules[4] = {};
  wxRadioButton* m_builtIn = nullptr;
  wxRadioButton* m_file = nullptr;
  wxStaticText* m_path = nullptr;
  std::filesystem::path m_list;
};
