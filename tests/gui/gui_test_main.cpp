// Test program of the dialog tests: starts wxWidgets once (a display is
// needed; the test command runs under Xvfb), then runs GoogleTest.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/utils.h>
#include <dlfcn.h>
#include <unistd.h>

#include "gui_test_support.h"

bool g_allowRealModal = false;

namespace {

// Outside wxTEST_DIALOG no dialog may block the run, unless a test asks for it.
class SafetyHook : public wxModalDialogHook {
 protected:
  int Enter(wxDialog* dlg) override {
    if (g_allowRealModal) return wxID_NONE;
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

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::ostringstream name;
  name << "wordloom-gui-" << getpid() << "-" << counter++ << "-" << (info ? info->name() : "x");
  path_ = std::filesystem::temp_directory_path() / name.str();
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::filesystem::path file = path_ / name;
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  return file;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

wxString WxPath(const std::filesystem::path& path) { return wxString(path.string().c_str(), *wxConvFileName); }

int ExpectFile::OnInvoked(wxFileDialog* dlg) const {
  if (answer_ != wxID_OK) return answer_;
  dlg->SetPath(path_);
  for (int i = 0; i < 5000 && dlg->GetPath() != path_; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(2);
  }
  EXPECT_EQ(dlg->GetPath().utf8_string(), path_.utf8_string()) << "the chooser did not take the path";
  return answer_;
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests (CTest's discovery) needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  // A display busy with many test programs at once may turn a connection
  // away now and then; a few tries tell that apart from having none. GTK
  // itself is asked, since wxWidgets cannot start twice in one process.
  using GtkInitCheck = int (*)(int*, char***);
  bool display = true;
  if (auto initCheck = reinterpret_cast<GtkInitCheck>(dlsym(RTLD_DEFAULT, "gtk_init_check"))) {
    display = false;
    for (int attempt = 0; attempt < 5 && !display; ++attempt) {
      if (attempt > 0) usleep(500000);
      display = initCheck(nullptr, nullptr);
    }
  }
  if (display) wxApp::SetInstance(new wxApp);
  if (!display || !wxEntryStart(argc, argv)) {
    wxLog::FlushActive();
    std::fputs("wordloom_gui_tests: cannot start wxWidgets; run under a display (xvfb-run)\n", stderr);
    return 1;
  }
  wxSetAssertHandler(&ReportAssert);
  SafetyHook safety;
  safety.Register();
  const int rc = RUN_ALL_TESTS();
  safety.Unregister();
  wxEntryCleanup();
  return rc;
}
