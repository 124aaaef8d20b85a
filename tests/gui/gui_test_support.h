#pragma once
// Shared pieces of the dialog tests: modal-dialog hooks that report to
// GoogleTest, message and chooser expectations.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

class GTestModalHook;
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>

// wxWidgets' testing hook, but a dialog it did not expect fails the test and
// is answered with Cancel instead of being shown (which would hang the run).
struct GTestModalHook : wxTestingModalHook {
  GTestModalHook(const char* file, int line, const char* func) : wxTestingModalHook(file, line, func) {}
  int Enter(wxDialog* dlg) override {
    const int rc = wxTestingModalHook::Enter(dlg);
    return rc == wxID_NONE ? wxID_CANCEL : rc;
  }
  void ReportFailure(const wxString& msg) override { ADD_FAILURE() << msg.utf8_string(); }
};

// A message box captioned "Wordloom" with exactly this text: OK only, or a
// yes/no question when answered with wxID_YES or wxID_NO.
struct ExpectMessage : wxExpectModalBase<wxMessageDialog, ExpectMessage> {
  explicit ExpectMessage(const std::string& utf8, int answer = wxID_OK) : text(utf8), answer(answer) {}
  int OnInvoked(wxMessageDialog* dlg) const override {
    EXPECT_EQ(dlg->GetMessage().utf8_string(), text);
    EXPECT_EQ(dlg->GetCaption(), "Wordloom");
    const long buttons = dlg->GetMessageDialogStyle() & (wxOK | wxCANCEL | wxYES_NO);
    EXPECT_EQ(buttons, answer == wxID_OK ? wxOK : wxYES_NO);
    return answer;
  }
  std::string text;
  int answer;
};

// A file chooser answered with `path` or cancelled (empty path). GTK's chooser
// takes a path set from outside only once its folder has loaded, so this
// lets the toolkit run until the chooser reports the path back.
// With `proposed`, the name the chooser offers first is checked too; with
// `entry`, that entry of its file types is chosen.
struct ExpectFile : wxExpectModalBase<wxFileDialog, ExpectFile> {
  explicit ExpectFile(const std::filesystem::path& path = {}, const char* proposed = nullptr, int entry = -1)
      : path_(path.string().c_str(), *wxConvFileName), proposed_(proposed), entry_(entry) {}
  int OnInvoked(wxFileDialog* dlg) const override {
    if (proposed_) {
      EXPECT_EQ(dlg->GetFilename().utf8_string(), proposed_);
    }
    if (path_.empty()) return wxID_CANCEL;
    dlg->SetPath(path_);
    for (int i = 0; i < 5000 && dlg->GetPath() != path_; ++i) {
      wxTheApp->Yield(true);
      wxMilliSleep(2);
    }
    EXPECT_EQ(dlg->GetPath().utf8_string(), path_.utf8_string()) << "the chooser did not take the path";
    if (entry_ >= 0) dlg->SetFilterIndex(entry_);
    return wxID_OK;
  }
  wxString path_;
  const char* proposed_;
  int entry_;
};

// Presses a button the way a click does; true when something handled it.
inline bool Click(wxWindow* button) {
  wxCommandEvent click(wxEVT_BUTTON, button->GetId());
  click.SetEventObject(button);
  return button->ProcessWindowEvent(click);
}

// Sends a key of the given event type to a window; true when it lets the key through.
inline bool SendKey(wxWindow* target, wxEventType type, int c) {
  wxKeyEvent key(type);
  key.m_uniChar = c;
  key.m_keyCode = c < 128 ? c : static_cast<int>(WXK_NONE);
  key.SetEventObject(target);
  key.SetId(target->GetId());
  target->ProcessWindowEvent(key);
  return key.GetSkipped();
}
