// The dialogs as built from their templates: controls, captions, order,
// styles, sizes and the separator list.
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <vector>

#include "about_dlg.h"
#include "app_icons.h"
#include "dialog_templates.h"
#include "dialog_units.h"
#include "gui_test_support.h"
#include "template_builder.h"
#include "title_dlg.h"

using wordloom::ui::DialogUnits;
using wordloom::ui::DialogUnitsFromMetrics;

namespace {

std::vector<wxWindow*> Children(const wxWindow& w) {
  const wxWindowList& list = w.GetChildren();
  return std::vector<wxWindow*>(list.begin(), list.end());
}

struct Expected {
  int id;  // -1 for a static control
  const wxClassInfo* kind;
  const char* caption;
};

// Template 102 in template order, as a user would read it off the screen.
const Expected kTitleControls[] = {
    {1, wxCLASSINFO(wxButton), "开始组合"},
    {2, wxCLASSINFO(wxButton), "退出"},
    {1000, wxCLASSINFO(wxTextCtrl), ""},
    {1001, wxCLASSINFO(wxButton), "打开词库"},
    {-1, wxCLASSINFO(wxStaticText), "生成标题数量:"},
    {-1, wxCLASSINFO(wxStaticBox), nullptr},  // caption of our own choice
    {-1, wxCLASSINFO(wxStaticText), "必要词/中心词:"},
    {1002, wxCLASSINFO(wxTextCtrl), ""},
    {1003, wxCLASSINFO(wxTextCtrl), ""},
    {-1, wxCLASSINFO(wxStaticText), "生成字串长度："},
    {1005, wxCLASSINFO(wxComboBox), ""},
    {-1, wxCLASSINFO(wxStaticText), "分隔符："},
};

}  // namespace

TEST(DialogUnitsTest, ScaleLikeDialogTemplates) {
  // SimSun 9 pt on a 96-dpi screen: 312 px for the 52 letters, 12 px high.
  const DialogUnits du = DialogUnitsFromMetrics(312, 12);
  EXPECT_EQ(du.baseX, 6);
  EXPECT_EQ(du.baseY, 12);
  EXPECT_EQ(du.ToPixels(wxPoint(104, 168)), wxPoint(156, 252));
  EXPECT_EQ(du.ToPixels(wxSize(63, 13)), wxSize(95, 20));  // 94.5 and 19.5 round up
  EXPECT_EQ(du.ToPixels(wxSize(320, 200)), wxSize(480, 300));
  // The letters' average is rounded, not cut: 338 / 26 = 13, (13 + 1) / 2 = 7.
  EXPECT_EQ(DialogUnitsFromMetrics(338, 13).baseX, 7);
}

TEST(TitleDialogTest, ControlsInTemplateOrderWithCaptions) {
  CTitleDlg dlg;
  EXPECT_EQ(dlg.GetTitle(), "Wordloom");
  EXPECT_EQ(dlg.GetId(), IDD_TITLE_DIALOG);
  const std::vector<wxWindow*> children = Children(dlg);
  ASSERT_EQ(children.size(), std::size(kTitleControls));
  for (size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(i);
    const Expected& e = kTitleControls[i];
    EXPECT_TRUE(children[i]->IsKindOf(e.kind)) << children[i]->GetClassInfo()->GetClassName();
    if (e.id >= 0) {
      EXPECT_EQ(children[i]->GetId(), e.id);
    } else {
      EXPECT_LT(children[i]->GetId(), 0);
    }
    if (e.caption) {
      EXPECT_EQ(children[i]->GetLabel().utf8_string(), e.caption);
    }
  }
  const wxString groupCaption = children[5]->GetLabel();
  EXPECT_TRUE(groupCaption.Contains("@")) << "the group box names a contact";
}

TEST(TitleDialogTest, TabOrderIsTemplateOrder) {
  CTitleDlg dlg;
  std::vector<int> tabStops;
  for (wxWindow* child : Children(dlg)) {
    if (child->CanAcceptFocusFromKeyboard()) tabStops.push_back(child->GetId());
  }
  EXPECT_EQ(tabStops, (std::vector<int>{IDOK, IDCANCEL, IDC_TITLE_COUNT, IDC_OPEN_LIBRARY, IDC_CORE_WORD,
                                        IDC_TITLE_LENGTH, IDC_SEPARATOR}));
}

