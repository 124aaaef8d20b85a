#include "compact_style.h"

#ifdef __WXGTK3__
#include <dlfcn.h>
#endif

namespace wordloom::ui {

#ifdef __WXGTK3__
namespace {

// Style rules for windows named kWidgetName only, so file choosers and
// message boxes keep the theme's own look.
const char kWidgetName[] = "wordloom-compact";
const char kCss[] =
    "#wordloom-compact entry { min-height: 0; padding: 0 3px; }\n"
    "#wordloom-compact button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
    "#wordloom-compact combobox entry { min-height: 0; padding: 0 3px; }\n"
    "#wordloom-compact combobox button { min-height: 0; padding: 0 2px; }\n"
    "#wordloom-compact frame > border { border-radius: 0; }\n";

// The GTK headers are not among the build's dependencies, but wxGTK has the
// library loaded: look up the five calls needed by name.
struct Gtk {
  void* (*cssProviderNew)();
  int (*cssProviderLoadFromData)(void*, const char*, long, void**);
  void* (*screenGetDefault)();
  void (*addProviderForScreen)(void*, void*, unsigned);
  void (*widgetSetName)(void*, const char*);

  bool Load() {
    cssProviderNew = reinterpret_cast<decltype(cssProviderNew)>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
    cssProviderLoadFromData =
        reinterpret_cast<decltype(cssProviderLoadFromData)>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
    screenGetDefault = reinterpret_cast<decltype(screenGetDefault)>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    addProviderForScreen =
        reinterpret_cast<decltype(addProviderForScreen)>(dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
    widgetSetName = reinterpret_cast<decltype(widgetSetName)>(dlsym(RTLD_DEFAULT, "gtk_widget_set_name"));
    return cssProviderNew && cssProviderLoadFromData && screenGetDefault && addProviderForScreen && widgetSetName;
  }
};

const Gtk* LoadedGtk() {
  static Gtk gtk;
  static const bool ok = [] {
    if (!gtk.Load()) return false;
    void* screen = gtk.screenGetDefault();
    if (!screen) return false;
    void* provider = gtk.cssProviderNew();
    gtk.cssProviderLoadFromData(provider, kCss, -1, nullptr);
    constexpr unsigned kPriorityApplication = 600;
    gtk.addProviderForScreen(screen, provider, kPriorityApplication);
    return true;
  }();
  return ok ? &gtk : nullptr;
}

}  // namespace

void ApplyCompactStyle(wxTopLevelWindow& window) {
  if (const Gtk* gtk = LoadedGtk()) gtk->widgetSetName(window.GetHandle(), kWidgetName);
}

#else

void ApplyCompactStyle(wxTopLevelWindow&) {}

#endif

}  // namespace wordloom::ui
