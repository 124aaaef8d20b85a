// The listing entries of the dialog's menu, reached the way a user reaches
// them: the context menu, then the entry. 检查词库 shows the reports, 生成规则
// sets the rules the next runs follow.
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "check_dlg.h"
#include "formula_dlg.h"
#include "gui_test_support.h"
#include "resource.h"
#include "rules_dlg.h"
#include "test_support.h"
#include "title_dlg.h"
#include "wordloom/messages.h"

using namespace wordloom;

namespace {

// The dialog with the popup of its context menu answered by the test: the
// menu's entries are noted, and the one asked for is chosen from it.
class MenuDlg : public CTitleDlg {
 public:
  std::vector<std::string> entries;
  std::string choose;

  void ChooseFromMenu(const std::string& label) {
    choose = label;
    wxContextMenuEvent event(wxEVT_CONTEXT_MENU, GetId(), ClientToScreen(wxPoint(10, 10)));
    event.SetEventObject(this);
    ProcessWindowEvent(event);
  }
  // The fields a run takes, core word "core" and the list's first separator ",".
  void Fill(const char* length, const char* count) {
    wxDynamicCast(FindWindow(IDC_CORE_WORD), wxTextCtrl)->SetValue("core");
    wxDynamicCast(FindWindow(IDC_TITLE_LENGTH), wxTextCtrl)->SetValue(length);
    wxDynamicCast(FindWindow(IDC_TITLE_COUNT), wxTextCtrl)->SetValue(count);
    separatorList()->SetSelection(0);
  }

 protected:
  bool DoPopupMenu(wxMenu* menu, int, int) override {
    entries.clear();
    int chosen = wxID_NONE;
    for (wxMenuItem* item : menu->GetMenuItems()) {
      entries.push_back(item->GetItemLabel().utf8_string());
      if (entries.back() == choose) chosen = item->GetId();
    }
    if (chosen != wxID_NONE) menu->SendEvent(chosen);
    return true;
  }
};

// The check window, with its report text looked at.
// With `copied`, what 复制全部 copies is checked too.
struct ExpectReport : wxExpectModalBase<CCheckDlg, ExpectReport> {
  explicit ExpectReport(std::vector<std::string> parts, std::string copied = "")
      : parts(std::move(parts)), copied(std::move(copied)) {}
  int OnInvoked(CCheckDlg* dlg) const override {
    if (!copied.empty()) {
      EXPECT_EQ(dlg->copied().utf8_string(), copied);
    }
    const std::string text = dlg->text()->GetValue().utf8_string();
    for (const std::string& part : parts) EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
    EXPECT_FALSE(dlg->text()->IsEditable());
    EXPECT_TRUE(dlg->HasFlag(wxRESIZE_BORDER));
    return wxID_CANCEL;
  }
  std::vector<std::string> parts;
  std::string copied;
};

// The rules window: sets the rules' boxes, and with `list` chooses a list file.
struct SetRules : wxExpectModalBase<CRulesDlg, SetRules> {
  SetRules(std::vector<bool> on, std::vector<bool> was, std::filesystem::path list = {})
      : on(std::move(on)), was(std::move(was)), list(std::move(list)) {}
  int OnInvoked(CRulesDlg* dlg) const override {
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(dlg->ruleBox(i)->GetValue(), was[i]) << "rule " << i << " as chosen before";
      dlg->ruleBox(i)->SetValue(on[i]);
    }
    if (!list.empty()) wxTEST_DIALOG(dlg->ChooseListFile(), ExpectFile(list));
    return wxID_OK;
  }
  std::vector<bool> on, was;
  std::filesystem::path list;
};

// The formula window: builds a formula with its buttons, checking the groups it offers.
struct BuildFormula : wxExpectModalBase<CFormulaDlg, BuildFormula> {
  explicit BuildFormula(std::vector<std::string> groups) : groups(std::move(groups)) {}
  int OnInvoked(CFormulaDlg* dlg) const override {
    std::vector<std::string> offered;
    for (const wxString& item : dlg->groupList()->GetStrings()) offered.push_back(item.utf8_string());
    EXPECT_EQ(offered, groups);
    dlg->groupList()->SetSelection(1);  // b, 1 to 2 of them, first
    dlg->SetCounts(1, 2);
    dlg->AddGroup();
    dlg->MoveSlot(-1);
    dlg->groupList()->SetSelection(0);  // then a, as many as fit
    dlg->asManyAsFit()->SetValue(true);
    dlg->SetCounts(0, 2);
    dlg->AddGroup();
    EXPECT_EQ(dlg->formulaText()->GetLabel().utf8_string(), "命令行写法：--formula \"b:1-2+@+a:*\"");
    return wxID_OK;
  }
  std::vector<std::string> groups;
};

const char kCheck[] = "检查词库(&K)...", kRules[] = "生成规则(&G)...", kFormula[] = "标题公式(&F)...",
           kPreview[] = "预览(&P)...";

}  // namespace

