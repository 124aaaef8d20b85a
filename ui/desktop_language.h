#pragma once

namespace wordloom::ui {

// Lets the toolkit's own texts (standard buttons, the progress window, the
// file choosers) follow the desktop's language: the process locale and
// wxWidgets' message catalog for that language. The program's own texts are
// Chinese whatever the desktop. Call once, before the first window.
// Returns whether wxWidgets found a catalog for the desktop's language.
bool UseDesktopLanguage();

}  // namespace wordloom::ui
