#include "controls/pictureex/frame_schedule.h"

#include <limits>

namespace velkor {

std::uint32_t FrameWaitMs(std::uint32_t delay) {
  if (delay < anim::kMinTimedDelay || delay == gif::kNoGraphicControl) return anim::kShortFrameMs;
  // Delays come from a 16-bit field; anything larger is held below INFINITE
  // so the wait always ends.
  const std::uint64_t ms = std::uint64_t{delay} * anim::kMsPerDelayUnit;
  constexpr std::uint64_t kLongest = std::numeric_limits<std::uint32_t>::max() - 1;
  return static_cast<std::uint32_t>(ms < kLongest ? ms : kLongest);
}

Disposal DisposalOf(std::uint32_t disposal) {
  switch (disposal) {
    case anim::kDisposeToBackground:
      return Disposal::FillBackground;
    case anim::kDisposeToPrevious:
      return Disposal::RestorePrevious;
    default:
      return Disposal::Keep;
  }
}

FrameRect FrameArea(const GifFrameInfo& frame) {
  return {frame.origin.cx, frame.origin.cy, frame.origin.cx + frame.extent.cx,
          frame.origin.cy + frame.extent.cy};
}

FrameRect CanvasArea(GifSize picture) { return {0, 0, picture.cx, picture.cy}; }

FramePlan PlanFrame(const GifFrameInfo& frame) {
  FramePlan plan;
  plan.area = FrameArea(frame);
  plan.after = DisposalOf(frame.disposal);
  plan.saveUnder = plan.after == Disposal::RestorePrevious;
  plan.waitMs = FrameWaitMs(frame.delay);
  return plan;
}

namespace {

void Dispose(AnimationCanvas& canvas, const FramePlan& plan) {
  if (plan.after == Disposal::FillBackground) {
    canvas.FillBackground(plan.area);
  } else if (plan.after == Disposal::RestorePrevious && canvas.HasSavedArea()) {
    canvas.RestoreSavedArea(plan.area);
  }
}

// What is left of a wait of waitMs once `spent` milliseconds of it have gone.
std::uint32_t Remaining(std::uint32_t waitMs, std::uint32_t spent) { return spent < waitMs ? waitMs - spent : 0; }

// Asks for the frame that will be shown after `index`: the first one after
// it, in playing order, not known to fail.
void PrepareAhead(AnimationCanvas& canvas, std::uint32_t index, std::uint32_t count) {
  for (std::uint32_t step = 1; step <= count; ++step) {
    if (canvas.PrepareAhead((index + step) % count)) return;
  }
}

}  // namespace

void AnimateFrames(AnimationCanvas& canvas, std::uint32_t& nFrame, GifSize picture) {
  const std::uint32_t count = canvas.FrameCount();
  if (count == 0) return;
  if (nFrame >= count) nFrame = 0;

  Dispose(canvas, PlanFrame(canvas.Frame(nFrame)));

  bool waitedThisPass = false;
  while (!canvas.StopRequested()) {
    const std::uint32_t index = nFrame;
    const bool ready = canvas.PrepareFrame(index);
    // A stop while the frame was awaited leaves its turn to the next run.
    if (canvas.StopRequested()) break;
    if (ready) {
      const FramePlan plan = PlanFrame(canvas.Frame(index));
      if (plan.saveUnder) canvas.SaveArea(plan.area);
      if (canvas.RenderFrame(index, plan.area)) canvas.Invalidate();
      if (canvas.StopRequested()) break;
      const std::uint32_t shownAt = canvas.Milliseconds();
      PrepareAhead(canvas, index, count);
      canvas.WaitForStop(Remaining(plan.waitMs, canvas.Milliseconds() - shownAt));
      waitedThisPass = true;
      if (canvas.StopRequested()) break;
      Dispose(canvas, plan);
    }
    if (++nFrame == count) {
      // Every pass of the animation starts on a clean background.
      nFrame = 0;
      canvas.FillBackground(CanvasArea(picture));
      // Should no frame decode any more, a pass still takes its time rather
      // than spinning.
      if (!waitedThisPass) canvas.WaitForStop(anim::kShortFrameMs);
      waitedThisPass = false;
    }
  }
}

}  // namespace velkor
