#include "engine/failure_display.h"

namespace velkor {

void showInstallFailure(MainWindow& view, WizardState& state, const std::u16string& path,
                        const std::u16string& reason) {
  view.setText(ctl::kTitle, text::kFailureTitle);
  view.setText(ctl::kLine1, path);
  view.setText(ctl::kLine2, reason);
  view.setText(ctl::kLine3, text::kClickOkToExit);
  view.setText(ctl::kStatus, text::kInstallFailedStatus);
  view.show(ctl::kNext, false);
  view.setText(ctl::kCancelFinish, text::kOkCaption);
  state.bInstalling = 0;
  state.bInstallFailed = 1;
}

}  // namespace velkor
