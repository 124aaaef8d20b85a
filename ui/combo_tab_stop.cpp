#include "combo_tab_stop.h"

#ifdef __WXGTK3__
#include <dlfcn.h>
#endif

namespace wordloom::ui {

#ifdef __WXGTK3__

namespace {

// The GTK calls needed, looked up by name in the GTK library wxGTK has loaded
// (the GTK headers are not among the build's dependencies).
struct Gtk {
  using Callback = void (*)(void*, void*);
  void (*forall)(void*, Callback, void*);
  int (*isA)(void*, unsigned long);
  unsigned long (*containerType)();
  unsigned long (*toggleButtonType)();
  void (*setCanFocus)(void*, int);

  bool Load() {
    forall = reinterpret_cast<decltype(forall)>(dlsym(RTLD_DEFAULT, "gtk_container_forall"));
    isA = reinterpret_cast<decltype(isA)>(dlsym(RTLD_DEFAULT, "g_type_check_instance_is_a"));
    containerType = reinterpret_cast<decltype(containerType)>(dlsym(RTLD_DEFAULT, "gtk_container_get_type"));
    toggleButtonType = reinterpret_cast<decltype(toggleButtonType)>(dlsym(RTLD_DEFAULT, "gtk_toggle_button_get_type"));
    setCanFocus = reinterpret_cast<decltype(setCanFocus)>(dlsym(RTLD_DEFAULT, "gtk_widget_set_can_focus"));
    return forall && isA && containerType && toggleButtonType && setCanFocus;
  }
};

Gtk g_gtk;

// The arrow is an internal child, inside an internal box: gtk_container_forall
// reaches those, gtk_container_foreach would not.
void NoFocusOnToggleButtons(void* widget, void*) {
  if (g_gtk.isA(widget, g_gtk.toggleButtonType())) {
    g_gtk.setCanFocus(widget, 0);
  } else if (g_gtk.isA(widget, g_gtk.containerType())) {
    g_gtk.forall(widget, &NoFocusOnToggleButtons, nullptr);
  }
}

}  // namespace

void MakeSingleTabStop(wxComboBox& combo) {
  static const bool loaded = g_gtk.Load();
  if (loaded && combo.GetHandle()) NoFocusOnToggleButtons(combo.GetHandle(), nullptr);
}

#else

void MakeSingleTabStop(wxComboBox&) {}

#endif

}  // namespace wordloom::ui
