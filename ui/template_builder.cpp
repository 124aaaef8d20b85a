#include "template_builder.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "app_icons.h"
#include "combo_tab_stop.h"
#include "compact_style.h"

namespace wordloom::ui {
namespace {

using res::ControlKind;
using res::ControlTemplate;

wxWindowID WindowId(int id) { return id == IDC_STATIC ? wxID_ANY : id; }

wxWindow* CreateControl(wxDialog& dialog, const ControlTemplate& c, const DialogUnits& du) {
  const wxPoint pos = du.ToPixels(wxPoint(c.x, c.y));
  const wxSize size = du.ToPixels(wxSize(c.w, c.h));
  const wxString caption = wxString::FromUTF8(c.caption);
  const wxWindowID id = WindowId(c.id);
  switch (c.kind) {
    case ControlKind::kPushButton: {
      auto* button = new wxButton(&dialog, id, caption, pos, size);
      if (c.style & res::kDefaultButton) button->SetDefault();
      return button;
    }
    case ControlKind::kEdit: {
      long style = 0;
      if (c.style & res::kCentre) style |= wxTE_CENTRE;
      if (!(c.style & res::kBorder)) style |= wxBORDER_NONE;
      auto* edit = new wxTextCtrl(&dialog, id, wxString(), pos, size, style);
      if (c.style & res::kDigitsOnly) edit->Bind(wxEVT_CHAR, &FilterDigitsOnly);
      return edit;
    }
    case ControlKind::kStaticText: {
      const long align = (c.style & res::kCentre) ? wxALIGN_CENTRE_HORIZONTAL : wxALIGN_LEFT;
      auto* text = new wxStaticText(&dialog, id, wxString(), pos, size, align | wxST_NO_AUTORESIZE);
      if (c.style & res::kNoPrefix) {
        text->SetLabelText(caption);
      } else {
        text->SetLabel(caption);
      }
      return text;
    }
    case ControlKind::kGroupBox:
      return new wxStaticBox(&dialog, id, caption, pos, size);
    case ControlKind::kComboBox: {
      wxArrayString items;
      for (size_t i = 0; i < c.itemCount; ++i) items.Add(wxString::FromUTF8(c.items[i]));
      // Never wxCB_SORT: the items are listed in the order the run's
      // positions mean, and some platforms sort by code point.
      const wxSize closed(size.x, du.ToPixelsY(kComboClosedHeightDlu));
      auto* combo = new wxComboBox(&dialog, id, wxString(), pos, closed, items, wxCB_DROPDOWN);
      combo->SetSelection(wxNOT_FOUND);
      MakeSingleTabStop(*combo);
      return combo;
    }
    case ControlKind::kIcon: {
      // A static icon takes its icon's own size, whatever the template says.
      const wxBitmap bitmap = AppIconBitmap(32);
      return new wxStaticBitmap(&dialog, id, bitmap, pos, bitmap.GetSize());
    }
  }
  return nullptr;
}

}  // namespace

bool DigitsOnlyFieldAccepts(int unicodeKey, bool withShortcutModifier) {
  if (withShortcutModifier) return true;
  if (unicodeKey == WXK_NONE) return true;
  if (unicodeKey < 0x20 || unicodeKey == 0x7F) return true;
  return unicodeKey >= '0' && unicodeKey <= '9';
}

void FilterDigitsOnly(wxKeyEvent& event) {
  const bool shortcut = event.ControlDown() || event.AltDown() || event.MetaDown();
  if (DigitsOnlyFieldAccepts(event.GetUnicodeKey(), shortcut)) {
    event.Skip();
  } else {
    wxBell();
  }
}

DialogUnits BuildFromTemplate(wxDialog& dialog, const res::DialogTemplate& tmpl) {
  const wxFont font = DialogFont(tmpl.fontFace, tmpl.pointSize);
  dialog.SetFont(font);
  dialog.SetTitle(wxString::FromUTF8(tmpl.caption));
  const DialogUnits du = MeasureDialogUnits(font);
  for (size_t i = 0; i < tmpl.controlCount; ++i) {
    wxWindow* control = CreateControl(dialog, tmpl.controls[i], du);
    if (control) control->SetFont(font);
  }
  ApplyCompactStyle(dialog);
  dialog.SetClientSize(du.ToPixels(wxSize(tmpl.cx, tmpl.cy)));
  return du;
}

}  // namespace wordloom::ui
