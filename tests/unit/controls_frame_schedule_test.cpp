#include "controls/pictureex/frame_schedule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

using ::testing::ElementsAre;

TEST(FrameWait, DelayRules) {
  for (std::uint32_t delay = 0; delay < 5; ++delay) EXPECT_EQ(FrameWaitMs(delay), 100u) << delay;
  EXPECT_EQ(FrameWaitMs(5), 50u);  // shorter than delay 4
  EXPECT_EQ(FrameWaitMs(6), 60u);
  EXPECT_EQ(FrameWaitMs(120), 1200u);
  EXPECT_EQ(FrameWaitMs(0xFFFF), 655350u);
  // A frame without a graphic control extension is a short frame, not an
  // endless one.
  EXPECT_EQ(FrameWaitMs(gif::kNoGraphicControl), 100u);
  // No delay ever becomes INFINITE or wraps around.
  EXPECT_EQ(FrameWaitMs(0xFFFFFFFE), 0xFFFFFFFEu);
  EXPECT_EQ(FrameWaitMs(0x1999999A), 0xFFFFFFFEu);
}

TEST(FrameWait, DisposalMethods) {
  EXPECT_EQ(DisposalOf(2), Disposal::FillBackground);
  EXPECT_EQ(DisposalOf(3), Disposal::RestorePrevious);
  for (std::uint32_t method : {0u, 1u, 4u, 5u, 6u, 7u}) EXPECT_EQ(DisposalOf(method), Disposal::Keep) << method;
}

TEST(FrameWait, PlanOfAFrame) {
  GifFrameInfo frame;
  frame.origin = {10, 20};
  frame.extent = {30, 5};
  frame.delay = 8;
  frame.disposal = 3;
  const FramePlan plan = PlanFrame(frame);
  EXPECT_EQ(plan.area, (FrameRect{10, 20, 40, 25}));
  EXPECT_TRUE(plan.saveUnder);
  EXPECT_EQ(plan.waitMs, 80u);
  EXPECT_EQ(plan.after, Disposal::RestorePrevious);
  frame.disposal = 2;
  EXPECT_FALSE(PlanFrame(frame).saveUnder);
  EXPECT_EQ(CanvasArea({64, 48}), (FrameRect{0, 0, 64, 48}));
}

// Records every drawing operation as one line (and, with logDecoding, every
// decoding as well); stops after a given number of waits (the stop flag is
// then set, as the window's thread would). It decodes at once where it is
// asked to, as the control does when it has no window to decode on, and
// keeps what it decoded; with askOnly, asking ahead decodes nothing and the
// frame is made at its turn instead. Its clock moves only by decodeMs at each
// decoding.
class RecordingCanvas : public AnimationCanvas {
 public:
  std::vector<GifFrameInfo> frames;
  std::vector<bool> pictures;  // per frame, whether it decodes; true when not listed
  std::vector<std::uint32_t> failedRenders;
  bool saveFails = false;
  int stopAfterWaits = 1 << 30;
  int stopAfterRenders = 1 << 30;
  bool stopWhileAwaiting = false;  // a stop arrives while a frame is awaited
  bool askOnly = false;
  bool stop = false;
  bool saved = false;
  bool logDecoding = false;
  std::uint32_t decodeMs = 0;
  std::uint32_t now = 0;
  std::vector<bool> held;   // per frame, a decoded picture
  std::vector<bool> tried;  // per frame, decoded once
  std::vector<std::string> log;
  static constexpr std::size_t kRunaway = 1000;

  std::uint32_t FrameCount() const override { return static_cast<std::uint32_t>(frames.size()); }
  GifFrameInfo Frame(std::uint32_t index) const override { return frames.at(index); }
  bool PrepareFrame(std::uint32_t index) override {
    Size();
    if (held.at(index)) return true;
    if (KnownToFail(index)) return false;
    if (stopWhileAwaiting) {
      stop = true;
      return false;
    }
    return Decode(index);
  }
  bool PrepareAhead(std::uint32_t next) override {
    Size();
    if (KnownToFail(next)) return false;
    if (held.at(next)) return true;
    if (!askOnly) {
      Decode(next);
    } else if (logDecoding) {
      log.push_back("ask " + std::to_string(next));
    }
    return true;
  }
  std::uint32_t Milliseconds() const override { return now; }
  bool StopRequested() const override { return stop; }
  void SaveArea(const FrameRect& area) override {
    log.push_back("save " + Rect(area));
    saved = !saveFails;
  }
  bool HasSavedArea() const override { return saved; }
  void RestoreSavedArea(const FrameRect& area) override {
    log.push_back("restore " + Rect(area));
    saved = false;
  }
  bool RenderFrame(std::uint32_t index, const FrameRect&) override {
    log.push_back("render " + std::to_string(index));
    if (--stopAfterRenders == 0) stop = true;
    for (std::uint32_t failed : failedRenders) {
      if (failed == index) return false;
    }
    return true;
  }
  void Invalidate() override { log.push_back("invalidate"); }
  void FillBackground(const FrameRect& area) override {
    log.push_back("fill " + Rect(area));
    if (log.size() > kRunaway) stop = true;  // a loop that never waits fails instead of hanging
  }

