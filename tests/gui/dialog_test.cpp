// The dialog as built from its template (controls, captions, order, the
// separator list, digit-only fields), its tab order, the About command and
// Esc, and the language of the toolkit's own texts.
#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>

#include <wx/combobox.h>
#include <wx/textctrl.h>

#include <vector>

#include "about_dlg.h"
#include "resource.h"
#include "gui_test_support.h"
#include "title_dlg.h"

// The control holding the keyboard focus; 0 for none.
int FocusedControl() {
  wxWindow* focus = wxWindow::FindFocus();
  return focus ? focus->GetId() : 0;
}

TEST(TitleDialogTest, ControlsInTemplateOrderWithCaptionsAndDigitOnlyFields) {
  CTitleDlg dlg;
  EXPECT_EQ(dlg.GetTitle(), "Wordloom");
  // Each control as "id class caption", in the template's order; statics have id -1.
  std::vector<std::string> controls;
  for (wxWindow* child : dlg.GetChildren())
    controls.push_back(std::to_string(std::max(child->GetId(), -1)) + " " +
                       wxString(child->GetClassInfo()->GetClassName()).utf8_string() + " " + child->GetLabel().utf8_string());
  EXPECT_EQ(controls, (std::vector<std::string>{
                          "1 wxButton 开始组合", "2 wxButton 退出", "1000 wxTextCtrl ", "1001 wxButton 打开词库",
                          "-1 wxStaticText 生成标题数量:", "-1 wxStaticBox 欢迎提出宝贵意见和建议，请来信 wordloom@example.com",
                          "-1 wxStaticText 必要词/中心词:", "1002 wxTextCtrl ", "1003 wxTextCtrl ", "-1 wxStaticText 生成字串长度：",
                          "1005 wxComboBox ", "-1 wxStaticText 分隔符："}));
  EXPECT_EQ(dlg.GetDefaultItem(), dlg.FindWindow(IDOK));
  EXPECT_EQ(wxJoin(dlg.separatorList()->GetStrings(), '|').utf8_string(), ",|空格|无分隔符");
  EXPECT_EQ(dlg.separatorList()->GetSelection(), wxNOT_FOUND);

  for (int id : {IDC_TITLE_COUNT, IDC_TITLE_LENGTH}) {
    wxWindow* field = dlg.FindWindow(id);
    for (int c : {int{'0'}, int{'9'}, int{WXK_BACK}}) EXPECT_TRUE(SendKey(field, wxEVT_CHAR, c)) << id << " " << c;
    for (int c : {int{'a'}, int{'-'}, int{' '}, int{L'３'}}) EXPECT_FALSE(SendKey(field, wxEVT_CHAR, c)) << id << " " << c;
  }
  EXPECT_TRUE(SendKey(dlg.FindWindow(IDC_CORE_WORD), wxEVT_CHAR, L'裙'));
}

TEST(TitleDialogTest, TabVisitsEachTabStopOnceInTemplateOrder) {
  CTitleDlg dlg;
  dlg.Show();
  // The focus chain is set up at idle time, after the window is mapped.
  for (int i = 0; i < 20; ++i) {
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
    wxMilliSleep(10);
  }
  dlg.FindWindow(IDOK)->SetFocus();
  // Navigate moves the focus the way the Tab key does, through the toolkit's
  // own focus chain; a stop inside a control that wxWidgets does not know
  // (GTK's combo box arrow) shows up as no control.
  std::vector<int> visited{FocusedControl()};
  for (int i = 0; i < 7; ++i) {
    dlg.FindWindow(IDOK)->Navigate(wxNavigationKeyEvent::IsForward);
    visited.push_back(FocusedControl());
  }
  EXPECT_EQ(visited, (std::vector<int>{IDOK, IDCANCEL, IDC_TITLE_COUNT, IDC_OPEN_LIBRARY, IDC_CORE_WORD, IDC_TITLE_LENGTH,
                                       IDC_SEPARATOR, IDOK}));
}

TEST(TitleDialogTest, AboutCommandOpensTheAboutBoxAndEscPressesQuit) {
  CTitleDlg dlg;
  // The low four bits belong to the system and are ignored.
  wxTEST_DIALOG(dlg.OnSysCommand(IDM_ABOUTBOX | 0x000F), wxExpectDismissableModal<CAboutDlg>(wxID_OK));
  dlg.OnSysCommand(0x0020);  // opens nothing: the test program's hook fails any dialog
  dlg.Show();  // 退出 hides a dialog that is not modal
  SendKey(dlg.FindWindow(IDC_CORE_WORD), wxEVT_CHAR_HOOK, WXK_ESCAPE);
  EXPECT_FALSE(dlg.IsShown());
}

// The toolkit's own texts (the choosers' and message boxes' buttons, the
// progress window's rows and button) come from GTK's and wxWidgets'
// catalogs: Chinese on a Chinese desktop and only there. The test command
// runs this suite once more under zh_CN.UTF-8.
TEST(DesktopLanguageTest, ToolkitTextsFollowTheDesktop) {
  std::string wanted = "C";  // the locale asked for messages in, as setlocale reads it
  for (const char* var : {"LANG", "LC_MESSAGES", "LC_ALL"})
    if (const char* value = std::getenv(var); value && *value) wanted = value;
  const bool chinese = wanted.rfind("zh_CN", 0) == 0;
  // setlocale falls back to "C" when the asked locale is not generated.
  ASSERT_EQ(std::string(std::setlocale(LC_MESSAGES, nullptr)), wanted)
      << "the locale " << wanted << " is missing (scripts/deps.sh generates zh_CN.UTF-8)";
  const auto hasChinese = [](const wxString& text) {
    return std::any_of(text.begin(), text.end(), [](wxUniChar c) { return c >= 0x4E00 && c <= 0x9FFF; });
  };
  for (const char* text : {"&Cancel", "Elapsed time:", "Remaining time:", "&Save", "&Yes", "&No"})
    EXPECT_EQ(hasChinese(wxGetTranslation(text)), chinese) << text << " under " << wanted;
  for (const char* text : {"_Cancel", "_Save", "_Open", "_OK"})
    EXPECT_EQ(hasChinese(wxString::FromUTF8(dgettext("gtk30", text))), chinese) << text << " under " << wanted;
}
