// The generate command from the dialog: its messages, the save and open
// choosers, the written file, and cancelling a long run.
#include <wx/textctrl.h>

#include "dialog_front_end.h"
#include "gui_test_support.h"
#include "resource.h"
#include "test_support.h"
#include "title_dlg.h"
#include "wordloom/messages.h"

using namespace wordloom;

namespace {

using test::ReadFile;
const char kLibrary[] = "core\naaa\nbbb\nccc\n";

class GenerateTest : public testing::Test {
 protected:
  // The dialog's sequence is not seeded here: it starts where a fresh program does.
  void SetUp() override { dlg.session().ChooseLibrary(test::WriteFile(tmp / "lib.txt", kLibrary)); }

  void Fill(const char* count, const char* core, const char* length, int separator = 0) {
    for (auto [id, text] : {std::pair{IDC_TITLE_COUNT, count}, {IDC_CORE_WORD, core}, {IDC_TITLE_LENGTH, length}})
      wxDynamicCast(dlg.FindWindow(id), wxTextCtrl)->SetValue(wxString::FromUTF8(text));
    dlg.separatorList()->SetSelection(separator);
  }
  void Click(int id) { ::Click(dlg.FindWindow(id)); }
  // Enter in the core word field, as the dialog's key hook sees it.
  void Enter() { SendKey(dlg.FindWindow(IDC_CORE_WORD), wxEVT_CHAR_HOOK, WXK_RETURN); }

  CTitleDlg dlg;
  test::TempDir tmp;
};

// Shows progress at once and, as a user would, presses its cancel button as
// soon as it is there; the following update then reports the cancel.
struct CancellingFrontEnd : ui::DialogFrontEnd {
  explicit CancellingFrontEnd(wxWindow* owner) : DialogFrontEnd(owner, std::chrono::milliseconds(0)) {}
  bool KeepWriting(int64_t done, int64_t total) override {
    const bool go = DialogFrontEnd::KeepWriting(done, total);
    // Of the open windows only the progress window has a wxID_CANCEL button.
    wxWindow* cancel = wxWindow::FindWindowById(wxID_CANCEL);
    if (go && progressShown() && !pressed && cancel) pressed = Click(cancel);
    return go;
  }
  bool pressed = false;
};

}  // namespace

TEST_F(GenerateTest, EachRefusalShowsItsMessage) {
  wxTEST_DIALOG(Enter(), ExpectMessage(msg::kCoreWordRequired));  // all fields empty; Enter in a field generates
  Fill("", "连衣裙", "0");  // the length is checked before the count
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(msg::kLengthRequired));
  Fill("", "连衣裙", "60");
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(msg::kCountRequired));
  Fill("2", "core\xF0\x9F\x98\x80", "10");  // an emoji has no GBK form
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(msg::kCoreWordNotGbk));
  Fill("2", "core", "10");
  dlg.session().ChooseLibrary(test::WriteFile(tmp / "bare.txt", "core\n"));
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(msg::NothingToDraw((tmp / "bare.txt").string())));
  dlg.session().ChooseLibrary("");
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(msg::kNoLibraryChosen));
}

TEST_F(GenerateTest, WholeRunReadsTheChosenLibraryAndWritesThroughTheSaveChooser) {
  const auto library = test::WriteFile(tmp / "chosen.txt", kLibrary);
  wxTEST_DIALOG(Click(IDC_OPEN_LIBRARY), ExpectFile(library));
  wxTEST_DIALOG(Click(IDC_OPEN_LIBRARY), ExpectFile());  // cancelled: the library stays
  EXPECT_EQ(dlg.session().libraryPath(), library);
  Fill("2", "core", "10");
  // The chooser proposes "test.txt" (GTK adds no extension of its own); a
  // name typed without an extension gets ".txt".
  wxTEST_DIALOG(Click(IDOK), ExpectFile(tmp / "out", "test.txt"));
  EXPECT_FALSE(std::filesystem::exists(tmp / "out"));
  // rand() from seed 1: 41 % 4 = 1 "aaa", 18467 stops the first title;
  // 6334 % 4 = 2 "bbb", then the core's position is drawn again, 19169 stops.
  EXPECT_EQ(ReadFile(tmp / "out.txt"), test::TitleFile({"core,aaa,", "core,bbb,"}));
}

