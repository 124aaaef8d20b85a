#pragma once
#include <wx/dialog.h>
#include <wx/event.h>

#include "dialog_templates.h"
#include "dialog_units.h"

namespace wordloom::ui {

// A combo box's template height is its drop-down list's; the closed control
// is as high as a push button.
constexpr int kComboClosedHeightDlu = 14;

// Gives `dialog` the template's caption, font and client size and creates
// its controls in template order, which is also their tab order. Returns the
// dialog units used.
DialogUnits BuildFromTemplate(wxDialog& dialog, const res::DialogTemplate& tmpl);

// Whether a digits-only field takes a typed character: digits, control
// characters (Backspace, Tab...) and keys without a character (arrows) pass;
// shortcuts such as Ctrl+V pass too, so pasted text can still hold anything.
bool DigitsOnlyFieldAccepts(int unicodeKey, bool withShortcutModifier);
void FilterDigitsOnly(wxKeyEvent& event);

}  // namespace wordloom::ui
