#include "rules_dlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app_icons.h"
#include "dialog_units.h"
#include "file_choosers.h"

namespace {

constexpr int kIdChooseList = wxID_HIGHEST + 1;

const char* const kRuleLabels[4] = {
    "词条不重复(&N)：一个标题里同一个词只出现一次，也不再出现中心词",
    "标题不重复(&U)：同一次生成的标题互不相同",
    "填满长度(&F)：直到再也放不下任何词条，标题才结束",
    "避开违禁词(&B)：标题中不出现违禁词表里的词",
};

}  // namespace

CRulesDlg::CRulesDlg(wxWindow* parent, const wordloom::TitleRules& rules, const std::filesystem::path& bannedList)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("生成规则"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_list(bannedList) {
  SetFont(wordloom::ui::DialogFont("宋体", 9));
  SetIcons(wordloom::ui::AppIcons());
  const int gap = FromDIP(8);
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* ruleBox = new wxStaticBoxSizer(wxVERTICAL, this, wxString::FromUTF8("规则（不选则与以往相同）"));
  const bool on[4] = {rules.noRepeat, rules.unique, rules.fill, rules.avoidBanned};
  for (int i = 0; i < 4; ++i) {
    m_rules[i] = new wxCheckBox(ruleBox->GetStaticBox(), wxID_ANY, wxString::FromUTF8(kRuleLabels[i]));
    m_rules[i]->SetValue(on[i]);
    ruleBox->Add(m_rules[i], 0, wxALL, gap / 2);
  }
  top->Add(ruleBox, 0, wxEXPAND | wxALL, gap);

  auto* listBox = new wxStaticBoxSizer(wxVERTICAL, this, wxString::FromUTF8("违禁词表（检查词库和避开违禁词都用它）"));
  wxWindow* box = listBox->GetStaticBox();
  m_builtIn = new wxRadioButton(box, wxID_ANY, wxString::FromUTF8("内置违禁词表(&I)"), wxDefaultPosition,
                                wxDefaultSize, wxRB_GROUP);
  m_file = new wxRadioButton(box, wxID_ANY, wxString::FromUTF8("文件(&L)："));
  m_path = new wxStaticText(box, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                            wxST_ELLIPSIZE_MIDDLE);
  auto* choose = new wxButton(box, kIdChooseList, wxString::FromUTF8("选择文件(&S)..."));
  auto* fileRow = new wxBoxSizer(wxHORIZONTAL);
  fileRow->Add(m_file, 0, wxALIGN_CENTER_VERTICAL);
  fileRow->Add(m_path, 1, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, gap / 2);
  fileRow->Add(choose, 0, wxALIGN_CENTER_VERTICAL);
  listBox->Add(m_builtIn, 0, wxALL, gap / 2);
  listBox->Add(fileRow, 0, wxEXPAND | wxALL, gap / 2);
  top->Add(listBox, 0, wxEXPAND | wxLEFT | wxRIGHT, gap);

  top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALIGN_RIGHT | wxALL, gap);
  if (auto* ok = wxDynamicCast(FindWindow(wxID_OK), wxButton)) ok->SetLabel(wxString::FromUTF8("确定"));
  if (auto* cancel = wxDynamicCast(FindWindow(wxID_CANCEL), wxButton)) cancel->SetLabel(wxString::FromUTF8("取消"));
  SetSizerAndFit(top);
  SetSize(wxSize(std::max(GetSize().x, FromDIP(460)), GetSize().y));

  ShowList();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseListFile(); }, kIdChooseList);
  // Choosing "file" without a file yet asks for one at once.
  m_file->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
    if (m_list.empty()) ChooseListFile();
  });
  m_builtIn->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_list.clear(), ShowList(); });
  CentreOnParent();
}

void CRulesDlg::ShowList() {
  m_builtIn->SetValue(m_list.empty());
  m_file->SetValue(!m_list.empty());
  m_path->SetLabel(m_list.empty() ? wxString::FromUTF8("（未选择）") : wordloom::ui::FromFsPath(m_list));
  m_path->SetToolTip(m_list.empty() ? wxString() : wordloom::ui::FromFsPath(m_list));
}

void CRulesDlg::ChooseListFile() {
  if (std::optional<std::filesystem::path> path = wordloom::ui::ChooseLibraryFile(this)) m_list = *path;
  ShowList();
}

wordloom::TitleRules CRulesDlg::rules() const {
  wordloom::TitleRules r;
  r.noRepeat = m_rules[0]->GetValue();
  r.unique = m_rules[1]->GetValue();
  r.fill = m_rules[2]->GetValue();
  r.avoidBanned = m_rules[3]->GetValue();
  return r;
}

std::filesystem::path CRulesDlg::bannedList() const { return m_list; }
