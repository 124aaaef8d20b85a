// The generate command from the dialog: its messages, the save chooser, the
// written file, and the open chooser.
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include "crt_rand.h"
#include "resource.h"
#include "file_choosers.h"
#include "generation_run.h"
#include "gui_test_support.h"
#include "messages.h"
#include "title_dlg.h"
#include "word_list.h"

namespace {

const char kLibrary[] = "core\naaa\nbbb\nccc\n";

// GBK bytes: 商品名称, 标题
const std::string kHeader = "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6";
const std::string kLabel = "\xB1\xEA\xCC\xE2";

class GenerateTest : public testing::Test {
 protected:
  void SetUp() override {
    wordloom::g_strLibraryPath.clear();
    wordloom::CrtSeed(1);
  }
  void TearDown() override { wordloom::g_strLibraryPath.clear(); }

  void Fill(const char* count, const char* core, const char* length, int separator = wxNOT_FOUND) {
    Field(IDC_TITLE_COUNT)->SetValue(wxString::FromUTF8(count));
    Field(IDC_CORE_WORD)->SetValue(wxString::FromUTF8(core));
    Field(IDC_TITLE_LENGTH)->SetValue(wxString::FromUTF8(length));
    dlg.separatorList()->SetSelection(separator);
  }
  wxTextCtrl* Field(int id) { return wxDynamicCast(dlg.FindWindow(id), wxTextCtrl); }
  void Click(int id) {
    wxWindow* button = dlg.FindWindow(id);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
  }

  CTitleDlg dlg;
  TempFolder tmp;
};

}  // namespace

TEST_F(GenerateTest, AllFieldsEmptyAsksForTheCoreWordOnly) {
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(wordloom::msg::kCoreWordRequired));
}

TEST_F(GenerateTest, LengthZeroAsksForTheLengthEvenWithTheCountEmpty) {
  Fill("", "连衣裙", "0");
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(wordloom::msg::kLengthRequired));
}

TEST_F(GenerateTest, EmptyCountAsksForTheCount) {
  Fill("", "连衣裙", "60");
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(wordloom::msg::kCountRequired));
}

TEST_F(GenerateTest, NoLibraryChosenSaysToOpenOne) {
  Fill("2", "core", "10");
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(wordloom::msg::kNoLibraryChosen));
}

TEST_F(GenerateTest, MissingLibraryNamesTheFile) {
  wordloom::g_strLibraryPath = tmp.path() / "gone.txt";
  Fill("2", "core", "10");
  const std::string start = "无法读取词库文件“" + (tmp.path() / "gone.txt").string() + "”：";
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(start).AtStart());
  EXPECT_TRUE(wordloom::g_words.empty());
}

TEST_F(GenerateTest, LibraryWithOnlyTheCoreHasNothingToDraw) {
  wordloom::g_strLibraryPath = tmp.Write("lib.txt", "core\n");
  Fill("2", "core", "10");
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(wordloom::msg::NothingToDraw(wordloom::g_strLibraryPath.string())));
}

TEST_F(GenerateTest, CoreWordWithoutGbkFormIsRefused) {
  wordloom::g_strLibraryPath = tmp.Write("lib.txt", kLibrary);
  Fill("2", "core\xF0\x9F\x98\x80", "10");  // an emoji has no GBK form
  wxTEST_DIALOG(Click(IDOK), ExpectMessage(wordloom::msg::kCoreWordNotGbk));
  EXPECT_TRUE(wordloom::g_words.empty());
}

TEST_F(GenerateTest, WholeRunWritesTheTitleFileThroughTheSaveChooser) {
  wordloom::g_strLibraryPath = tmp.Write("lib.txt", kLibrary);
  Fill("2", "core", "10", 0);
  // Typed without an extension: the file gets ".txt".
  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "out")));
  EXPECT_FALSE(std::filesystem::exists(tmp.path() / "out"));
  // rand() from seed 1: 41 % 4 = 1 "aaa", 18467 stops the first title;
  // 6334 % 4 = 2 "bbb", then the core's position is drawn again, 19169 stops.
  const std::string expected = kHeader + "\r\n" + kLabel + "0:core,aaa,\r\n" + kLabel + "1:core,bbb,\r\n";
  EXPECT_EQ(ReadBytes(tmp.path() / "out.txt"), expected);
  EXPECT_TRUE(wordloom::g_words.empty());
  // The dialog stays as it was.
  EXPECT_EQ(Field(IDC_TITLE_COUNT)->GetValue(), "2");
  EXPECT_EQ(Field(IDC_CORE_WORD)->GetValue(), "core");
  EXPECT_EQ(Field(IDC_TITLE_LENGTH)->GetValue(), "10");
  EXPECT_EQ(dlg.separatorList()->GetSelection(), 0);
}

