#include "formula_dlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/sizer.h>

#include "app_icons.h"
#include "dialog_units.h"
#include "wordloom/messages.h"
#include "wordloom/text.h"

using wordloom::FormulaSlot;

namespace {

enum { kIdAdd = wxID_HIGHEST + 1, kIdUp, kIdDown, kIdRemove, kIdClear };
constexpr int kMostCount = 20;

wxString Utf8(const std::string& utf8) { return wxString::FromUTF8(utf8); }

}  // namespace

CFormulaDlg::CFormulaDlg(wxWindow* parent, const std::vector<wordloom::GroupSummary>& groups,
                         const std::vector<FormulaSlot>& slots)
    : wxDialog(parent, wxID_ANY, Utf8("标题公式"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER),
      m_groupInfo(groups),
      m_formula(slots) {
  if (std::none_of(m_formula.begin(), m_formula.end(), [](const FormulaSlot& s) { return s.core; }))
    m_formula.insert(m_formula.begin(), FormulaSlot{true, "", 1, 1, 0});
  SetFont(wordloom::ui::DialogFont("宋体", 9));
  SetIcons(wordloom::ui::AppIcons());
  const int gap = FromDIP(8);

  auto* left = new wxBoxSizer(wxVERTICAL);
  left->Add(new wxStaticText(this, wxID_ANY, Utf8("词库的分组(&G)：")), 0, wxBOTTOM, gap / 2);
  m_groups = new wxListBox(this, wxID_ANY);
  for (const wordloom::GroupSummary& g : m_groupInfo)
    m_groups->Append(Utf8(wordloom::GbkToUtf8(g.name) + "（" + std::to_string(g.distinct) + " 个词条）"));
  if (!m_groupInfo.empty()) m_groups->SetSelection(0);
  left->Add(m_groups, 1, wxEXPAND);
  auto* counts = new wxFlexGridSizer(2, gap / 2, gap);
  m_least = new wxChoice(this, wxID_ANY);
  m_most = new wxChoice(this, wxID_ANY);
  for (int n = 0; n <= kMostCount; ++n) {
    m_least->Append(wxString::Format("%d", n));
    if (n > 0) m_most->Append(wxString::Format("%d", n));
  }
  SetCounts(1, 1);
  counts->Add(new wxStaticText(this, wxID_ANY, Utf8("最少取(&L)：")), 0, wxALIGN_CENTER_VERTICAL);
  counts->Add(m_least);
  counts->Add(new wxStaticText(this, wxID_ANY, Utf8("最多取(&M)：")), 0, wxALIGN_CENTER_VERTICAL);
  counts->Add(m_most);
  left->Add(counts, 0, wxTOP, gap);
  m_fill = new wxCheckBox(this, wxID_ANY, Utf8("尽量多(&A)：放得下就继续取"));
  left->Add(m_fill, 0, wxTOP, gap / 2);
  left->Add(new wxButton(this, kIdAdd, Utf8("添加到公式(&D) →")), 0, wxTOP, gap);

  auto* right = new wxBoxSizer(wxVERTICAL);
  right->Add(new wxStaticText(this, wxID_ANY, Utf8("公式，标题按这个顺序组合(&S)：")), 0, wxBOTTOM, gap / 2);
  m_slots = new wxListBox(this, wxID_ANY);
  right->Add(m_slots, 1, wxEXPAND);
  auto* moves = new wxBoxSizer(wxHORIZONTAL);
  moves->Add(new wxButton(this, kIdUp, Utf8("上移(&U)")), 0, wxRIGHT, gap / 2);
  moves->Add(new wxButton(this, kIdDown, Utf8("下移(&N)")), 0, wxRIGHT, gap / 2);
  moves->Add(new wxButton(this, kIdRemove, Utf8("删除(&R)")), 0, wxRIGHT, gap / 2);
  moves->Add(new wxButton(this, kIdClear, Utf8("清空(&E)")));
  right->Add(moves, 0, wxTOP, gap / 2);

  auto* columns = new wxBoxSizer(wxHORIZONTAL);
  columns->Add(left, 2, wxEXPAND | wxRIGHT, gap);
  columns->Add(right, 3, wxEXPAND);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(columns, 1, wxEXPAND | wxALL, gap);
  m_text = new wxStaticText(this, wxID_ANY, wxString());
  top->Add(m_text, 0, wxEXPAND | wxLEFT | wxRIGHT, gap);
  top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALIGN_RIGHT | wxALL, gap);
  if (auto* ok = wxDynamicCast(FindWindow(wxID_OK), wxButton)) ok->SetLabel(Utf8("确定"));
  if (auto* cancel = wxDynamicCast(FindWindow(wxID_CANCEL), wxButton)) cancel->SetLabel(Utf8("取消"));
  SetSizer(top);
  SetSize(FromDIP(wxSize(600, 420)));
  SetMinSize(FromDIP(wxSize(480, 320)));

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { AddGroup(); }, kIdAdd);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveSlot(-1); }, kIdUp);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveSlot(+1); }, kIdDown);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RemoveSlot(); }, kIdRemove);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Clear(); }, kIdClear);
  m_groups->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { AddGroup(); });
  m_fill->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { ShowCounts(); });
  // A range is never upside down: the most follows the least up.
  m_least->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { SetCounts(Least(), std::max(Least(), Most())); });
  m_slots->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { ShowSlots(m_slots->GetSelection()); });
  ShowSlots(0);
  ShowCounts();
  m_groups->SetFocus();
  CentreOnParent();
}