// The chooser's entries: the title file's two, first and chosen, then csv
// and Excel. The entry decides the format and the extension a name gets.
struct ExpectEntries : wxExpectModalBase<wxFileDialog, ExpectEntries> {
  int OnInvoked(wxFileDialog* dlg) const override {
    EXPECT_EQ(dlg->GetFilterIndex(), 0);
    const wxString entries = dlg->GetWildcard();
    EXPECT_TRUE(entries.StartsWith(wxString::FromUTF8("文本文件(*.txt)|*.txt|所有文件(*.*)|"))) << entries;
    EXPECT_TRUE(entries.EndsWith(wxString::FromUTF8("|CSV 文件(*.csv)|*.csv|Excel 工作簿(*.xlsx)|*.xlsx"))) << entries;
    return wxID_CANCEL;
  }
};

TEST_F(GenerateTest, SaveChoosersEntryDecidesTheFormat) {
  Fill("2", "core", "10");
  wxTEST_DIALOG(Click(IDOK), ExpectEntries());
  wxTEST_DIALOG(Click(IDOK), ExpectFile(tmp / "out", "test.txt", 2));
  EXPECT_EQ(ReadFile(tmp / "out.csv"), test::Gbk("序号,标题,字节数\r\n") + "0,\"core,aaa\",8\r\n1,\"core,bbb\",8\r\n");
  wxTEST_DIALOG(Click(IDOK), ExpectFile(tmp / "book", nullptr, 3));
  EXPECT_EQ(ReadFile(tmp / "book.xlsx").substr(0, 2), "PK");
  // The name proposed follows the entry.
  wxTEST_DIALOG(Click(IDOK), ExpectFile(tmp / "test.txt", nullptr, 2));
  EXPECT_TRUE(std::filesystem::exists(tmp / "test.csv"));
  EXPECT_FALSE(std::filesystem::exists(tmp / "test.txt"));
}

TEST_F(GenerateTest, CancelledOrDeclinedSaveWritesNothing) {
  Fill("1", "core", "10");
  wxTEST_DIALOG(Click(IDOK), ExpectFile());
  EXPECT_EQ(tmp.List(), std::vector<std::string>{"lib.txt"});

  // An existing "out.txt" is replaced only after "Yes"; "No" brings the chooser back.
  const auto target = test::WriteFile(tmp / "out.txt", "old");
  const std::string question = "“out.txt”已存在。\n要替换它吗？";
  wxTEST_DIALOG(Click(IDOK), ExpectFile(tmp / "out"), ExpectMessage(question, wxID_NO), ExpectFile());
  EXPECT_EQ(ReadFile(target), "old");
  // Nothing was written so far, so the sequence has not moved.
  wxTEST_DIALOG(Click(IDOK), ExpectFile(tmp / "out"), ExpectMessage(question, wxID_YES));
  EXPECT_EQ(ReadFile(target), test::TitleFile({"core,aaa,"}));
}

TEST_F(GenerateTest, CancelledLongRunLeavesTheOldFileAndNoOther) {
  const auto target = test::WriteFile(tmp / "out.txt", "old titles");
  CancellingFrontEnd frontEnd(&dlg);
  const RunInputs inputs{"400000", "core", "20", 0};  // about 8 MB of titles: several buffers
  Outcome outcome;
  wxTEST_DIALOG(outcome = dlg.session().Run(inputs, frontEnd), ExpectFile(target));
  EXPECT_TRUE(frontEnd.pressed);
  EXPECT_EQ(outcome, Outcome::kWriteCancelled);
  EXPECT_TRUE(ReadFile(target) == "old titles") << "the old file was replaced";
  EXPECT_EQ(tmp.List(), (std::vector<std::string>{"lib.txt", "out.txt"})) << "no temporary file";
}
