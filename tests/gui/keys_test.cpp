// Ending the dialog (Esc, "退出", close box) and the About command.
#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <functional>

#include "about_dlg.h"
#include "resource.h"
#include "dialog_templates.h"
#include "gui_test_support.h"
#include "title_dlg.h"

namespace {

// Runs `dlg` really modally, doing `action` once its loop runs. A guard ends
// the loop with -1 should the action not end it, so a fault cannot hang the run.
int RunModal(wxDialog& dlg, std::function<void()> action) {
  g_allowRealModal = true;
  wxTimer guard;
  guard.Bind(wxEVT_TIMER, [&dlg](wxTimerEvent&) {
    if (dlg.IsModal()) dlg.EndModal(-1);
  });
  guard.StartOnce(20000);
  dlg.CallAfter(std::move(action));
  const int rc = dlg.ShowModal();
  g_allowRealModal = false;
  return rc;
}

void SendKey(wxWindow* target, int keyCode, int modifiers = wxMOD_NONE) {
  wxKeyEvent key(wxEVT_CHAR_HOOK);
  key.m_keyCode = keyCode;
  key.m_shiftDown = modifiers & wxMOD_SHIFT;
  key.SetEventObject(target);
  target->ProcessWindowEvent(key);
}

// Expects one About box, checks it is ours, and answers its OK.
class ExpectAbout : public wxExpectModalBase<CAboutDlg, ExpectAbout> {
 protected:
  int OnInvoked(CAboutDlg* dlg) const override {
    EXPECT_EQ(dlg->GetTitle().utf8_string(), "关于 Wordloom");
    return IDOK;
  }
};

}  // namespace

TEST(EndDialogTest, EscEndsTheDialog) {
  CTitleDlg dlg;
  const int rc = RunModal(dlg, [&dlg] { SendKey(dlg.FindWindow(IDC_CORE_WORD), WXK_ESCAPE); });
  EXPECT_EQ(rc, IDCANCEL);
}

TEST(EndDialogTest, ExitButtonEndsTheDialog) {
  CTitleDlg dlg;
  const int rc = RunModal(dlg, [&dlg] {
    wxCommandEvent click(wxEVT_BUTTON, IDCANCEL);
    click.SetEventObject(dlg.FindWindow(IDCANCEL));
    dlg.FindWindow(IDCANCEL)->ProcessWindowEvent(click);
  });
  EXPECT_EQ(rc, IDCANCEL);
}

TEST(EndDialogTest, CloseBoxEndsTheDialog) {
  CTitleDlg dlg;
  const int rc = RunModal(dlg, [&dlg] { dlg.Close(); });
  EXPECT_EQ(rc, IDCANCEL);
}

TEST(EndDialogTest, GenerateStartsWithTheFocus) {
  CTitleDlg dlg;
  wxWindow* focused = nullptr;
  RunModal(dlg, [&] {
    focused = wxWindow::FindFocus();
    dlg.EndModal(IDCANCEL);
  });
  ASSERT_TRUE(focused);
  EXPECT_EQ(focused->GetId(), IDOK);
}

TEST(AboutTest, AboutCommandOpensTheAboutBox) {
  CTitleDlg dlg;
  wxTEST_DIALOG(dlg.OnSysCommand(IDM_ABOUTBOX), ExpectAbout());
  // The low four bits belong to the system and are ignored.
  wxTEST_DIALOG(dlg.OnSysCommand(IDM_ABOUTBOX | 0x000F), ExpectAbout());
  // Twice in a row: one box after the other.
  wxTEST_DIALOG((dlg.OnSysCommand(IDM_ABOUTBOX), dlg.OnSysCommand(IDM_ABOUTBOX)), ExpectAbout(), ExpectAbout());
}

TEST(AboutTest, OtherSystemCommandsOpenNoAboutBox) {
  CTitleDlg dlg;
  // A hook with no expectations: any dialog shown here fails the test.
  GTestModalHook hook(__FILE__, __LINE__, "OtherSystemCommandsOpenNoAboutBox");
  dlg.OnSysCommand(0x0020);
  dlg.OnSysCommand(0xF010);  // SC_MOVE
  hook.CheckUnmetExpectations();
}

TEST(AboutTest, F1AndTheContextMenuEntryOpenTheAboutBox) {
  CTitleDlg dlg;
  wxTEST_DIALOG(SendKey(dlg.FindWindow(IDC_TITLE_COUNT), WXK_F1), ExpectAbout());
  wxCommandEvent entry(wxEVT_MENU, IDM_ABOUTBOX);
  entry.SetEventObject(&dlg);
  wxTEST_DIALOG(dlg.ProcessWindowEvent(entry), ExpectAbout());
}

TEST(AboutTest, CloseEntryOfTheContextMenuEndsTheDialog) {
  CTitleDlg dlg;
  const int rc = RunModal(dlg, [&dlg] {
    wxCommandEvent entry(wxEVT_MENU, 0xF060);
    entry.SetEventObject(&dlg);
    dlg.ProcessWindowEvent(entry);
  });
  EXPECT_EQ(rc, IDCANCEL);
}

TEST(AboutTest, EscAndOkCloseTheAboutBox) {
  {
    CAboutDlg about;
    EXPECT_EQ(RunModal(about, [&about] { SendKey(about.FindWindow(IDOK), WXK_ESCAPE); }), IDOK);
  }
  {
    CAboutDlg about;
    const int rc = RunModal(about, [&about] {
      wxCommandEvent click(wxEVT_BUTTON, IDOK);
      click.SetEventObject(about.FindWindow(IDOK));
      about.FindWindow(IDOK)->ProcessWindowEvent(click);
    });
    EXPECT_EQ(rc, IDOK);
  }
}
