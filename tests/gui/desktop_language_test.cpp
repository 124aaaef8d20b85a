// The toolkit's own texts as a user sees them: the save chooser's buttons,
// the message boxes' buttons and the progress window's rows and cancel
// button. The test command runs the dialog tests once more under
// zh_CN.UTF-8, where they must be Chinese; under any other language they
// follow the desktop and are not.
#include <dlfcn.h>

#include <clocale>
#include <cstdlib>
#include <vector>

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include "dialog_front_end.h"
#include "file_choosers.h"
#include "gui_test_support.h"
#include "message_box.h"
#include "title_dlg.h"
#include "wordloom/session.h"

using namespace wordloom;

namespace {

// The locale the environment asks for messages in, read as setlocale does.
std::string WantedLocale() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return value;
  }
  return "C";
}

bool HasChinese(const wxString& text) {
  for (wxUniChar c : text) {
    if (c >= 0x4E00 && c <= 0x9FFF) return true;
  }
  return false;
}

// GTK calls looked up by name, as the program does (no GTK headers in the
// build). wxWidgets hands the choosers and message boxes to GTK, so the texts
// a user reads are only there.
struct Gtk {
  template <typename F>
  static F Fn(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
  }
  using Callback = void (*)(void*, void*);
  void* (*forResponse)(void*, int) = Fn<decltype(forResponse)>("gtk_dialog_get_widget_for_response");
  void (*respond)(void*, int) = Fn<decltype(respond)>("gtk_dialog_response");
  void (*forall)(void*, Callback, void*) = Fn<decltype(forall)>("gtk_container_forall");
  int (*isA)(void*, unsigned long) = Fn<decltype(isA)>("g_type_check_instance_is_a");
  unsigned long (*labelType)() = Fn<decltype(labelType)>("gtk_label_get_type");
  unsigned long (*containerType)() = Fn<decltype(containerType)>("gtk_container_get_type");
  unsigned long (*messageDialogType)() = Fn<decltype(messageDialogType)>("gtk_message_dialog_get_type");
  const char* (*labelText)(void*) = Fn<decltype(labelText)>("gtk_label_get_text");
  void* (*listToplevels)() = Fn<decltype(listToplevels)>("gtk_window_list_toplevels");
  int (*isVisible)(void*) = Fn<decltype(isVisible)>("gtk_widget_get_visible");

  bool Loaded() const {
    return forResponse && respond && forall && isA && labelType && containerType && messageDialogType && labelText &&
           listToplevels && isVisible;
  }

  // The text of every label inside a widget, as shown (stock buttons
  // included, whose own label property is only the stock id).
  wxString VisibleText(void* widget) const {
    if (!widget) return "(none)";
    if (isA(widget, labelType())) return wxString::FromUTF8(labelText(widget));
    wxString text;
    if (isA(widget, containerType())) {
      std::pair<const Gtk*, wxString*> ctx{this, &text};
      forall(widget, [](void* child, void* data) {
        auto* c = static_cast<std::pair<const Gtk*, wxString*>*>(data);
        *c->second += c->first->VisibleText(child);
      }, &ctx);
    }
    return text;
  }

  void ReadButtons(void* dialog, std::initializer_list<int> responses, std::vector<wxString>& texts) const {
    for (int response : responses) texts.push_back(VisibleText(forResponse(dialog, response)));
  }
};

constexpr int kGtkResponseOk = -5, kGtkResponseCancel = -6, kGtkResponseAccept = -3, kGtkResponseYes = -8,
              kGtkResponseNo = -9;

// The chooser exists as a GTK dialog once constructed: read its buttons, cancel.
struct ReadChooserButtons : wxExpectModalBase<wxFileDialog, ReadChooserButtons> {
  explicit ReadChooserButtons(std::vector<wxString>& texts) : texts(texts) {}
  int OnInvoked(wxFileDialog* dlg) const override {
    Gtk().ReadButtons(dlg->GetHandle(), {kGtkResponseCancel, kGtkResponseAccept}, texts);
    return wxID_CANCEL;
  }
  std::vector<wxString>& texts;
};

