#include "dialog_front_end.h"

#include <algorithm>
#include <cstdint>

#include <wx/evtloop.h>

#include "dialog_templates.h"
#include "file_choosers.h"
#include "message_box.h"

namespace wordloom::ui {
namespace {

constexpr std::chrono::milliseconds kRepaintInterval{50};

wxString ProgressText(int64_t titlesWritten) {
  return wxString::Format(wxString::FromUTF8("正在写入标题文件……\n已写入 %lld 条标题"),
                          static_cast<long long>(titlesWritten));
}

// Paints and resizes, but takes no clicks or keys: the run is still in charge.
void Repaint() {
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
}

}  // namespace

DialogFrontEnd::DialogFrontEnd(wxWindow* owner, std::chrono::milliseconds progressDelay)
    : owner_(owner), progressDelay_(progressDelay) {}

DialogFrontEnd::~DialogFrontEnd() = default;

void DialogFrontEnd::ShowMessage(const std::string& utf8) { ShowAppMessage(owner_, wxString::FromUTF8(utf8)); }

std::optional<std::filesystem::path> DialogFrontEnd::ChooseSavePath(OutputFormat& format) {
  std::optional<std::filesystem::path> path = ChooseSaveFile(owner_, format);
  writeStart_ = lastRepaint_ = Clock::now();
  return path;
}

bool DialogFrontEnd::KeepWriting(int64_t titlesWritten, int64_t total) {
  const Clock::time_point now = Clock::now();
  if (!progress_) {
    if (now - writeStart_ < progressDelay_) {
      if (now - lastRepaint_ >= kRepaintInterval) {
        Repaint();
        lastRepaint_ = now;
      }
      return true;
    }
    // The count is known by now; a negative one writes no titles at all.
    const int range = total > 0 ? static_cast<int>(std::min<int64_t>(total, INT32_MAX)) : 1;
    // The time rows and the cancel button are wxWidgets' own, labelled in
    // the desktop's language from its catalog.
    // Laid out for the longest count it will show: the Windows progress
    // window keeps its first size and would clip a longer one.
    progress_ = std::make_unique<wxProgressDialog>(wxString::FromUTF8(res::kAppName),
                                                   ProgressText(std::max(total, titlesWritten)), range,
                                                   owner_,
                                                   wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_ELAPSED_TIME | wxPD_REMAINING_TIME);
  }
  const int value = static_cast<int>(std::min<int64_t>(titlesWritten, progress_->GetRange()));
  // Update repaints and handles the cancel button; it reports false once
  // cancelled. The last title is not written yet, so never fill the bar.
  const int shown = value >= progress_->GetRange() ? progress_->GetRange() - 1 : value;
  return progress_->Update(shown < 0 ? 0 : shown, ProgressText(titlesWritten));
}

}  // namespace wordloom::ui
