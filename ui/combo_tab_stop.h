#pragma once
#include <wx/combobox.h>

namespace wordloom::ui {

// Makes a combo box one tab stop, as it is on Windows. GTK's combo box with
// an edit field takes the focus twice, in the field and then on its arrow
// button; the button still opens the list when clicked, and Alt+Down opens it
// from the field. Does nothing where the combo box is one stop already.
void MakeSingleTabStop(wxComboBox& combo);

}  // namespace wordloom::ui
