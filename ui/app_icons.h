#pragma once
#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace wordloom::ui {

// Icon IDR_MAINFRAME at every size the program carries (16, 32, 48, 256).
wxIconBundle AppIcons();
// One size of it; an empty bitmap for a size the program does not carry.
wxBitmap AppIconBitmap(int size);

}  // namespace wordloom::ui
