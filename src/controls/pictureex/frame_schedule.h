// How the animated picture control's worker plays its frame list: how long a
// frame stays, what its disposal method leaves behind, when the canvas is
// cleared, when each frame is decoded, and the order of drawing,
// waiting, stopping and disposing. The Windows control carries the decisions
// out on its canvas through AnimationCanvas; the thread, the GDI objects, the
// decoder and the lock stay there.
#pragma once

#include <cstdint>

#include "controls/pictureex/gif_reader.h"

namespace velkor {

namespace anim {
// Delays below this many hundredths (and frames without a graphic control
// extension) are shown for kShortFrameMs.
inline constexpr std::uint32_t kMinTimedDelay = 5;
inline constexpr std::uint32_t kShortFrameMs = 100;
inline constexpr std::uint32_t kMsPerDelayUnit = 10;

inline constexpr std::uint32_t kDisposeToBackground = 2;
inline constexpr std::uint32_t kDisposeToPrevious = 3;
}  // namespace anim

// A rectangle on the canvas in pixels, right and bottom exclusive (RECT).
struct FrameRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

inline bool operator==(const FrameRect& a, const FrameRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// What a frame's disposal method does once its time has passed.
enum class Disposal {
  Keep,            // the next frame is drawn over it
  FillBackground,  // its rectangle is filled with the background colour
  RestorePrevious, // the canvas area saved before it was drawn is put back
};

// Milliseconds a frame stays: 10 x delay, but 100 for delays 0 to 4 and for
// a frame without a graphic control extension.
std::uint32_t FrameWaitMs(std::uint32_t delay);
Disposal DisposalOf(std::uint32_t disposal);
// The frame's rectangle: origin to origin + extent.
FrameRect FrameArea(const GifFrameInfo& frame);
// The whole canvas: (0, 0) to the picture size.
FrameRect CanvasArea(GifSize picture);

// Everything the worker does for one frame that has a picture.
struct FramePlan {
  FrameRect area;            // where the frame is drawn, saved and disposed
  bool saveUnder = false;    // save the canvas under area before drawing
  std::uint32_t waitMs = 0;  // how long it stays
  Disposal after = Disposal::Keep;
};
FramePlan PlanFrame(const GifFrameInfo& frame);

// The control's canvas and frame list as the worker sees them. Each operation
// is one drawing step of the Windows control, taken under its canvas lock.
class AnimationCanvas {
 public:
  virtual ~AnimationCanvas() = default;

  virtual std::uint32_t FrameCount() const = 0;
  virtual GifFrameInfo Frame(std::uint32_t index) const = 0;
  // Has the frame's picture ready to draw: waits for the decoding asked for
  // ahead, or has it made now. False for a frame that does not decode (it is
  // passed over) and when a stop cuts the wait short.
  virtual bool PrepareFrame(std::uint32_t index) = 0;
  // Once a frame is on the canvas: asks for frame `next` to be decoded before
  // its turn, unless it holds its picture already. False, asking nothing,
  // when `next` is already known not to decode.
  virtual bool PrepareAhead(std::uint32_t next) = 0;
  // A millisecond clock: whatever asking ahead takes comes out of the wait.
  virtual std::uint32_t Milliseconds() const = 0;
  // The stop flag, set by the window's thread.
  virtual bool StopRequested() const = 0;

  // Saves the canvas under area for a later restore. When the save cannot be
  // made whole it frees what it made and leaves no save behind.
  virtual void SaveArea(const FrameRect& area) = 0;
  virtual bool HasSavedArea() const = 0;
  // Puts the saved area back at area's top-left and frees the save.
  virtual void RestoreSavedArea(const FrameRect& area) = 0;
  // Renders the frame's picture into area; true when it was drawn.
  virtual bool RenderFrame(std::uint32_t index, const FrameRect& area) = 0;
  // Asks for the control to be repainted from the canvas (no erase).
  virtual void Invalidate() = 0;
  virtual void FillBackground(const FrameRect& area) = 0;
  // Waits on the stop event for at most ms; a stop cuts it short.
  virtual void WaitForStop(std::uint32_t ms) = 0;
};

// The worker's loop. It first finishes the disposal that a stop left pending
// on the frame at nFrame, then draws, waits and disposes frame after frame,
// clearing the canvas after the last, until a stop is requested. A stop right
// after drawing or during the wait leaves that frame undisposed and nFrame on
// it, so the next run starts by disposing of it. nFrame is the control's
// current-frame index.
//
// Once a frame is drawn, the next one to be shown is asked for, so that it is
// decoded while the current one waits; any time the asking takes is taken
// out of the wait, so every frame appears when it would if all were decoded
// beforehand. A frame that does not decode is passed over unseen, without a
// wait or a disposal, like a frame that is not there.
void AnimateFrames(AnimationCanvas& canvas, std::uint32_t& nFrame, GifSize picture);

}  // namespace velkor
