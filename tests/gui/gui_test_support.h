#pragma once
// Shared pieces of the dialog tests: modal-dialog hooks that report to
// GoogleTest, message expectations, and a temporary folder per test.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <wx/modalhook.h>

class GTestModalHook;
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>

// wxWidgets' testing hook, but a dialog it did not expect fails the test and
// is answered with Cancel instead of being shown (which would hang the run).
class GTestModalHook : public wxTestingModalHook {
 public:
  GTestModalHook(const char* file, int line, const char* func) : wxTestingModalHook(file, line, func) {}

 protected:
  int Enter(wxDialog* dlg) override {
    const int rc = wxTestingModalHook::Enter(dlg);
    return rc == wxID_NONE ? wxID_CANCEL : rc;
  }
  void ReportFailure(const wxString& msg) override { ADD_FAILURE() << msg.utf8_string(); }
};

// A message box with the given text (or, with AtStart(), beginning with it):
// modal, OK only, no icon, caption "Wordloom".
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
 public:
  explicit ExpectMessage(const std::string& utf8, int answer = wxID_OK)
      : text_(wxString::FromUTF8(utf8)), answer_(answer) {}
  ExpectMessage AtStart() const {
    ExpectMessage e(*this);
    e.prefixOnly_ = true;
    return e;
  }
  // A yes/no question rather than an OK-only message.
  ExpectMessage Question() const {
    ExpectMessage e(*this);
    e.question_ = true;
    return e;
  }

 protected:
  int OnInvoked(wxMessageDialog* dlg) const override {
    if (prefixOnly_) {
      EXPECT_TRUE(dlg->GetMessage().StartsWith(text_)) << dlg->GetMessage().utf8_string();
    } else {
      EXPECT_EQ(dlg->GetMessage().utf8_string(), text_.utf8_string());
    }
    EXPECT_EQ(dlg->GetCaption(), "Wordloom");
    const long style = dlg->GetMessageDialogStyle();
    if (question_) {
      EXPECT_TRUE(style & wxYES_NO);
    } else {
      EXPECT_TRUE(style & wxOK);
      EXPECT_FALSE(style & (wxCANCEL | wxYES_NO));
      EXPECT_EQ(dlg->GetEffectiveIcon(), wxICON_NONE);
      EXPECT_EQ(dlg->GetOKLabel().utf8_string(), "确定");
    }
    return answer_;
  }
  wxString GetDefaultDescription() const override { return "message \"" + text_ + "\""; }

 private:
  wxString text_;
  int answer_;
  bool prefixOnly_ = false;
  bool question_ = false;
};

// A file chooser answered with `path` (OK) or cancelled. GTK's chooser learns
// a path set from outside only once its folder has loaded, so the expectation
// lets the toolkit run until the chooser reports the path back.
class ExpectFile : public wxExpectModalBase<wxFileDialog, ExpectFile> {
 public:
  explicit ExpectFile(const wxString& path, int answer = wxID_OK) : path_(path), answer_(answer) {}

 protected:
  int OnInvoked(wxFileDialog* dlg) const override;

 private:
  wxString path_;
  int answer_;
};

// While set, the safety hook of the test program lets dialogs really run
// modally (for the tests of key handling).
extern bool g_allowRealModal;

// A fresh folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
wxString WxPath(const std::filesystem::path& path);