void CFormulaDlg::ShowCounts() { m_most->Enable(!m_fill->GetValue()); }

void CFormulaDlg::SetCounts(int least, int most) {
  m_least->SetSelection(std::clamp(least, 0, kMostCount));
  m_most->SetSelection(std::clamp(most, 1, kMostCount) - 1);
}

int CFormulaDlg::Least() const { return m_least->GetSelection(); }
int CFormulaDlg::Most() const { return m_most->GetSelection() + 1; }

void CFormulaDlg::ShowSlots(int select) {
  if (m_slots->GetCount() != m_formula.size()) {
    m_slots->Clear();
    for (size_t i = 0; i < m_formula.size(); ++i) m_slots->Append(wxString());
  }
  for (size_t i = 0; i < m_formula.size(); ++i) {
    const FormulaSlot& slot = m_formula[i];
    std::string shown = wordloom::msg::FormulaWords({slot});
    const bool known = slot.core || std::any_of(m_groupInfo.begin(), m_groupInfo.end(),
                                                [&](const wordloom::GroupSummary& g) { return g.name == slot.group; });
    if (!known) shown += "（词库中没有这个分组）";
    m_slots->SetString(static_cast<unsigned>(i), Utf8(shown));
  }
  if (select >= 0 && select < static_cast<int>(m_formula.size())) m_slots->SetSelection(select);
  const bool core = select >= 0 && select < static_cast<int>(m_formula.size()) && m_formula[select].core;
  if (wxWindow* remove = FindWindow(kIdRemove)) remove->Enable(select >= 0 && !core);
  const std::vector<FormulaSlot> slots = formula();
  m_text->SetLabel(slots.empty() ? Utf8("公式里还没有分组：标题和不用公式时一样。")
                                 : Utf8("命令行写法：--formula \"" + wordloom::GbkToUtf8(wordloom::FormulaText(slots)) + "\""));
}

void CFormulaDlg::AddGroup() {
  const int chosen = m_groups->GetSelection();
  if (chosen == wxNOT_FOUND) return;
  FormulaSlot slot;
  slot.group = m_groupInfo[static_cast<size_t>(chosen)].name;
  slot.least = Least();
  slot.most = m_fill->GetValue() ? FormulaSlot::kAsManyAsFit : std::max({Most(), slot.least, 1});
  m_formula.push_back(slot);
  ShowSlots(static_cast<int>(m_formula.size()) - 1);
}

void CFormulaDlg::MoveSlot(int by) {
  const int at = m_slots->GetSelection(), to = at + by;
  if (at == wxNOT_FOUND || to < 0 || to >= static_cast<int>(m_formula.size())) return;
  std::swap(m_formula[static_cast<size_t>(at)], m_formula[static_cast<size_t>(to)]);
  ShowSlots(to);
}

void CFormulaDlg::RemoveSlot() {
  const int at = m_slots->GetSelection();
  if (at == wxNOT_FOUND || m_formula[static_cast<size_t>(at)].core) return;
  m_formula.erase(m_formula.begin() + at);
  ShowSlots(std::min(at, static_cast<int>(m_formula.size()) - 1));
}

void CFormulaDlg::Clear() {
  m_formula.erase(std::remove_if(m_formula.begin(), m_formula.end(), [](const FormulaSlot& s) { return !s.core; }),
                  m_formula.end());
  ShowSlots(0);
}

std::vector<FormulaSlot> CFormulaDlg::formula() const {
  if (m_formula.size() <= 1) return {};
  return m_formula;
}
