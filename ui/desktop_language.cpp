#include "desktop_language.h"

#include <wx/translation.h>
#include <wx/uilocale.h>

namespace wordloom::ui {

bool UseDesktopLanguage() {
  // wxWidgets keeps GTK from setting the C library's locale at its start;
  // the desktop's locale is taken here, for GTK's own texts as for wx's.
  wxUILocale::UseDefault();
  auto* translations = new wxTranslations;
#ifdef __WXMSW__
  // The catalogs travel inside the executable (type MOFILE, see
  // res/wordloom.rc), so the single .exe needs no files beside it.
  translations->SetLoader(new wxResourceTranslationsLoader);
#endif
  wxTranslations::Set(translations);
  return translations->AddStdCatalog();
}

}  // namespace wordloom::ui
