#pragma once
#include <vector>

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/choice.h>
#include <wx/stattext.h>

#include "wordloom/formula.h"
#include "wordloom/listing.h"

// The title formula (标题公式), built from the chosen library's groups
// without typing its text: a group and its count go in as a slot, slots
// move up and down or go; the core word has a slot that moves but stays.
// OK (确定) keeps the formula; 取消 and Esc drop what was changed. A
// formula of the core word alone is no formula.
class CFormulaDlg : public wxDialog {
 public:
  CFormulaDlg(wxWindow* parent, const std::vector<wordloom::GroupSummary>& groups,
              const std::vector<wordloom::FormulaSlot>& slots);

  // The slots as they stand; empty when they are no formula.
  std::vector<wordloom::FormulaSlot> formula() const;

  wxListBox* groupList() const { return m_groups; }
  // How many of a group the next slot takes, at least and at most (0 .. 20
  // and 1 .. 20), as the two lists are set.
  void SetCounts(int least, int most);
  wxCheckBox* asManyAsFit() const { return m_fill; }
  wxStaticText* formulaText() const { return m_text; }

  // The buttons' work: the chosen group with the counts set; the chosen
  // slot one place up (-1) or down (+1); the chosen slot gone; every group's.
  void AddGroup();
  void MoveSlot(int by);
  void RemoveSlot();
  void Clear();

 private:
  void ShowSlots(int select);
  void ShowCounts();
  int Least() const;
  int Most() const;

  std::vector<wordloom::GroupSummary> m_groupInfo;
  std::vector<wordloom::FormulaSlot> m_formula;
  wxListBox* m_groups = nullptr;
  wxListBox* m_slots = nullptr;
  wxChoice* m_least = nullptr;
  wxChoice* m_most = nullptr;
  wxCheckBox* m_fill = nullptr;
  wxStaticText* m_text = nullptr;
};
