// The paced bar: the steps are counted as the control counts them, and what
// reaches the window is that exact position, at most once per interval while
// bytes are copied, and always before the status line changes, before a
// message box and at the end.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/block_copy.h"
#include "engine/paced_progress.h"
#include "engine/progress_meter.h"
#include "unit/engine_support.h"

namespace velkor {
namespace {

using fakes::FakeMainWindow;

// The window, noting each position put on it with the bytes written and the
// time by then.
struct PaintLog : FakeMainWindow {
  struct Paint {
    int pos;
    std::uint64_t bytes;
    std::int64_t at;
  };
  const fakes::FakeSystem* fs = nullptr;
  const std::int64_t* clock = nullptr;
  std::vector<Paint> paints;
  void setProgressPos(int pos) override {
    paints.push_back({pos, fs ? fs->bytesWritten() : 0, clock ? *clock : 0});
    FakeMainWindow::setProgressPos(pos);
  }
};

struct Copying {
  fakes::FakeSystem fs;
  PaintLog window;
  std::int64_t now = 1000;
  PacedProgressView paced{window, [this] { return now; }};
  ProgressMeter meter{paced};

  Copying() {
    window.fs = &fs;
    window.clock = &now;
    fs.addDirectory(u"C:\\w");
  }
  // Copies `size` bytes in 64 KiB blocks; every pump takes `msPerPump`.
  void copy(std::uint32_t size, std::int64_t msPerPump) {
    fs.addFile(u"C:\\w\\src", testing::payloadBytes(size));
    window.onPump = [this, msPerPump] { now += msPerPump; };
    ScopedFile in(fs, fs.openRead(u"C:\\w\\src"));
    ScopedFile out(fs, fs.openReadWrite(u"C:\\w\\dst"));
    BlockCopier copier(fs, paced, meter, 64 * 1024);
    ASSERT_EQ(copier.copy(in.get(), out.get(), size), CopyResult::Complete);
  }
};

// How many steps a byte-at-a-time count has made after `bytes`.
std::size_t stepsBy(const std::vector<std::uint64_t>& steps, std::uint64_t bytes) {
  return static_cast<std::size_t>(std::upper_bound(steps.begin(), steps.end(), bytes) - steps.begin());
}

TEST(PacedProgress, EveryPaintShowsThePerByteCountAndCopiesPaintAtMostOncePerInterval) {
  for (const std::int64_t msPerPump : {1, 4, 9, 15, 40}) {
    SCOPED_TRACE(std::to_string(msPerPump) + " ms a pump");
    Copying c;
    const std::uint32_t size = 3'000'017;
    c.meter.begin(static_cast<std::int32_t>(size));
    c.window.paints.clear();
    c.copy(size, msPerPump);
    const auto steps = testing::perByteSteps({size});

    ASSERT_FALSE(c.window.paints.empty());
    for (std::size_t i = 0; i < c.window.paints.size(); ++i) {
      const auto& p = c.window.paints[i];
      EXPECT_EQ(static_cast<std::size_t>(p.pos), stepsBy(steps, p.bytes)) << "paint " << i;
      if (i > 0) EXPECT_GE(p.at - c.window.paints[i - 1].at, PacedProgressView::kPaintInterval) << "paint " << i;
    }
    EXPECT_EQ(c.window.stepIts, 0u) << "no step goes to the window itself";
    const std::int64_t copyTime = static_cast<std::int64_t>(c.window.pumps) * msPerPump;
    EXPECT_LE(static_cast<std::int64_t>(c.window.paints.size()), copyTime / PacedProgressView::kPaintInterval + 1);

    c.meter.finish();
    EXPECT_EQ(c.window.position(), 30) << "the end shows the bar full";
    EXPECT_EQ(c.window.paints.back().pos, 30);
  }
}

TEST(PacedProgress, TheStatusLineAndMessageBoxesWaitForTheBar) {
  Copying c;
  c.meter.begin(1'000'000);
  c.window.paints.clear();
  c.copy(250'000, 0);  // a frozen clock: only the first pump may paint
  const std::size_t paintsOfCopy = c.window.paints.size();
  EXPECT_LE(paintsOfCopy, 1u);
  const std::size_t before = c.window.events.size();

  c.paced.setText(ctl::kStatus, u"C:\\next");
  ASSERT_EQ(c.window.events.size(), before + 2);
  EXPECT_EQ(c.window.events[before].kind, FakeMainWindow::Kind::Pos);
  EXPECT_EQ(c.window.events[before].a, 2) << "250,000 bytes: two steps, shown before the text";
  EXPECT_EQ(c.window.events[before + 1].kind, FakeMainWindow::Kind::Text);

  c.paced.setText(1002, u"other text");
  c.paced.stepProgress();
  c.paced.messageBox(u"box", u"caption", 0);
  const auto& last = c.window.events;
  ASSERT_GE(last.size(), 2u);
  EXPECT_EQ(last[last.size() - 2].kind, FakeMainWindow::Kind::Pos);
  EXPECT_EQ(last[last.size() - 2].a, 3);
  EXPECT_EQ(last.back().kind, FakeMainWindow::Kind::MessageBox);
  EXPECT_EQ(c.window.paints.size(), paintsOfCopy + 2) << "one for the status line, one for the box, none for other texts";
}

TEST(PacedProgress, CountsStepsAsTheControlDoes) {
  // The fake window steps as the common control does; the paced count must
  // land where it lands, through wrapping and an empty range alike.
  for (const auto& range : {std::pair<int, int>{0, 0}, {0, 3}, {2, 7}, {0, 575}}) {
    for (const int step : {1, 2, 5}) {
      FakeMainWindow control, window;
      PacedProgressView paced(window, [] { return std::int64_t{0}; });
      control.setProgressRange(static_cast<std::uint16_t>(range.first), static_cast<std::uint16_t>(range.second));
      paced.setProgressRange(static_cast<std::uint16_t>(range.first), static_cast<std::uint16_t>(range.second));
      control.setProgressStep(step);
      paced.setProgressStep(step);
      for (int i = 0; i < 700; ++i) {
        control.stepProgress();
        paced.stepProgress();
        ASSERT_EQ(paced.position(), control.position())
            << "range " << range.first << ".." << range.second << ", step " << step << ", after " << i + 1;
      }
    }
  }
}

TEST(PacedProgress, AWholeInstallationPaintsAFewTimesAndEndsFull) {
  testing::FakeMachine m;
  m.scale({22'323, 55'352, 1'190'927, 22'579, 727'923, 885, 188, 32'194, 923'125});
  m.placeSetupFile();
  m.system.version = {6, 1, 7601, 2};
  std::int64_t now = 0;
  m.window.onPump = [&] { now += 2; };
  PacedProgressView paced(m.window, [&] { return now; });
  m.hold();
  InstallSequence(m.system, paced, m.state, m.operations, m.setup, m.config).run();

  EXPECT_EQ(m.state.bInstallFailed, 0);
  EXPECT_EQ(m.window.stepIts, 0u);
  EXPECT_EQ(m.window.position(), m.window.upperBound()) << "full at the end";
  const auto posEvents = m.window.eventsOf(FakeMainWindow::Kind::Pos);
  EXPECT_LT(posEvents.size(), 20u) << "the paints of " << paced.position() << " steps";
  EXPECT_GT(posEvents.size(), 3u);
}

}  // namespace
}  // namespace velkor
