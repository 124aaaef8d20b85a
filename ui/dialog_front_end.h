#pragma once
#include <chrono>
#include <memory>

#include <wx/progdlg.h>
#include <wx/window.h>

#include "wordloom/session.h"

namespace wordloom::ui {

// What the dialog supplies to a generation run: message boxes, the save
// chooser, and a progress window with a cancel button for long runs.
class DialogFrontEnd : public FrontEnd {
 public:
  static constexpr std::chrono::milliseconds kDefaultProgressDelay{500};

  explicit DialogFrontEnd(wxWindow* owner, std::chrono::milliseconds progressDelay = kDefaultProgressDelay);
  ~DialogFrontEnd() override;

  void ShowMessage(const std::string& utf8) override;
  std::optional<std::filesystem::path> ChooseSavePath(OutputFormat& format) override;
  // Shows the progress window once writing has taken longer than the delay;
  // until then only lets the windows repaint. False when the user cancelled.
  bool KeepWriting(int64_t done, int64_t total) override;

  bool progressShown() const { return progress_ != nullptr; }

 private:
  using Clock = std::chrono::steady_clock;

  wxWindow* owner_;
  std::chrono::milliseconds progressDelay_;
  Clock::time_point writeStart_;
  Clock::time_point lastRepaint_;
  std::unique_ptr<wxProgressDialog> progress_;
};

}  // namespace wordloom::ui
