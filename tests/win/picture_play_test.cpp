// The animation for real: the worker plays the frames onto the canvas and the
// screen shows them, disposal methods and the clear after the last frame, a
// stop that cuts a frame's wait short, a restart that first finishes the
// disposal a stop left pending, loads over a playing control, and no handle
// or GDI object left behind by many load, play and stop cycles; a load
// decodes one frame and playing each of the others once.
#include "win/picture_support.h"

#include "lib/resource_counts.h"

namespace {

using namespace velkor;
using namespace velkor::test;

constexpr std::uint16_t kForever = 65535;  // 655 s: only a stop ends such a frame
constexpr char16_t kSlowStop[] = u"StopAnimation: the animation thread did not end within 5000 ms";

class Playing : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.Bind(picture)); }
  void TearDown() override {
    picture.OnDestroy();
    for (const std::u16string& line : traces.Lines()) EXPECT_NE(line, kSlowStop);
  }
  HWND control() const { return picture.m_hWnd; }

  PictureHost host;
  CPictureEx picture;
  TraceRecorder traces;
};

GifFrameShape Full(std::uint8_t colour, std::uint16_t delay = 2, std::uint8_t disposal = 1) {
  GifFrameShape f;
  f.width = 40;
  f.height = 30;
  f.colour = colour;
  f.delay = delay;
  f.disposal = disposal;
  return f;
}

GifFrameShape Square(std::uint16_t left, std::uint16_t top, std::uint16_t side, std::uint8_t colour,
                    std::uint16_t delay = 2, std::uint8_t disposal = 1) {
  GifFrameShape f = Full(colour, delay, disposal);
  f.left = left;
  f.top = top;
  f.width = side;
  f.height = side;
  return f;
}

TEST_F(Playing, TheWorkerShowsEveryFrameInTurnAndAStopEndsIt) {
  ASSERT_TRUE(LoadBytes(picture, SolidFrames(40, 30, {kRedIx, kGreenIx, kBlueIx})));
  ASSERT_TRUE(picture.Draw());
  EXPECT_TRUE(Eventually([&] { return picture.IsRunning() == TRUE; }));
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_TRUE(EventuallyShows(control(), 20, 15, RGB(255, 0, 0)));
    EXPECT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 255, 0)));
    EXPECT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 0, 255)));
  }
  picture.OnDestroy();
  EXPECT_FALSE(picture.IsRunning());
  EXPECT_TRUE(picture.IsAnimation()) << "a stop keeps the frames for a later Draw";
}

TEST_F(Playing, FramesWithoutAGraphicControlExtensionStillAdvance) {
  GifWriter gif(40, 30);
  GifFrameShape red = Full(kRedIx), yellow = Full(kYellowIx);
  red.withControl = yellow.withControl = false;
  gif.Frame(red).Frame(yellow);
  ASSERT_TRUE(LoadBytes(picture, gif.Finish()));
  ASSERT_TRUE(picture.Draw());
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_TRUE(EventuallyShows(control(), 20, 15, RGB(255, 0, 0)));
    EXPECT_TRUE(EventuallyShows(control(), 20, 15, RGB(255, 255, 0)));
  }
}

TEST_F(Playing, AStopCutsAFramesWaitShortAndTheWorkerEnds) {
  ASSERT_TRUE(LoadBytes(picture, SolidFrames(40, 30, {kMagentaIx, kCyanIx}, kForever)));
  const int threadsBefore = ThreadsOfThisProcess();
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control(), 20, 15, RGB(255, 0, 255)));
  EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore + 1);
  // The worker now waits 655 s on its first frame; only the stop event ends
  // that, and the stop reports a worker that outlives its 5000 ms wait.
  picture.OnDestroy();
  EXPECT_FALSE(picture.IsRunning());
  EXPECT_TRUE(Eventually([&] { return ThreadsOfThisProcess() == threadsBefore; }));
  for (const std::u16string& line : traces.Lines()) EXPECT_NE(line, kSlowStop);
  EXPECT_EQ(Shown(control(), 20, 15), RGB(255, 0, 255)) << "the stopped frame stays on the canvas";
  // A second stop with no worker only sets and resets the event: playing
  // again still waits on it.
  picture.OnDestroy();
  ASSERT_TRUE(picture.Draw());
  EXPECT_TRUE(Eventually([&] { return picture.IsRunning() == TRUE; }));
  ::Sleep(300);
  EXPECT_EQ(Shown(control(), 20, 15), RGB(255, 0, 255)) << "the restarted frame still waits its delay";
}

TEST_F(Playing, DrawOnAPlayingControlStartsNoSecondWorker) {
  ASSERT_TRUE(LoadBytes(picture, SolidFrames(40, 30, {kRedIx, kGreenIx})));
  const int threadsBefore = ThreadsOfThisProcess();
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(Eventually([&] { return picture.IsRunning() == TRUE; }));
  EXPECT_TRUE(picture.Draw());
  EXPECT_TRUE(picture.Draw());
  EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore + 1);
}

