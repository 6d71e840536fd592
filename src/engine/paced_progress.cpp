#include "engine/paced_progress.h"

#include <algorithm>
#include <chrono>

namespace velkor {

int positionAfterStep(int position, int step, int lower, int upper) {
  if (lower == upper) return position;
  int next = position + step;
  if (next > upper) next = (next - lower) % (upper - lower) + lower;
  if (next < lower) next = (next - lower) % (upper - lower) + upper;
  return next;
}

namespace {

std::int64_t steadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

PacedProgressView::PacedProgressView(MainWindow& window, Clock now)
    : window_(window), now_(now ? std::move(now) : Clock(steadyMilliseconds)) {}

void PacedProgressView::paint() {
  if (position_ == shown_) return;
  window_.setProgressPos(position_);
  shown_ = position_;
  lastPaint_ = now_();
}

void PacedProgressView::setText(int control, const std::u16string& text) {
  // The status line names the next file: the bar first shows what the last
  // one brought.
  if (control == ctl::kStatus) paint();
  window_.setText(control, text);
}

void PacedProgressView::setProgressRange(std::uint16_t lower, std::uint16_t upper) {
  lower_ = lower;
  upper_ = std::max<int>(lower, upper);
  position_ = std::clamp(position_, lower_, upper_);
  shown_ = std::clamp(shown_, lower_, upper_);
  window_.setProgressRange(lower, upper);
}

void PacedProgressView::setProgressStep(int step) {
  step_ = step;
  window_.setProgressStep(step);
}

void PacedProgressView::setProgressPos(int pos) {
  position_ = std::clamp(pos, lower_, upper_);
  shown_ = position_;
  window_.setProgressPos(pos);
  lastPaint_ = now_();
}

void PacedProgressView::stepProgress() { position_ = positionAfterStep(position_, step_, lower_, upper_); }

void PacedProgressView::pumpMessages() {
  if (position_ != shown_ && now_() - lastPaint_ >= kPaintInterval) paint();
  window_.pumpMessages();
}

int PacedProgressView::messageBox(const std::u16string& text, const std::u16string& caption, unsigned style) {
  // A message box waits for the user: the bar shows where the work stands.
  paint();
  return window_.messageBox(text, caption, style);
}

}  // namespace velkor
