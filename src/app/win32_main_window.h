// The main window's port on the real wizard dialog: each operation is one
// platform call, or one call of the control object that owns the control. No
// logic lives here.
#pragma once

#include "platform/main_window.h"

namespace velkor {

namespace fw {
class CDialog;
class CProgressCtrl;
}  // namespace fw
class CPictureEx;

class Win32MainWindow final : public MainWindow {
 public:
  // The dialog, and those of its controls that are objects of their own: the
  // progress bar and the two playing pictures.
  struct Parts {
    fw::CDialog& dialog;
    fw::CProgressCtrl& progress;
    CPictureEx& banner;
    CPictureEx& animation;
  };

  explicit Win32MainWindow(const Parts& parts) : p_(parts) {}

  void setText(int control, const std::u16string& text) override;
  void show(int control, bool visible) override;
  void moveControl(int control, int dx, int dy) override;
  void setProgressRange(std::uint16_t lower, std::uint16_t upper) override;
  void setProgressStep(int step) override;
  void setProgressPos(int pos) override;
  void stepProgress() override;
  void stopAnimation(int control) override;
  void pumpMessages() override;
  int messageBox(const std::u16string& text, const std::u16string& caption, unsigned style) override;
  void updateWindow() override;
  void showWindow(bool visible) override;
  void playSound() override;
  void enableCloseItem(bool enabled) override;
  void endWithOk() override;
  void endDialog(int result) override;
  void sendCloseCommand() override;

 private:
  Parts p_;
};

}  // namespace velkor