 private:
  void Size() {
    held.resize(frames.size());
    tried.resize(frames.size());
  }
  bool Decodes(std::uint32_t index) const { return index >= pictures.size() || pictures[index]; }
  bool KnownToFail(std::uint32_t index) const { return tried.at(index) && !Decodes(index); }
  bool Decode(std::uint32_t index) {
    tried.at(index) = true;
    const bool decodes = Decodes(index);
    if (logDecoding) log.push_back((decodes ? "decode " : "undecodable ") + std::to_string(index));
    now += decodeMs;
    held.at(index) = decodes;
    return decodes;
  }
  void WaitForStop(std::uint32_t ms) override {
    log.push_back("wait " + std::to_string(ms));
    if (--stopAfterWaits == 0) stop = true;
  }

  static std::string Rect(const FrameRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
  }
};

GifFrameInfo MakeFrame(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                       std::uint32_t delay, std::uint32_t disposal) {
  GifFrameInfo frame;
  frame.origin = {left, top};
  frame.extent = {width, height};
  frame.delay = delay;
  frame.disposal = disposal;
  return frame;
}

constexpr GifSize kPicture{20, 10};

TEST(AnimationLoop, PlaysDisposesAndClearsAtTheWrap) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 1), MakeFrame(2, 3, 4, 5, 0, 2), MakeFrame(1, 1, 6, 6, 7, 3)};
  canvas.stopAfterWaits = 4;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre(
      // nothing pending after a load (frame 0, disposal 1)
      "render 0", "invalidate", "wait 100",
      "render 1", "invalidate", "wait 100", "fill 2,3,6,8",
      "save 1,1,7,7", "render 2", "invalidate", "wait 70", "restore 1,1,7,7",
      "fill 0,0,20,10",  // after the last frame
      "render 0", "invalidate", "wait 100"));
  EXPECT_EQ(nFrame, 0u);  // stopped during frame 0's wait
}

TEST(AnimationLoop, StopDuringWaitLeavesDisposalPendingForTheNextRun) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 0), MakeFrame(2, 3, 4, 5, 20, 2), MakeFrame(1, 1, 6, 6, 30, 3)};
  canvas.stopAfterWaits = 2;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  // Frame 1 was showing: its fill has not happened.
  EXPECT_EQ(nFrame, 1u);
  EXPECT_EQ(canvas.log.back(), "wait 200");

  // The next run disposes of it first, then shows it again.
  canvas.log.clear();
  canvas.stop = false;
  canvas.stopAfterWaits = 1;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("fill 2,3,6,8", "render 1", "invalidate", "wait 200"));

  // A disposal-3 frame stopped during its wait is restored at the next start.
  canvas.log.clear();
  canvas.stop = false;
  nFrame = 2;
  canvas.stopAfterWaits = 1;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_TRUE(canvas.saved);
  EXPECT_EQ(nFrame, 2u);
  canvas.log.clear();
  canvas.stop = false;
  canvas.stopAfterWaits = 1;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("restore 1,1,7,7", "save 1,1,7,7", "render 2", "invalidate", "wait 300"));
}

TEST(AnimationLoop, StopRightAfterDrawingSkipsTheWait) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 2), MakeFrame(0, 0, 20, 10, 10, 2)};
  canvas.stopAfterRenders = 2;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  // The start disposes of frame 0 as well: its rectangle starts on the
  // background colour, as in every later pass.
  EXPECT_THAT(canvas.log, ElementsAre("fill 0,0,20,10", "render 0", "invalidate", "wait 100", "fill 0,0,20,10",
                                      "render 1", "invalidate"));
  EXPECT_EQ(nFrame, 1u);
}

TEST(AnimationLoop, StoppedBeforeStartOnlyFinishesThePendingDisposal) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 0), MakeFrame(2, 2, 2, 2, 10, 2)};
  canvas.stop = true;
  std::uint32_t nFrame = 1;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("fill 2,2,4,4"));
  EXPECT_EQ(nFrame, 1u);
}

TEST(AnimationLoop, FrameWithoutPictureIsPassedOverUnseen) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 0), MakeFrame(0, 0, 5, 5, 50, 2), MakeFrame(0, 0, 20, 10, 10, 0)};
  canvas.pictures = {true, false, true};
  canvas.stopAfterWaits = 2;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  // No wait, no disposal for the frame that did not decode.
  EXPECT_THAT(canvas.log, ElementsAre("render 0", "invalidate", "wait 100", "render 2", "invalidate", "wait 100"));
  EXPECT_EQ(nFrame, 2u);
}

TEST(AnimationLoop, FailedRenderStillWaitsAndDisposes) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 4, 4, 10, 2), MakeFrame(0, 0, 20, 10, 10, 0)};
  canvas.failedRenders = {0};
  canvas.stopAfterWaits = 2;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("fill 0,0,4,4", "render 0", "wait 100", "fill 0,0,4,4", "render 1",
                                      "invalidate", "wait 100"));
}

