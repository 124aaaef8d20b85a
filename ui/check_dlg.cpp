#include "check_dlg.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/sizer.h>

#include "app_icons.h"
#include "dialog_units.h"

namespace {

constexpr int kIdCopyAll = wxID_HIGHEST + 1;

}  // namespace

CCheckDlg::CCheckDlg(wxWindow* parent, const wxString& report, const wxString& caption, const wxString& copied)
    : wxDialog(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER),
      m_copied(copied.empty() ? report : copied) {
  SetFont(wordloom::ui::DialogFont("宋体", 9));
  SetIcons(wordloom::ui::AppIcons());
  m_text = new wxTextCtrl(this, wxID_ANY, report, wxDefaultPosition, wxDefaultSize,
                          wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL);
  auto* copy = new wxButton(this, kIdCopyAll, wxString::FromUTF8("复制全部(&C)"));
  auto* close = new wxButton(this, wxID_CANCEL, wxString::FromUTF8("关闭"));
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(copy, 0, wxRIGHT, FromDIP(8));
  buttons->Add(close);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(m_text, 1, wxEXPAND | wxALL, FromDIP(8));
  top->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(8));
  SetSizer(top);
  SetSize(FromDIP(wxSize(560, 480)));
  SetMinSize(FromDIP(wxSize(320, 200)));
  SetEscapeId(wxID_CANCEL);
  close->SetDefault();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CopyAll(); }, kIdCopyAll);
  // The text, not a button, has the focus: the arrows and Ctrl+A, Ctrl+C work at once.
  m_text->SetFocus();
  m_text->SetInsertionPoint(0);
  CentreOnParent();
}

bool CCheckDlg::CopyAll() {
  wxClipboardLocker lock;
  if (!lock) return false;
  return wxTheClipboard->SetData(new wxTextDataObject(m_copied));
}