TEST(TitleDialogTest, GenerateIsTheDefaultButton) {
  CTitleDlg dlg;
  auto* generate = wxDynamicCast(dlg.FindWindow(IDOK), wxButton);
  ASSERT_TRUE(generate);
  EXPECT_EQ(dlg.GetDefaultItem(), generate);
  EXPECT_EQ(dlg.GetAffirmativeId(), IDOK);
  EXPECT_EQ(dlg.GetEscapeId(), IDCANCEL);
}

TEST(TitleDialogTest, FieldsStartEmptyAndCentreWhereTheLayoutSays) {
  CTitleDlg dlg;
  for (int id : {IDC_TITLE_COUNT, IDC_CORE_WORD, IDC_TITLE_LENGTH}) {
    auto* field = wxDynamicCast(dlg.FindWindow(id), wxTextCtrl);
    ASSERT_TRUE(field) << id;
    EXPECT_TRUE(field->IsEmpty()) << id;
  }
  EXPECT_TRUE(dlg.FindWindow(IDC_TITLE_COUNT)->HasFlag(wxTE_CENTRE));
  EXPECT_TRUE(dlg.FindWindow(IDC_CORE_WORD)->HasFlag(wxTE_CENTRE));
  EXPECT_FALSE(dlg.FindWindow(IDC_TITLE_LENGTH)->HasFlag(wxTE_CENTRE));
}

TEST(TitleDialogTest, SeparatorListShowsThreeEntriesNoneSelected) {
  CTitleDlg dlg;
  wxComboBox* list = dlg.separatorList();
  ASSERT_TRUE(list);
  EXPECT_EQ(list->GetId(), IDC_SEPARATOR);
  ASSERT_EQ(list->GetCount(), 3u);
  EXPECT_EQ(list->GetString(0), ",");
  EXPECT_EQ(list->GetString(1).utf8_string(), "空格");
  EXPECT_EQ(list->GetString(2).utf8_string(), "无分隔符");
  EXPECT_EQ(list->GetSelection(), wxNOT_FOUND);
  EXPECT_FALSE(list->HasFlag(wxCB_READONLY)) << "a drop-down with an edit field";
  EXPECT_FALSE(list->HasFlag(wxCB_SORT));
}

namespace {

// Sends a typed character to a field; true when the field lets it through.
bool FieldTakes(wxWindow* field, wxChar c) {
  wxKeyEvent ev(wxEVT_CHAR);
  ev.m_uniChar = c;
  ev.m_keyCode = c < 128 ? static_cast<int>(c) : static_cast<int>(WXK_NONE);
  ev.SetEventObject(field);
  ev.SetId(field->GetId());
  field->ProcessWindowEvent(ev);
  return ev.GetSkipped();
}

}  // namespace

TEST(TitleDialogTest, CountAndLengthTakeDigitsOnly) {
  CTitleDlg dlg;
  for (int id : {IDC_TITLE_COUNT, IDC_TITLE_LENGTH}) {
    SCOPED_TRACE(id);
    wxWindow* field = dlg.FindWindow(id);
    EXPECT_TRUE(FieldTakes(field, '0'));
    EXPECT_TRUE(FieldTakes(field, '9'));
    EXPECT_TRUE(FieldTakes(field, WXK_BACK));
    EXPECT_FALSE(FieldTakes(field, 'a'));
    EXPECT_FALSE(FieldTakes(field, '-'));
    EXPECT_FALSE(FieldTakes(field, ' '));
    EXPECT_FALSE(FieldTakes(field, L'３'));  // a full-width digit is not a digit here
  }
  EXPECT_TRUE(FieldTakes(dlg.FindWindow(IDC_CORE_WORD), 'a'));
  EXPECT_TRUE(FieldTakes(dlg.FindWindow(IDC_CORE_WORD), L'裙'));
}

TEST(TitleDialogTest, DigitsOnlyRuleLetsShortcutsAndKeysWithoutCharactersThrough) {
  using wordloom::ui::DigitsOnlyFieldAccepts;
  EXPECT_TRUE(DigitsOnlyFieldAccepts('v', true));  // Ctrl+V: pasting stays possible
  EXPECT_TRUE(DigitsOnlyFieldAccepts(WXK_NONE, false));
  EXPECT_TRUE(DigitsOnlyFieldAccepts(0x7F, false));
  EXPECT_FALSE(DigitsOnlyFieldAccepts('v', false));
  EXPECT_FALSE(DigitsOnlyFieldAccepts('/', false));  // just below '0'
  EXPECT_FALSE(DigitsOnlyFieldAccepts(':', false));  // just above '9'
}