TEST(ListingMenuTest, CheckEntryShowsTheLibraryAndTheLastRunsReports) {
  MenuDlg dlg;
  dlg.Show();
  wxTEST_DIALOG(dlg.ChooseFromMenu(kCheck), ExpectMessage(msg::kNoLibraryChosen));
  EXPECT_EQ(dlg.entries,
            (std::vector<std::string>{"关闭(&C)\tAlt+F4", "", kCheck, kPreview, kRules, kFormula, "关于 Wordloom(&A)..."}));

  test::TempDir tmp;
  dlg.session().ChooseLibrary(test::WriteFile(tmp / "lib.txt", test::Gbk("core\naaa\naaa\n最佳\n")));
  dlg.Fill("10", "2");
  wxTEST_DIALOG(dlg.ChooseFromMenu(kCheck),
                ExpectReport({"第 3 行“aaa”，与第 2 行相同", "第 4 行“最佳”，含“最佳”", "放不进标题的词条（中心词“core”，长度 10 字节）：0 行"}));
  // After a run its report follows the library's.
  wxTEST_DIALOG(Click(dlg.FindWindow(IDOK)), ExpectFile(tmp / "out.txt"));
  wxTEST_DIALOG(dlg.ChooseFromMenu(kCheck), ExpectReport({"共发现 2 处问题。", "写入的标题：2 条"}));
}

TEST(ListingMenuTest, RulesEntrySetsTheRulesForTheRunsThatFollow) {
  MenuDlg dlg;
  dlg.Show();
  test::TempDir tmp;
  dlg.session().ChooseLibrary(test::WriteFile(tmp / "lib.txt", "core\naaa\nbbb\nccc\n"));
  dlg.Fill("17", "2");
  const auto list = test::WriteFile(tmp / "banned.txt", "bbb\n");
  wxTEST_DIALOG(dlg.ChooseFromMenu(kRules), SetRules({true, false, false, false}, {false, false, false, false}, list));
  EXPECT_EQ(dlg.GetTitle().utf8_string(), "Wordloom - 规则：词条不重复");
  EXPECT_EQ(dlg.session().bannedList(), list);
  // Without the rule the second title would be core,bbb,bbb,bbb,.
  wxTEST_DIALOG(Click(dlg.FindWindow(IDOK)), ExpectFile(tmp / "out.txt"));
  EXPECT_EQ(test::ReadFile(tmp / "out.txt"), test::TitleFile({"core,aaa,ccc,bbb,", "core,aaa,bbb,ccc,"}));
  wxTEST_DIALOG(dlg.ChooseFromMenu(kRules), SetRules({false, false, false, false}, {true, false, false, false}));
  EXPECT_EQ(dlg.GetTitle(), "Wordloom");
}

TEST(ListingMenuTest, FormulaEntryBuildsTheFormulaTheRunsFollow) {
  MenuDlg dlg;
  dlg.Show();
  wxTEST_DIALOG(dlg.ChooseFromMenu(kFormula), ExpectMessage(msg::kNoLibraryChosen));
  test::TempDir tmp;
  dlg.session().ChooseLibrary(test::WriteFile(tmp / "plain.txt", "core\naaa\n"));
  wxTEST_DIALOG(dlg.ChooseFromMenu(kFormula), ExpectMessage(msg::FormulaNoGroups((tmp / "plain.txt").string())));
  dlg.session().ChooseLibrary(test::WriteFile(tmp / "lib.txt", "[a]\naaa\na\n\n[b]\nB\n"));
  dlg.Fill("20", "2");
  wxTEST_DIALOG(dlg.ChooseFromMenu(kFormula), BuildFormula({"a（2 个词条）", "b（1 个词条）"}));
  EXPECT_EQ(dlg.GetTitle().utf8_string(), "Wordloom - 公式：b×1-2 + 中心词 + a×尽量多");
  // b's range takes 1 + 41%2, but b has only B; a takes both its entries, 6334%2 a first.
  wxTEST_DIALOG(Click(dlg.FindWindow(IDOK)), ExpectFile(tmp / "out.txt"));
  EXPECT_EQ(test::ReadFile(tmp / "out.txt"), test::TitleFile({"B,core,a,aaa,", "B,core,a,aaa,"}));
  wxTEST_DIALOG(dlg.ChooseFromMenu(kCheck), ExpectReport({"标题公式：b×1-2 + 中心词 + a×尽量多", "分组：2 组"}));
}

TEST(ListingMenuTest, PreviewEntryShowsTheTitlesTheNextRunWrites) {
  MenuDlg dlg;
  dlg.Show();
  wxTEST_DIALOG(dlg.ChooseFromMenu(kPreview), ExpectMessage(msg::kCoreWordRequired));
  test::TempDir tmp;
  dlg.session().ChooseLibrary(test::WriteFile(tmp / "lib.txt", "core\naaa\nbbb\nccc\n"));
  dlg.Fill("10", "2");
  // Twice the same: a preview leaves the sequence where it is.
  for (int i = 0; i < 2; ++i)
    wxTEST_DIALOG(dlg.ChooseFromMenu(kPreview),
                  ExpectReport({"标题0:core,aaa,（9/10 字节）", "标题1:core,bbb,（9/10 字节）", "写入的标题：2 条"}, "core,aaa,\ncore,bbb,\n"));
  wxTEST_DIALOG(Click(dlg.FindWindow(IDOK)), ExpectFile(tmp / "out.txt"));
  EXPECT_EQ(test::ReadFile(tmp / "out.txt"), test::TitleFile({"core,aaa,", "core,bbb,"}));
}
