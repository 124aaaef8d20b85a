// Test program of the dialog tests: starts wxWidgets once (a display is
// needed; the test command runs under Xvfb), then runs GoogleTest.
#include <cstdio>

#include <wx/init.h>
#include <wx/log.h>
#include <dlfcn.h>
#include <unistd.h>

#include "desktop_language.h"
#include "gui_test_support.h"

namespace {

// Outside wxTEST_DIALOG no dialog may block the run.
struct SafetyHook : wxModalDialogHook {
  int Enter(wxDialog* dlg) override {
    ADD_FAILURE() << "unexpected modal dialog \"" << dlg->GetTitle().utf8_string() << "\"";
    return wxID_CANCEL;
  }
  void Exit(wxDialog*) override {}
};

void ReportAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
  ADD_FAILURE_AT(file.utf8_string().c_str(), line)
      << "wxWidgets assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests (CTest's discovery) needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  // wxWidgets keeps GTK from setting the locale; so must this early start,
  // or the locale would be set before the program's own set-up runs.
  reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "gtk_disable_setlocale"))();
  // A display busy with many test programs at once may turn a connection
  // away now and then; a few tries tell that apart from having none. GTK
  // itself is asked, since wxWidgets cannot start twice in one process.
  const auto initCheck = reinterpret_cast<int (*)(int*, char***)>(dlsym(RTLD_DEFAULT, "gtk_init_check"));
  bool display = false;
  for (int attempt = 0; attempt < 5 && !(display = initCheck(nullptr, nullptr)); ++attempt) usleep(500000);
  if (display) wxApp::SetInstance(new wxApp);
  if (!display || !wxEntryStart(argc, argv)) {
    wxLog::FlushActive();
    std::fputs("wordloom_gui_tests: cannot start wxWidgets; run under a display (xvfb-run)\n", stderr);
    return 1;
  }
  wxSetAssertHandler(&ReportAssert);
  // As the program does at its start.
  wordloom::ui::UseDesktopLanguage();
  SafetyHook safety;
  safety.Register();
  const int rc = RUN_ALL_TESTS();
  safety.Unregister();
  wxEntryCleanup();
  return rc;
}
