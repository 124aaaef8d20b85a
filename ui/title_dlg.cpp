#include "title_dlg.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <utility>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

#include "about_dlg.h"
#include "check_dlg.h"
#include "formula_dlg.h"
#include "rules_dlg.h"
#include "app_icons.h"
#include "dialog_front_end.h"
#include "dialog_templates.h"
#include "file_choosers.h"
#include "wordloom/messages.h"
#include "wordloom/text.h"
#include "message_box.h"
#include "template_builder.h"

namespace {

// The close entry of the GTK context menu stands for the system's close
// command (SC_CLOSE), so OnSysCommand sees the same ids everywhere. The
// entry itself takes a menu id wxWidgets accepts: SC_CLOSE is past them.
constexpr unsigned kScClose = 0xF060;
constexpr int kCloseEntry = wxID_CLOSE;

// The entries beside About, in menu order: their texts, commands and what
// each opens.
struct ListingEntry {
  int text;
  unsigned command;
  void (CTitleDlg::*open)();
};
constexpr ListingEntry kListingEntries[] = {{IDS_CHECKLIBRARY, IDM_CHECKLIBRARY, &CTitleDlg::OnCheckLibrary},
                                            {IDS_PREVIEW, IDM_PREVIEW, &CTitleDlg::OnPreview},
                                            {IDS_RULES, IDM_RULES, &CTitleDlg::OnRules},
                                            {IDS_FORMULA, IDM_FORMULA, &CTitleDlg::OnFormula}};

bool IsOurCommand(unsigned id) {
  const unsigned command = id & 0xFFF0;
  if (command == IDM_ABOUTBOX) return true;
  for (const ListingEntry& entry : kListingEntries)
    if (command == entry.command) return true;
  return false;
}

}  // namespace

CTitleDlg::CTitleDlg(wxWindow* parent)
    : wxDialog(parent, IDD_TITLE_DIALOG, wxString(), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_hIcon(wordloom::ui::AppIcons()) {
  wordloom::ui::BuildFromTemplate(*this, wordloom::res::TitleDialogTemplate());
  m_cbSeparator = wxDynamicCast(FindWindow(IDC_SEPARATOR), wxComboBox);

  // The ids are the template's, not wx's stock ids: tell the dialog which
  // buttons Enter and Esc (and the close box) stand for.
  SetAffirmativeId(IDOK);
  SetEscapeId(IDCANCEL);

  Bind(wxEVT_INIT_DIALOG, &CTitleDlg::OnInitDialog, this);
  Bind(wxEVT_BUTTON, &CTitleDlg::OnOK, this, IDOK);
  Bind(wxEVT_BUTTON, &CTitleDlg::OnCancel, this, IDCANCEL);
  Bind(wxEVT_BUTTON, &CTitleDlg::OnOpenLibrary, this, IDC_OPEN_LIBRARY);
  Bind(wxEVT_CHAR_HOOK, &CTitleDlg::OnCharHook, this);
  Bind(wxEVT_CONTEXT_MENU, &CTitleDlg::OnContextMenu, this);
  Bind(wxEVT_MENU, &CTitleDlg::OnMenuCommand, this);
#ifdef __WXMSW__
  Bind(wxEVT_PAINT, &CTitleDlg::OnPaint, this);
#endif
  Centre();
}

void CTitleDlg::OnInitDialog(wxInitDialogEvent& event) {
#ifdef __WXMSW__
  if (HMENU hSysMenu = ::GetSystemMenu(static_cast<HWND>(GetHWND()), FALSE)) {
    const char* about = wordloom::res::StringResource(IDS_ABOUTBOX);
    if (about && *about) {
      ::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
      // The listing entries stand above About, which stays the last entry.
      for (const ListingEntry& entry : kListingEntries) {
        const wxString text = wxString::FromUTF8(wordloom::res::StringResource(entry.text));
        ::AppendMenuW(hSysMenu, MF_STRING, entry.command, text.wc_str());
      }
      const wxString text = wxString::FromUTF8(about);
      ::AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, text.wc_str());
    }
  }
#endif
  SetIcons(m_hIcon);
  // The first tab stop, the generate button, starts with the focus.
  if (wxWindow* first = FindWindow(IDOK)) first->SetFocus();
  event.Skip();
}

wxString CTitleDlg::FieldText(int id) const {
  const auto* field = wxDynamicCast(FindWindow(id), wxTextCtrl);
  return field ? field->GetValue() : wxString();
}

std::optional<wordloom::RunInputs> CTitleDlg::Inputs() {
  wordloom::RunInputs inputs;
  inputs.countText = FieldText(IDC_TITLE_COUNT).utf8_string();
  inputs.lengthText = FieldText(IDC_TITLE_LENGTH).utf8_string();
  // Lengths are GBK byte counts, so the core word is compared and measured
  // in GBK, the library's encoding.
  const std::optional<std::string> core = wordloom::Utf8ToGbk(FieldText(IDC_CORE_WORD).utf8_string());
  if (!core) {
    wordloom::ui::ShowAppMessage(this, wxString::FromUTF8(wordloom::msg::kCoreWordNotGbk));
    return std::nullopt;
  }
  inputs.coreWord = *core;
  inputs.separatorIndex = m_cbSeparator ? m_cbSeparator->GetSelection() : wxNOT_FOUND;
  if (!m_formula.empty()) inputs.formula = wordloom::FormulaText(m_formula);
  return inputs;
}

