#pragma once
#include <wx/app.h>

// The application: shows the dialog modally and ends when it closes. It reads
// no command line, settings or registry.
class CTitleApp : public wxApp {
 public:
  // Reports a missing display in words a user can act on.
  bool Initialize(int& argc, wxChar** argv) override;
  // The dialog's whole life: create it, run it modally, done.
  bool OnInit() override;
  // There is no main loop of the program's own: the dialog's modal loop
  // was the whole run.
  int OnRun() override;
};

// What the program prints when no window can be opened.
extern const char kNoDisplayMessage[];