TEST_F(GenerateTest, SpaceAndNoSeparatorFollowTheListPosition) {
  wordloom::g_strLibraryPath = tmp.Write("lib.txt", kLibrary);
  Fill("1", "core", "10", 1);
  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "space.txt")));
  EXPECT_EQ(ReadBytes(tmp.path() / "space.txt"), kHeader + "\r\n" + kLabel + "0:core aaa \r\n");

  // Nothing selected: no separator. 18467 % 4 = 3 "ccc" (7 bytes), 6334 % 4 = 2
  // would make 10, so the title stops there.
  wordloom::CrtSeed(1);
  wordloom::CrtRand();
  dlg.separatorList()->SetSelection(wxNOT_FOUND);
  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "none.txt")));
  EXPECT_EQ(ReadBytes(tmp.path() / "none.txt"), kHeader + "\r\n" + kLabel + "0:coreccc\r\n");
}

TEST_F(GenerateTest, EnterInAFieldRunsTheGenerateCommand) {
  Fill("", "", "");
  wxKeyEvent enter(wxEVT_CHAR_HOOK);
  enter.m_keyCode = WXK_RETURN;
  wxTextCtrl* field = Field(IDC_TITLE_LENGTH);
  enter.SetEventObject(field);
  wxTEST_DIALOG(field->ProcessWindowEvent(enter), ExpectMessage(wordloom::msg::kCoreWordRequired));
}

TEST_F(GenerateTest, CancelledSaveWritesNothingAndEmptiesTheList) {
  wordloom::g_strLibraryPath = tmp.Write("lib.txt", kLibrary);
  Fill("3", "core", "10", 0);
  wxTEST_DIALOG(Click(IDOK), ExpectFile(wxString(), wxID_CANCEL));
  EXPECT_TRUE(wordloom::g_words.empty());
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tmp.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1) << "only the library";
}

TEST_F(GenerateTest, EachRunReadsTheLibraryAgain) {
  const auto lib = tmp.Write("lib.txt", kLibrary);
  wordloom::g_strLibraryPath = lib;
  Fill("1", "core", "10", 0);
  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "a.txt")));
  tmp.Write("lib.txt", "core\nzz\n");
  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "b.txt")));
  EXPECT_EQ(ReadBytes(tmp.path() / "b.txt"), kHeader + "\r\n" + kLabel + "0:core,zz,\r\n");
}

TEST_F(GenerateTest, ExistingTxtIsReplacedOnlyAfterYes) {
  wordloom::g_strLibraryPath = tmp.Write("lib.txt", kLibrary);
  const auto target = tmp.Write("out.txt", "old");
  Fill("1", "core", "10", 0);
  // "No" brings the chooser back; cancelling it leaves the old file.
  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "out")),
                ExpectMessage("“out.txt”已存在。").AtStart().Question(), ExpectFile(wxString(), wxID_CANCEL));
  EXPECT_EQ(ReadBytes(target), "old");

  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "out")),
                ExpectMessage("“out.txt”已存在。", wxID_YES).AtStart().Question());
  EXPECT_EQ(ReadBytes(target), kHeader + "\r\n" + kLabel + "0:core,aaa,\r\n");
}

TEST_F(GenerateTest, OpenChooserSetsTheLibraryAndCancelKeepsIt) {
  const auto first = tmp.Write("first.txt", kLibrary);
  wxTEST_DIALOG(Click(IDC_OPEN_LIBRARY), ExpectFile(WxPath(first)));
  EXPECT_EQ(wordloom::g_strLibraryPath, first);
  wxTEST_DIALOG(Click(IDC_OPEN_LIBRARY), ExpectFile(wxString(), wxID_CANCEL));
  EXPECT_EQ(wordloom::g_strLibraryPath, first);
}

TEST_F(GenerateTest, LibraryPathWithChineseNameIsKeptAsTheFileSystemHasIt) {
  const auto lib = tmp.Write("词库.txt", kLibrary);
  wxTEST_DIALOG(Click(IDC_OPEN_LIBRARY), ExpectFile(WxPath(lib)));
  EXPECT_EQ(wordloom::g_strLibraryPath, lib);
  Fill("1", "core", "10", 0);
  wxTEST_DIALOG(Click(IDOK), ExpectFile(WxPath(tmp.path() / "标题")));
  EXPECT_TRUE(std::filesystem::exists(tmp.path() / "标题.txt"));
}

TEST(DefaultExtensionTest, AddsTxtOnlyToNamesWithoutOne) {
  using wordloom::ui::WithDefaultExtension;
  EXPECT_EQ(WithDefaultExtension("/home/u/test", "txt"), "/home/u/test.txt");
  EXPECT_EQ(WithDefaultExtension("/home/u/test.txt", "txt"), "/home/u/test.txt");
  EXPECT_EQ(WithDefaultExtension("/home/u/test.csv", "txt"), "/home/u/test.csv");
  EXPECT_EQ(WithDefaultExtension("/home/u.v/test", "txt"), "/home/u.v/test.txt");
  EXPECT_EQ(WithDefaultExtension("/home/u/.titles", "txt"), "/home/u/.titles.txt");
  EXPECT_EQ(WithDefaultExtension(wxString::FromUTF8("/tmp/标题"), "txt"), wxString::FromUTF8("/tmp/标题.txt"));
  EXPECT_EQ(WithDefaultExtension("/home/u/", "txt"), "/home/u/");
}