void CTitleDlg::OnOK(wxCommandEvent&) {
  std::optional<wordloom::RunInputs> inputs = Inputs();
  if (!inputs) return;
  // Every run keeps its report for the library check to show.
  inputs->report = true;
  inputs->rules = m_rules;
  wordloom::ui::DialogFrontEnd frontEnd(this);
  m_session.Run(*inputs, frontEnd);
}

void CTitleDlg::OnCheckLibrary() {
  const std::optional<wordloom::RunInputs> inputs = Inputs();
  if (!inputs) return;
  wordloom::ui::DialogFrontEnd frontEnd(this);
  wordloom::LibraryReport report;
  {
    // A large library takes a moment to read.
    wxBusyCursor busy;
    if (m_session.Check(*inputs, frontEnd, report) != wordloom::Outcome::kChecked) return;
  }
  std::string text = wordloom::msg::LibraryReportText(report);
  if (m_session.lastReport()) text += "\n" + wordloom::msg::BatchReportText(*m_session.lastReport());
  CCheckDlg dlg(this, wxString::FromUTF8(text));
  dlg.ShowModal();
}

void CTitleDlg::OnPreview() {
  std::optional<wordloom::RunInputs> inputs = Inputs();
  if (!inputs) return;
  inputs->rules = m_rules;
  wordloom::ui::DialogFrontEnd frontEnd(this);
  wordloom::TitlePreview preview;
  {
    wxBusyCursor busy;
    if (m_session.Preview(*inputs, frontEnd, preview) != wordloom::Outcome::kChecked) return;
  }
  std::string titles;
  for (const wordloom::TitlePreview::Title& title : preview.titles) titles += wordloom::GbkToUtf8(title.text) + "\n";
  CCheckDlg dlg(this, wxString::FromUTF8(wordloom::msg::PreviewText(preview)), wxString::FromUTF8("预览"),
                wxString::FromUTF8(titles));
  dlg.ShowModal();
}

void CTitleDlg::OnRules() {
  CRulesDlg dlg(this, m_rules, m_session.bannedList());
  if (dlg.ShowModal() != wxID_OK) return;
  m_session.UseBannedList(dlg.bannedList());
  SetRules(dlg.rules());
}

void CTitleDlg::SetRules(const wordloom::TitleRules& rules) {
  m_rules = rules;
  ShowCaption();
}

void CTitleDlg::OnFormula() {
  wordloom::ui::DialogFrontEnd frontEnd(this);
  std::vector<wordloom::GroupSummary> groups;
  {
    wxBusyCursor busy;
    if (m_session.ReadGroups(frontEnd, groups) != wordloom::Outcome::kChecked) return;
  }
  CFormulaDlg dlg(this, groups, m_formula);
  if (dlg.ShowModal() == wxID_OK) SetFormula(dlg.formula());
}

void CTitleDlg::SetFormula(std::vector<wordloom::FormulaSlot> slots) {
  m_formula = std::move(slots);
  ShowCaption();
}

void CTitleDlg::ShowCaption() {
  // Why titles look different, told quietly; the layout stays.
  std::string caption = wordloom::res::kAppName;
  const std::string on = wordloom::msg::RulesText(m_rules);
  if (!on.empty()) caption += " - 规则：" + on;
  if (!m_formula.empty()) caption += " - 公式：" + wordloom::msg::FormulaWords(m_formula);
  SetTitle(wxString::FromUTF8(caption));
}

void CTitleDlg::OnCancel(wxCommandEvent&) {
  if (IsModal()) {
    EndModal(IDCANCEL);
  } else {
    Hide();
  }
}

void CTitleDlg::OnOpenLibrary(wxCommandEvent&) {
  if (std::optional<std::filesystem::path> path = wordloom::ui::ChooseLibraryFile(this)) {
    m_session.ChooseLibrary(*path);
  }
}

void CTitleDlg::OnSysCommand(unsigned nID, long lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.ShowModal();
    return;
  }
  for (const ListingEntry& entry : kListingEntries) {
    if ((nID & 0xFFF0) == entry.command) {
      (this->*entry.open)();
      return;
    }
  }
#ifdef __WXMSW__
  wxDialog::MSWWindowProc(WM_SYSCOMMAND, nID, lParam);
#else
  (void)lParam;
  if ((nID & 0xFFF0) == kScClose) Close();
#endif
}

