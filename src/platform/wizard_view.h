// What the engine and the wizard flow do to the main wizard window. The Win32
// side implements it on the real dialog; tests use a recording fake.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

// Controls of the main wizard window (dialog 102) used across the wizard.
namespace ctl {
inline constexpr int kNext = 1000;          // "下一步(&N) >"
inline constexpr int kCancelFinish = 1001;  // "取消" / "稍后..." / "确定" / "完成"
inline constexpr int kLine1 = 1002;
inline constexpr int kTitle = 1003;
inline constexpr int kLine2 = 1004;
inline constexpr int kLine3 = 1005;
inline constexpr int kProgress = 1011;
inline constexpr int kStatus = 1012;
inline constexpr int kBanner = 1013;
inline constexpr int kAnimation = 1018;
}  // namespace ctl

class WizardView {
 public:
  virtual ~WizardView() = default;

  // Control texts (static texts and button captions alike) and visibility.
  virtual void setText(int control, const std::u16string& text) = 0;
  virtual void show(int control, bool visible) = 0;

  // The progress bar, one window message each (PBM_SETRANGE with a 16-bit
  // pair, PBM_SETSTEP, PBM_SETPOS, PBM_STEPIT).
  virtual void setProgressRange(std::uint16_t lower, std::uint16_t upper) = 0;
  virtual void setProgressStep(int step) = 0;
  virtual void setProgressPos(int pos) = 0;
  virtual void stepProgress() = 0;

  // Dispatches every waiting message of the thread; keeps the window alive
  // during long work on the user-interface thread.
  virtual void pumpMessages() = 0;

  // A message box owned by the main window; returns the button pressed.
  virtual int messageBox(const std::u16string& text, const std::u16string& caption,
                         unsigned style) = 0;

  // UpdateWindow on the main window: repaint at once.
  virtual void updateWindow() = 0;

  // Stops the animation of picture control 1013 or 1018.
  virtual void stopAnimation(int control) = 0;
};

}  // namespace velkor