// A message box is only built as a GTK dialog inside ShowModal, so it runs for
// real; a timer reads the buttons of the visible one and answers it.
void ReadMessageBoxButtons(std::function<void()> show, std::initializer_list<int> responses, int answer,
                           std::vector<wxString>& texts) {
  const Gtk gtk;
  ASSERT_TRUE(gtk.Loaded());
  struct GList {
    void* data;
    GList* next;
    GList* prev;
  };
  bool read = false;
  wxTimer poll;
  int ticks = 0;
  poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    for (auto* node = static_cast<GList*>(gtk.listToplevels()); node && !read; node = node->next) {
      if (!gtk.isA(node->data, gtk.messageDialogType()) || !gtk.isVisible(node->data)) continue;
      gtk.ReadButtons(node->data, responses, texts);
      read = true;
      gtk.respond(node->data, answer);
    }
    if (!read && ++ticks > 400) ADD_FAILURE() << "no message box appeared";
  });
  poll.Start(50);
  g_allowRealModal = true;
  show();
  g_allowRealModal = false;
  poll.Stop();
  EXPECT_TRUE(read);
}

// Shows the progress window at once, reads it and then cancels the run.
struct ReadingFrontEnd : ui::DialogFrontEnd {
  explicit ReadingFrontEnd(wxWindow* owner) : DialogFrontEnd(owner, std::chrono::milliseconds(0)) {}
  bool KeepWriting(int64_t done, int64_t total) override {
    const bool go = DialogFrontEnd::KeepWriting(done, total);
    if (!progressShown()) return go;
    // Of the open windows only the progress window has a wxID_CANCEL button.
    wxWindow* cancel = wxWindow::FindWindowById(wxID_CANCEL);
    if (!cancel) return go;
    texts.push_back(cancel->GetLabel());
    for (wxWindow* child : cancel->GetParent()->GetChildren()) {
      auto* text = dynamic_cast<wxStaticText*>(child);  // wxDynamicCast casts before it checks
      // The time rows' captions; their values are digits, the message is ours.
      if (text && !text->GetLabel().StartsWith(wxString::FromUTF8("正在写入")) &&
          text->GetLabel().find_first_not_of("0123456789:") != wxString::npos)
        texts.push_back(text->GetLabel());
    }
    return false;
  }
  std::vector<wxString> texts;
};

}  // namespace

TEST(DesktopLanguageTest, ToolkitTextsAreChineseOnAChineseDesktopOnly) {
  const std::string wanted = WantedLocale();
  const bool chinese = wanted.rfind("zh_CN", 0) == 0;
  // setlocale falls back to "C" when the asked locale is not generated.
  ASSERT_EQ(std::string(std::setlocale(LC_MESSAGES, nullptr)), wanted)
      << "the locale " << wanted << " is missing (scripts/deps.sh generates zh_CN.UTF-8)";

  CTitleDlg dlg;
  TempFolder tmp;
  std::vector<wxString> texts;
  wxTEST_DIALOG(ui::ChooseSaveFile(&dlg), ReadChooserButtons(texts));
  ReadMessageBoxButtons([&] { ui::ShowAppMessage(&dlg, "x"); }, {kGtkResponseOk}, kGtkResponseOk, texts);
  ReadMessageBoxButtons([&] { ui::AskAppQuestion(&dlg, "x"); }, {kGtkResponseYes, kGtkResponseNo}, kGtkResponseNo,
                        texts);

  dlg.session().ChooseLibrary(tmp.Write("lib.txt", "core\naaa\nbbb\n"));
  ReadingFrontEnd frontEnd(&dlg);
  const RunInputs inputs{"400000", "core", "20", 0};
  wxTEST_DIALOG(dlg.session().Run(inputs, frontEnd), ExpectFile(tmp.path / "out.txt"));
  EXPECT_EQ(frontEnd.texts.size(), 3u) << "the cancel button and the two time rows";
  texts.insert(texts.end(), frontEnd.texts.begin(), frontEnd.texts.end());

  ASSERT_EQ(texts.size(), 8u);
  for (const wxString& text : texts) {
    EXPECT_EQ(HasChinese(text), chinese) << "\"" << text.utf8_string() << "\" under " << wanted;
  }
}
