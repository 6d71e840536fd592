// The main wizard window (dialog 102) as the engine, the flow and the finish
// reach it: its controls' texts and visibility, the progress bar, the message
// pump, message boxes, repaints, the animations, the window itself, the sound,
// the system menu's Close item and the three ways the modal dialog ends. The
// Win32 side implements it once on the real dialog (app/win32_main_window.h);
// tests use a recording fake. Portable: no windows.h here.
#pragma once

#include <cstdint>
#include <string>

#include "resources/resource_ids.h"

namespace velkor {

// Controls of the main wizard window used across the wizard, by the resource
// script's numbers.
namespace ctl {
inline constexpr int kNext = IDC_NEXT;                   // "下一步(&N) >"
inline constexpr int kCancelFinish = IDC_CANCEL_FINISH;  // "取消" / "稍后..." / "确定" / "完成"
inline constexpr int kLine1 = IDC_LINE1;
inline constexpr int kTitle = IDC_TITLE;
inline constexpr int kLine2 = IDC_LINE2;
inline constexpr int kLine3 = IDC_LINE3;
inline constexpr int kProgress = IDC_PROGRESS;
inline constexpr int kStatus = IDC_STATUS;
inline constexpr int kBanner = IDC_BANNER;
inline constexpr int kAnimation = IDC_ANIMATION;
}  // namespace ctl

class MainWindow {
 public:
  virtual ~MainWindow() = default;

  // --- Controls ------------------------------------------------------------
  // Control texts (static texts and button captions alike) and visibility.
  virtual void setText(int control, const std::u16string& text) = 0;
  virtual void show(int control, bool visible) = 0;
  // Moves a control by (dx, dy) pixels of a 96-dpi display (scaled to the
  // window's DPI as the layout tables are) in the client area, repainting.
  virtual void moveControl(int control, int dx, int dy) = 0;

  // The progress bar, one window message each (PBM_SETRANGE with a 16-bit
  // pair, PBM_SETSTEP, PBM_SETPOS, PBM_STEPIT).
  virtual void setProgressRange(std::uint16_t lower, std::uint16_t upper) = 0;
  virtual void setProgressStep(int step) = 0;
  virtual void setProgressPos(int pos) = 0;
  virtual void stepProgress() = 0;

  // Stops the animation of picture control 1013 or 1018.
  virtual void stopAnimation(int control) = 0;

  // --- The window ----------------------------------------------------------
  // Dispatches every waiting message of the thread; keeps the window alive
  // during long work on the user-interface thread.
  virtual void pumpMessages() = 0;
  // A message box owned by the main window; returns the button pressed.
  virtual int messageBox(const std::u16string& text, const std::u16string& caption,
                         unsigned style) = 0;
  // UpdateWindow on the main window: repaint at once.
  virtual void updateWindow() = 0;
  // Shows or hides the main window itself.
  virtual void showWindow(bool visible) = 0;
  // Plays the WAVE resource "IDR_INFO" without waiting.
  virtual void playSound() = 0;
  // Greys (false) or enables again (true) the system menu's Close command;
  // greying it disables the close box as well.
  virtual void enableCloseItem(bool enabled) = 0;

  // --- Ending the modal dialog (each takes effect once the running handler
  // returns) ------------------------------------------------------------------
  // The dialog's OK handling: data exchange back, then the end with IDOK.
  virtual void endWithOk() = 0;
  // EndDialog(result).
  virtual void endDialog(int result) = 0;
  // WM_SYSCOMMAND SC_CLOSE sent to the dialog: its own close handling runs.
  virtual void sendCloseCommand() = 0;
};

}  // namespace velkor
