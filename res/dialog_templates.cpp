#include "dialog_templates.h"

#include <iterator>

#include "wordloom_version.h"

namespace wordloom::res {
namespace {

constexpr unsigned kEditStyle = kBorder | kTabStop | kAutoHScroll;

// The separator list is sorted; under the Chinese (PRC) collation its entries
// come out in this order, and the run reads only the position. Listing them
// already sorted keeps positions 0, 1, 2 the same on every platform, whatever
// a platform's own sorting would do with them.
const char* const kSeparatorItems[] = {",", "空格", "无分隔符"};

const ControlTemplate kTitleControls[] = {
    {IDOK, ControlKind::kPushButton, kDefaultButton | kTabStop, "开始组合", 104, 168, 50, 14},
    {IDCANCEL, ControlKind::kPushButton, kTabStop, "退出", 193, 168, 50, 14},
    {IDC_TITLE_COUNT, ControlKind::kEdit, kEditStyle | kDigitsOnly | kCentre, "", 104, 109, 50, 16},
    {IDC_OPEN_LIBRARY, ControlKind::kPushButton, kTabStop, "打开词库", 193, 108, 50, 14},
    {IDC_STATIC, ControlKind::kStaticText, kCentre | kGroup, "生成标题数量:", 28, 111, 62, 12},
    {IDC_STATIC, ControlKind::kGroupBox, 0, "欢迎提出宝贵意见和建议，请来信 wordloom@example.com", 14, 14, 285, 138},
    {IDC_STATIC, ControlKind::kStaticText, kCentre | kGroup, "必要词/中心词:", 27, 43, 63, 12},
    {IDC_CORE_WORD, ControlKind::kEdit, kEditStyle | kCentre, "", 104, 41, 140, 12},
    {IDC_TITLE_LENGTH, ControlKind::kEdit, kEditStyle | kDigitsOnly, "", 103, 66, 63, 14},
    {IDC_STATIC, ControlKind::kStaticText, kGroup, "生成字串长度：", 28, 67, 62, 13},
    {IDC_SEPARATOR, ControlKind::kComboBox, kDropDown | kSorted | kVScroll | kTabStop, "", 103, 85, 63, 86,
     kSeparatorItems, std::size(kSeparatorItems)},
    {IDC_STATIC, ControlKind::kStaticText, kGroup, "分隔符：", 28, 88, 54, 8},
};

const ControlTemplate kAboutControls[] = {
    {IDC_STATIC, ControlKind::kIcon, 0, "128", 11, 17, 20, 20},
    {IDC_STATIC, ControlKind::kStaticText, kNoPrefix | kGroup, "Wordloom " WORDLOOM_VERSION_SHORT " 版", 40, 10, 119, 8},
    {IDC_STATIC, ControlKind::kStaticText, kGroup, "版权所有 (C) 2026 Wordloom", 40, 25, 119, 8},
    {IDOK, ControlKind::kPushButton, kDefaultButton | kTabStop | kGroup, "确定", 178, 7, 50, 14},
};

const DialogTemplate kTitleDialog = {
    IDD_TITLE_DIALOG, "Wordloom", 320, 200, "宋体", 9, true, kTitleControls, std::size(kTitleControls)};

const DialogTemplate kAboutBox = {
    IDD_ABOUTBOX, "关于 Wordloom", 235, 55, "宋体", 9, false, kAboutControls, std::size(kAboutControls)};

}  // namespace

const DialogTemplate& TitleDialogTemplate() { return kTitleDialog; }
const DialogTemplate& AboutBoxTemplate() { return kAboutBox; }

const char* StringResource(int id) {
  switch (id) {
    case IDS_ABOUTBOX: return "关于 Wordloom(&A)...";
    case IDS_CHECKLIBRARY: return "检查词库(&K)...";
    // G (规则, guize): Windows' own 还原(&R) already takes R in the system menu.
    case IDS_RULES: return "生成规则(&G)...";
    case IDS_FORMULA: return "标题公式(&F)...";
    case IDS_PREVIEW: return "预览(&P)...";
    default: return nullptr;
  }
}

}  // namespace wordloom::res