void CTitleDlg::OnCharHook(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  const int mods = event.GetModifiers();
  if (key == WXK_F1 && mods == wxMOD_NONE) {
#ifdef __WXMSW__
    // On Windows this handler runs inside a keyboard hook, while the key
    // press is still queued: a dialog opened here would get it again.
    CallAfter([this] { OnSysCommand(IDM_ABOUTBOX); });
#else
    OnSysCommand(IDM_ABOUTBOX);
#endif
    return;
  }
#ifdef __WXMSW__
  // Windows has the real system menu (Alt+Space, the caption's right click)
  // and each control its own context menu: the menu keys keep their meaning.
  const bool menuKey = false;
#else
  const bool menuKey = key == WXK_WINDOWS_MENU || key == WXK_MENU || (key == WXK_F10 && mods == wxMOD_SHIFT);
#endif
  if (menuKey) {
    wxWindow* focus = FindFocus();
    wxWindow* anchor = focus && focus != this && IsDescendant(focus) ? focus : this;
    ShowSystemMenu(anchor->ClientToScreen(wxPoint(0, anchor->GetClientSize().y / 2)));
    return;
  }
#ifndef __WXMSW__
  // Windows routes Enter itself, after this hook has let the key go: a
  // focused push button is pressed, anywhere else the default button. Run
  // from here, the generate command's message box or chooser would take
  // the same key press as its own and close at once.
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && mods == wxMOD_NONE) {
    // On a focused push button Enter presses that button, as it would on
    // Windows; everywhere else it is the default button's.
    if (!dynamic_cast<wxButton*>(FindFocus())) {  // wxDynamicCast casts before it checks
      wxCommandEvent click(wxEVT_BUTTON, IDOK);
      click.SetEventObject(FindWindow(IDOK));
      OnOK(click);
      return;
    }
  }
#endif
  event.Skip();
}

void CTitleDlg::OnContextMenu(wxContextMenuEvent& event) {
#ifdef __WXMSW__
  // Let Windows show the real system menu on the caption.
  event.Skip();
  return;
#endif
  wxPoint pos = event.GetPosition();
  if (pos == wxDefaultPosition) pos = ClientToScreen(wxPoint(0, 0));
  ShowSystemMenu(pos);
}

void CTitleDlg::ShowSystemMenu(const wxPoint& screenPos) {
  // GTK gives no way into the window manager's menu; this menu holds its
  // close entry and the separator and About entry Windows adds to it.
  wxMenu menu;
  menu.Append(kCloseEntry, wxString::FromUTF8("关闭(&C)\tAlt+F4"));
  const char* about = wordloom::res::StringResource(IDS_ABOUTBOX);
  if (about && *about) {
    menu.AppendSeparator();
    for (const ListingEntry& entry : kListingEntries)
      menu.Append(static_cast<int>(entry.command), wxString::FromUTF8(wordloom::res::StringResource(entry.text)));
    menu.Append(IDM_ABOUTBOX, wxString::FromUTF8(about));
  }
  PopupMenu(&menu, ScreenToClient(screenPos));
}

void CTitleDlg::OnMenuCommand(wxCommandEvent& event) {
  const unsigned id = static_cast<unsigned>(event.GetId());
  if (event.GetId() == kCloseEntry) {
    OnSysCommand(kScClose);
  } else if (IsOurCommand(id)) {
    OnSysCommand(id);
  } else {
    event.Skip();
  }
}

#ifdef __WXMSW__

WXLRESULT CTitleDlg::MSWWindowProc(WXUINT nMsg, WXWPARAM wParam, WXLPARAM lParam) {
  switch (nMsg) {
    case WM_SYSCOMMAND:
      if (IsOurCommand(static_cast<unsigned>(wParam))) {
        OnSysCommand(static_cast<unsigned>(wParam), static_cast<long>(lParam));
        return 0;
      }
      break;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<WXLRESULT>(OnQueryDragIcon());
    default:
      break;
  }
  return wxDialog::MSWWindowProc(nMsg, wParam, lParam);
}

void CTitleDlg::OnPaint(wxPaintEvent& event) {
  if (!IsIconized()) {
    event.Skip();
    return;
  }
  wxPaintDC dc(this);
  const HDC hdc = static_cast<HDC>(dc.GetHDC());
  ::SendMessageW(static_cast<HWND>(GetHWND()), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
  // Centre the icon in the client rectangle.
  const int cxIcon = ::GetSystemMetrics(SM_CXICON);
  const int cyIcon = ::GetSystemMetrics(SM_CYICON);
  RECT rect;
  ::GetClientRect(static_cast<HWND>(GetHWND()), &rect);
  const int x = (rect.right - rect.left - cxIcon + 1) / 2;
  const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
  ::DrawIcon(hdc, x, y, static_cast<HICON>(OnQueryDragIcon()));
}

WXHICON CTitleDlg::OnQueryDragIcon() {
  // The bundle owns the icon, so its handle stays valid while the dialog lives.
  return m_hIcon.GetIcon(wxSize(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)),
                         wxIconBundle::FALLBACK_NEAREST_LARGER)
      .GetHICON();
}

#endif
