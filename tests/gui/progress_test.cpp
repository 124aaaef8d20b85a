// Long runs: the progress window appears and its cancel button stops the
// write without leaving a file behind or touching an existing one.
#include <wx/app.h>
#include <wx/progdlg.h>

#include "crt_rand.h"
#include "dialog_front_end.h"
#include "generation_run.h"
#include "gui_test_support.h"
#include "title_dlg.h"
#include "word_list.h"

namespace {

// Presses the cancel button of whatever progress window is open.
bool CancelOpenProgress() {
  for (wxWindow* w : wxTopLevelWindows) {
    if (auto* progress = dynamic_cast<wxGenericProgressDialog*>(w)) {
      wxWindow* cancel = progress->FindWindow(wxID_CANCEL);
      if (!cancel) return false;
      wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
      click.SetEventObject(cancel);
      cancel->ProcessWindowEvent(click);
      return true;
    }
  }
  return false;
}

// Shows progress at once and presses its cancel button as soon as it is
// there, as a user would; the following update then reports the cancel.
class CancellingFrontEnd : public wordloom::ui::DialogFrontEnd {
 public:
  explicit CancellingFrontEnd(wxWindow* owner) : DialogFrontEnd(owner, std::chrono::milliseconds(0)) {}
  bool KeepWriting(int64_t titlesWritten) override {
    const bool go = DialogFrontEnd::KeepWriting(titlesWritten);
    if (go && progressShown() && !pressed) pressed = CancelOpenProgress();
    return go;
  }
  bool pressed = false;
};

wordloom::RunInputs BigRun() {
  wordloom::RunInputs inputs;
  inputs.countText = "400000";  // about 8 MB of titles: several flushes
  inputs.coreWord = "core";
  inputs.lengthText = "20";
  inputs.separatorIndex = 0;
  return inputs;
}

class ProgressTest : public testing::Test {
 protected:
  void SetUp() override {
    wordloom::CrtSeed(1);
    wordloom::g_strLibraryPath = tmp.Write("lib.txt", "core\naaa\nbbb\nccc\n");
  }
  void TearDown() override { wordloom::g_strLibraryPath.clear(); }

  CTitleDlg dlg;
  TempFolder tmp;
};

}  // namespace

TEST_F(ProgressTest, CancelLeavesTheOldFileAndNoOther) {
  const auto target = tmp.Write("out.txt", "old titles");
  CancellingFrontEnd frontEnd(&dlg);
  wordloom::RunOutcome outcome;
  wxTEST_DIALOG(outcome = wordloom::RunGeneration(BigRun(), frontEnd),
                ExpectFile(WxPath(target)));
  EXPECT_TRUE(frontEnd.progressShown());
  EXPECT_TRUE(frontEnd.pressed);
  EXPECT_EQ(outcome, wordloom::RunOutcome::kWriteCancelled);
  EXPECT_TRUE(ReadBytes(target) == "old titles") << "the old file was replaced";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tmp.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2) << "the library and the old file, no temporary one";
  EXPECT_TRUE(wordloom::g_words.empty());
}

TEST_F(ProgressTest, UncancelledRunWritesEveryTitle) {
  wordloom::ui::DialogFrontEnd frontEnd(&dlg, std::chrono::milliseconds(0));
  wordloom::RunOutcome outcome;
  wxTEST_DIALOG(outcome = wordloom::RunGeneration(BigRun(), frontEnd),
                ExpectFile(WxPath(tmp.path() / "all.txt")));
  EXPECT_EQ(outcome, wordloom::RunOutcome::kWritten);
  EXPECT_TRUE(frontEnd.progressShown());
  const std::string bytes = ReadBytes(tmp.path() / "all.txt");
  // Header plus 400000 title lines, each ending in CR LF, the last numbered 399999.
  size_t lines = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) lines += bytes[i] == '\r' && bytes[i + 1] == '\n';
  EXPECT_EQ(lines, 400001u);
  EXPECT_NE(bytes.find("\xB1\xEA\xCC\xE2" "399999:core,"), std::string::npos);
}

TEST_F(ProgressTest, ShortRunShowsNoProgress) {
  wordloom::ui::DialogFrontEnd frontEnd(&dlg);
  wordloom::RunInputs inputs = BigRun();
  inputs.countText = "3";
  wxTEST_DIALOG(wordloom::RunGeneration(inputs, frontEnd), ExpectFile(WxPath(tmp.path() / "few.txt")));
  EXPECT_FALSE(frontEnd.progressShown());
  EXPECT_TRUE(std::filesystem::exists(tmp.path() / "few.txt"));
}