TEST(AnimationLoop, FailedSaveSkipsTheRestore) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(1, 1, 2, 2, 10, 3), MakeFrame(0, 0, 20, 10, 10, 0)};
  canvas.saveFails = true;
  canvas.stopAfterWaits = 2;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("save 1,1,3,3", "render 0", "invalidate", "wait 100", "render 1", "invalidate",
                                      "wait 100"));
}

TEST(AnimationLoop, EachFrameIsDecodedOnceWhileTheOneBeforeItShows) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 1), MakeFrame(0, 0, 20, 10, 6, 1)};
  canvas.held = {true, false};  // the load decoded the first frame
  canvas.logDecoding = true;
  canvas.stopAfterWaits = 3;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre(
      "render 0", "invalidate", "decode 1", "wait 100",
      "render 1", "invalidate", "wait 60", "fill 0,0,20,10",
      // the second pass decodes nothing
      "render 0", "invalidate", "wait 100"));
}

TEST(AnimationLoop, TheTimeTheNextFrameTakesComesOutOfTheWait) {
  for (const std::uint32_t decodeMs : {25u, 150u}) {
    SCOPED_TRACE(decodeMs);
    RecordingCanvas canvas;
    canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 1), MakeFrame(0, 0, 20, 10, 6, 1)};
    canvas.held = {true, false};
    canvas.decodeMs = decodeMs;
    canvas.stopAfterWaits = 2;
    std::uint32_t nFrame = 0;
    AnimateFrames(canvas, nFrame, kPicture);
    // 100 ms less 25, or nothing at all; frame 0, decoded by the load, costs
    // frame 1 nothing.
    const std::vector<std::string> waits =
        decodeMs == 25 ? std::vector<std::string>{"wait 75", "wait 60"} : std::vector<std::string>{"wait 0", "wait 60"};
    EXPECT_THAT(canvas.log, ElementsAre("render 0", "invalidate", waits[0], "render 1", "invalidate", waits[1]));
  }
}

TEST(AnimationLoop, AFrameFoundNotToDecodeIsNeverAskedForAgain) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 0), MakeFrame(0, 0, 5, 5, 50, 2), MakeFrame(0, 0, 20, 10, 20, 0)};
  canvas.pictures = {true, false, true};
  canvas.held = {true, false, false};
  canvas.logDecoding = true;
  canvas.stopAfterWaits = 3;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre(
      "render 0", "invalidate", "undecodable 1", "wait 100",
      // passed over unseen; the frame after it is made at its turn
      "decode 2", "render 2", "invalidate", "wait 200", "fill 0,0,20,10",
      // the next pass tries it no more
      "render 0", "invalidate", "wait 100"));
}

TEST(AnimationLoop, AFrameNotReadyAtItsTurnIsAwaitedAndAStopThenLeavesItsTurn) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 4, 4, 10, 2), MakeFrame(0, 0, 20, 10, 10, 0)};
  canvas.held = {true, false};
  canvas.askOnly = true;
  canvas.logDecoding = true;
  canvas.stopAfterWaits = 2;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("fill 0,0,4,4", "render 0", "invalidate", "ask 1", "wait 100", "fill 0,0,4,4",
                                      "decode 1", "render 1", "invalidate", "wait 100"));

  canvas.log.clear();
  canvas.held = {true, false};
  canvas.stop = false;
  canvas.stopAfterWaits = 1 << 30;
  canvas.stopWhileAwaiting = true;
  nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("fill 0,0,4,4", "render 0", "invalidate", "ask 1", "wait 100", "fill 0,0,4,4"));
  EXPECT_EQ(nFrame, 1u) << "frame 1 is still to be shown";
}

TEST(AnimationLoop, WhenNoFrameDecodesEveryPassStillWaits) {
  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 0), MakeFrame(0, 0, 20, 10, 10, 0)};
  canvas.pictures = {false, false};
  canvas.stopAfterWaits = 2;
  std::uint32_t nFrame = 0;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("fill 0,0,20,10", "wait 100", "fill 0,0,20,10", "wait 100"));
}

TEST(AnimationLoop, OutOfRangeFrameIndexRestartsAndEmptyListDoesNothing) {
  RecordingCanvas empty;
  std::uint32_t nFrame = 0;
  AnimateFrames(empty, nFrame, kPicture);
  EXPECT_TRUE(empty.log.empty());

  RecordingCanvas canvas;
  canvas.frames = {MakeFrame(0, 0, 20, 10, 10, 0), MakeFrame(0, 0, 20, 10, 10, 0)};
  canvas.stopAfterWaits = 1;
  nFrame = 7;
  AnimateFrames(canvas, nFrame, kPicture);
  EXPECT_THAT(canvas.log, ElementsAre("render 0", "invalidate", "wait 100"));
}

}  // namespace
}  // namespace velkor