TEST_F(Playing, ARestartFirstFinishesTheDisposalThatTheStopLeftPending) {
  // Frame 1 is a transparent 20 x 20 square with a blue centre over red; its
  // disposal (fill with the background) is pending when it is stopped.
  GifWriter gif(40, 30);
  gif.Frame(Full(kRedIx));
  GifFrameShape marked = Square(10, 5, 20, kBlackIx, kForever, 2);
  marked.transparent = kBlackIx;
  marked.innerLeft = marked.innerTop = 8;
  marked.innerSide = 4;
  marked.innerColour = kBlueIx;
  gif.Frame(marked);
  ASSERT_TRUE(LoadBytes(picture, gif.Finish()));
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control(), 19, 14, RGB(0, 0, 255)));
  EXPECT_EQ(Shown(control(), 12, 7), RGB(255, 0, 0)) << "the square is transparent around its centre";
  picture.OnDestroy();
  EXPECT_EQ(Shown(control(), 12, 7), RGB(255, 0, 0));

  ASSERT_TRUE(picture.Draw());
  // The new worker fills the square's rectangle, then shows the square again
  // (not the first frame): white around a blue centre.
  EXPECT_TRUE(EventuallyShows(control(), 12, 7, RGB(255, 255, 255)));
  EXPECT_EQ(Shown(control(), 19, 14), RGB(0, 0, 255));
  EXPECT_EQ(Shown(control(), 5, 5), RGB(255, 0, 0)) << "outside the square the canvas is as it was";
}

// Frame 0 fills red, frame 1 puts a green square at (5, 5) with the given
// disposal, frame 2 marks one blue pixel and stays. While frame 2 shows, the
// square's area tells what the disposal did.
Bytes SquareThenMark(std::uint8_t disposal) {
  GifWriter gif(40, 30);
  gif.Frame(Full(kRedIx)).Frame(Square(5, 5, 10, kGreenIx, 2, disposal)).Frame(Square(39, 29, 1, kBlueIx, kForever));
  return gif.Finish();
}

TEST_F(Playing, DisposalToBackgroundFillsTheFrameWithTheBackColour) {
  ASSERT_TRUE(LoadBytes(picture, SquareThenMark(2)));
  picture.SetBackColor(RGB(255, 255, 0));
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control(), 39, 29, RGB(0, 0, 255)));
  EXPECT_EQ(Shown(control(), 8, 8), RGB(255, 255, 0));
  EXPECT_EQ(Shown(control(), 20, 20), RGB(255, 0, 0));
}

TEST_F(Playing, DisposalToPreviousPutsTheSavedAreaBack) {
  ASSERT_TRUE(LoadBytes(picture, SquareThenMark(3)));
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control(), 39, 29, RGB(0, 0, 255)));
  EXPECT_EQ(Shown(control(), 8, 8), RGB(255, 0, 0));
}

TEST_F(Playing, DisposalNoneLeavesTheFrameUnderTheNext) {
  ASSERT_TRUE(LoadBytes(picture, SquareThenMark(1)));
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control(), 39, 29, RGB(0, 0, 255)));
  EXPECT_EQ(Shown(control(), 8, 8), RGB(0, 255, 0));
}

TEST_F(Playing, EveryPassStartsOnACleanBackground) {
  // Two squares that never cover each other: after the last frame the canvas
  // is cleared, so the second square vanishes until its turn comes again.
  GifWriter gif(40, 30);
  gif.LoopForever().Frame(Square(0, 0, 10, kRedIx, 20)).Frame(Square(20, 10, 10, kGreenIx, 20));
  ASSERT_TRUE(LoadBytes(picture, gif.Finish()));
  picture.SetBackColor(RGB(255, 0, 255));
  ASSERT_TRUE(picture.Draw());
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_TRUE(EventuallyShows(control(), 25, 15, RGB(0, 255, 0)));
    EXPECT_TRUE(EventuallyShows(control(), 25, 15, RGB(255, 0, 255)));
  }
}

