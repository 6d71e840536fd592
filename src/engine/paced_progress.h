// The main window as the installation sees it, with the progress bar's
// repaints paced. Each step of the bar repaints it at once, and a step comes
// every 100,000 bytes: hundreds of repaints an installation, most of its time
// under some window systems. This view keeps the steps' count exactly as the
// bar would (the same position, wrapping at the top as the control does) and
// puts that position on the screen at most once per kPaintInterval while
// bytes are copied, and always before the status line changes, before a
// message box, and when the position is set outright (the bar standing full
// at the end). Every other call goes to the window unchanged.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/main_window.h"

namespace velkor {

// Where PBM_STEPIT leaves the bar: past the top it starts over from the
// bottom, as the common control counts; a bar without a range never moves.
int positionAfterStep(int position, int step, int lower, int upper);

class PacedProgressView final : public MainWindow {
 public:
  // Milliseconds of a monotonic clock.
  using Clock = std::function<std::int64_t()>;
  static constexpr std::int64_t kPaintInterval = 15;

  explicit PacedProgressView(MainWindow& window, Clock now = {});

  void setText(int control, const std::u16string& text) override;
  void show(int control, bool visible) override { window_.show(control, visible); }
  void setProgressRange(std::uint16_t lower, std::uint16_t upper) override;
  void setProgressStep(int step) override;
  void setProgressPos(int pos) override;
  void stepProgress() override;
  void pumpMessages() override;
  int messageBox(const std::u16string& text, const std::u16string& caption, unsigned style) override;
  void updateWindow() override { window_.updateWindow(); }
  void stopAnimation(int control) override { window_.stopAnimation(control); }
  void moveControl(int control, int dx, int dy) override { window_.moveControl(control, dx, dy); }
  void showWindow(bool visible) override { window_.showWindow(visible); }
  void playSound() override { window_.playSound(); }
  void enableCloseItem(bool enabled) override { window_.enableCloseItem(enabled); }
  void endWithOk() override { window_.endWithOk(); }
  void endDialog(int result) override { window_.endDialog(result); }
  void sendCloseCommand() override { window_.sendCloseCommand(); }

  // The position the steps have reached, and the one the window shows.
  int position() const { return position_; }
  int shown() const { return shown_; }

 private:
  // Puts the position on the screen when it differs from the shown one.
  void paint();

  MainWindow& window_;
  Clock now_;
  int lower_ = 0, upper_ = 100, step_ = 10;  // the control's defaults
  int position_ = 0, shown_ = 0;
  // Long ago: the first paint that is due waits for nobody.
  std::int64_t lastPaint_ = INT64_MIN / 2;
};

}  // namespace velkor
