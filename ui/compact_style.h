#pragma once
#include <wx/toplevel.h>

namespace wordloom::ui {

// Lets the dialog's controls take the small heights of its template. GTK's
// default theme pads entries and buttons to about 34 pixels, more than the
// 14- and 16-unit rows of the layout; without this they would be clipped.
// Does nothing on platforms whose controls follow their given size.
void ApplyCompactStyle(wxTopLevelWindow& window);

}  // namespace wordloom::ui