TEST_F(Playing, LoadingOverAPlayingControlStopsItAndStartsFromAnEmptyControl) {
  ASSERT_TRUE(LoadBytes(picture, SolidFrames(40, 30, {kRedIx, kGreenIx})));
  const int threadsBefore = ThreadsOfThisProcess();
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 255, 0)));

  ASSERT_TRUE(LoadBytes(picture, BmpFile(40, 30, [](int, int) { return 0x0000FFu; })));
  EXPECT_FALSE(picture.IsRunning());
  EXPECT_FALSE(picture.IsAnimation());
  EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << "the old worker has ended";
  ASSERT_TRUE(picture.Draw());
  EXPECT_EQ(Shown(control(), 20, 15), RGB(0, 0, 255));
  // Nothing of the old animation draws any more.
  for (int i = 0; i < 30; ++i) {
    ::Sleep(10);
    ASSERT_EQ(Shown(control(), 20, 15), RGB(0, 0, 255));
  }

  ASSERT_TRUE(LoadBytes(picture, SolidFrames(40, 30, {kYellowIx, kCyanIx})));
  ASSERT_TRUE(picture.Draw());
  EXPECT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 255, 255)));
}

TEST_F(Playing, ALongAnimationDecodesEachFrameOnceWhenItsTurnFirstComes) {
  // The load decodes one frame, whatever the length: a twelve-frame GIF
  // holds as many GDI objects as a two-frame one, the canvas's DC and bitmap
  // and one frame's picture.
  constexpr unsigned kCanvas = 2;
  const unsigned empty = GdiObjects();
  ASSERT_TRUE(LoadBytes(picture, SolidFrames(40, 30, {kRedIx, kGreenIx}, 5)));
  const unsigned twoFrames = GdiObjects() - empty;
  ASSERT_GT(twoFrames, kCanvas);
  const unsigned oneFrame = twoFrames - kCanvas;
  const std::vector<std::uint8_t> twelve{kRedIx,   kGreenIx, kBlueIx,  kYellowIx, kMagentaIx, kCyanIx,
                                         kBlackIx, kRedIx,   kGreenIx, kBlueIx,   kYellowIx,  kCyanIx};
  ASSERT_TRUE(LoadBytes(picture, SolidFrames(40, 30, twelve, 5)));
  const unsigned loaded = GdiObjects();
  EXPECT_EQ(loaded - empty, twoFrames);

  // The first pass (50 ms frames) decodes the other eleven, each once; the
  // second decodes nothing more.
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 0, 0)));  // the seventh frame
  ASSERT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 255, 255)));  // the last
  ASSERT_TRUE(EventuallyShows(control(), 20, 15, RGB(255, 0, 0)));  // the first again
  const unsigned afterOnePass = GdiObjects();
  EXPECT_EQ(afterOnePass, loaded + 11 * oneFrame);
  ASSERT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 0, 0)));
  ASSERT_TRUE(EventuallyShows(control(), 20, 15, RGB(0, 255, 255)));
  EXPECT_EQ(GdiObjects(), afterOnePass);
}

// ---- Resources ---------------------------------------------------------------

// Red, then a green square that saves the canvas under it (disposal 3), then
// blue that is disposed of by a fill: every kind of GDI object the worker makes.
Bytes SavingFrames() {
  GifWriter gif(40, 30);
  gif.Frame(Full(kRedIx, 1)).Frame(Square(5, 5, 10, kGreenIx, 1, 3)).Frame(Full(kBlueIx, 1, 2));
  return gif.Finish();
}

// Plays a until its disposals and the clear after the last frame have run
// and a save is pending, loads b over it, stops b and restarts it.
void Cycle(CPictureEx& picture, const Bytes& a, const Bytes& b) {
  const HWND control = picture.m_hWnd;
  ASSERT_TRUE(LoadBytes(picture, a));
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control, 20, 20, RGB(0, 0, 255)));
  ASSERT_TRUE(EventuallyShows(control, 8, 8, RGB(0, 255, 0)));  // the next pass's save is held
  ASSERT_TRUE(LoadBytes(picture, b));
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control, 20, 20, RGB(0, 255, 255)));
  picture.OnDestroy();
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(control, 20, 20, RGB(255, 0, 255)));
  picture.FreePicture();
  Pump();
}

TEST_F(Playing, ManyLoadPlayAndStopCyclesLeaveNoHandleOrGdiObjectBehind) {
  const Bytes a = SavingFrames();
  const Bytes b = SolidFrames(40, 30, {kYellowIx, kCyanIx, kMagentaIx}, 1);
  // The system's own first-use allocations happen here: a pass that saves,
  // restores and fills, stopped while no save is held.
  ASSERT_TRUE(LoadBytes(picture, a));
  ASSERT_TRUE(picture.Draw());
  ASSERT_TRUE(EventuallyShows(picture.m_hWnd, 20, 20, RGB(0, 0, 255)));
  picture.FreePicture();
  Pump();
  const unsigned gdiBefore = GdiObjects();
  const unsigned handlesBefore = KernelHandles();
  ASSERT_GT(gdiBefore, 0u);
  ASSERT_GT(handlesBefore, 0u);
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    Cycle(picture, a, b);
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(GdiObjects(), gdiBefore);
  EXPECT_EQ(KernelHandles(), handlesBefore);
}

}  // namespace