TEST(TitleDialogTest, ClientAreaAndControlsFollowTheDialogUnits) {
  CTitleDlg dlg;
  const DialogUnits du = wordloom::ui::MeasureDialogUnits(dlg.GetFont());
  ASSERT_GT(du.baseX, 0);
  ASSERT_GT(du.baseY, 0);
  EXPECT_EQ(dlg.GetClientSize(), du.ToPixels(wxSize(320, 200)));
  const wxWindow* cancel = dlg.FindWindow(IDCANCEL);
  EXPECT_EQ(cancel->GetPosition(), du.ToPixels(wxPoint(193, 168)));
  EXPECT_EQ(cancel->GetSize(), du.ToPixels(wxSize(50, 14)));
  const wxWindow* core = dlg.FindWindow(IDC_CORE_WORD);
  EXPECT_EQ(core->GetPosition(), du.ToPixels(wxPoint(104, 41)));
  EXPECT_EQ(core->GetSize(), du.ToPixels(wxSize(140, 12)));
  // The separator list: 86 units is its drop-down's height, not the box's.
  const wxWindow* list = dlg.FindWindow(IDC_SEPARATOR);
  EXPECT_EQ(list->GetPosition(), du.ToPixels(wxPoint(103, 85)));
  EXPECT_EQ(list->GetSize().x, du.ToPixelsX(63));
  EXPECT_LT(list->GetSize().y, du.ToPixelsY(86));
}

TEST(TitleDialogTest, IconsCarryEverySize) {
  const wxIconBundle icons = wordloom::ui::AppIcons();
  ASSERT_EQ(icons.GetIconCount(), 4u);
  for (int size : {16, 32, 48, 256}) {
    const wxIcon icon = icons.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE);
    ASSERT_TRUE(icon.IsOk()) << size;
    EXPECT_EQ(icon.GetWidth(), size);
  }
  EXPECT_FALSE(wordloom::ui::AppIconBitmap(20).IsOk());

  CTitleDlg dlg;
  dlg.InitDialog();
  EXPECT_EQ(dlg.GetIcons().GetIconCount(), 4u);
}

TEST(AboutBoxTest, ControlsCaptionAndSize) {
  CAboutDlg about;
  EXPECT_EQ(about.GetTitle().utf8_string(), "关于 Wordloom");
  EXPECT_EQ(about.GetId(), IDD_ABOUTBOX);
  const std::vector<wxWindow*> children = Children(about);
  ASSERT_EQ(children.size(), 4u);
  EXPECT_TRUE(children[0]->IsKindOf(wxCLASSINFO(wxStaticBitmap)));
  EXPECT_EQ(children[0]->GetSize(), wxSize(32, 32));
  EXPECT_EQ(children[1]->GetLabel().utf8_string(), "Wordloom 1.0 版");
  EXPECT_FALSE(children[2]->GetLabel().empty());
  auto* ok = wxDynamicCast(children[3], wxButton);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->GetId(), IDOK);
  EXPECT_EQ(ok->GetLabel().utf8_string(), "确定");
  EXPECT_EQ(about.GetDefaultItem(), ok);
  const DialogUnits du = wordloom::ui::MeasureDialogUnits(about.GetFont());
  EXPECT_EQ(about.GetClientSize(), du.ToPixels(wxSize(235, 55)));
  // No caption may be cut off: each static text fits its rectangle.
  for (int i : {1, 2}) {
    auto* text = dynamic_cast<wxStaticText*>(children[i]);
    ASSERT_TRUE(text);
    EXPECT_LE(text->GetTextExtent(text->GetLabel()).x, text->GetSize().x) << text->GetLabel().utf8_string();
  }
}

TEST(TitleDialogTest, NoCaptionIsCutOff) {
  CTitleDlg dlg;
  for (wxWindow* child : Children(dlg)) {
    if (auto* text = dynamic_cast<wxStaticText*>(child)) {
      EXPECT_LE(text->GetTextExtent(text->GetLabel()).x, text->GetSize().x) << text->GetLabel().utf8_string();
    } else if (auto* box = dynamic_cast<wxStaticBox*>(child)) {
      EXPECT_LE(box->GetTextExtent(box->GetLabel()).x, box->GetSize().x) << box->GetLabel().utf8_string();
    }
  }
}
