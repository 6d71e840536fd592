// The progress of an installation: the planned byte total for every Windows
// class and font state, the bar's range, and the block copy whose steps fall
// on exactly the bytes where a byte-at-a-time copy would step.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "engine/block_copy.h"
#include "engine/font_conditions.h"
#include "engine/planned_total.h"
#include "engine/progress_meter.h"
#include "fakes/fake_system.h"
#include "fakes/fake_main_window.h"
#include "unit/engine_support.h"

namespace velkor {
namespace {

using fakes::FakeSystem;
using fakes::FakeMainWindow;

const std::u16string kFonts = u"C:\\windows\\Fonts\\";
constexpr std::uint32_t kFangSongSize = 3'996'872;

enum Font : unsigned { Simfang = 1, SimfangWrongSize = 2, Simfang0 = 4, Palscri = 8, Msyh = 16 };
constexpr unsigned kAllFonts = Simfang | Palscri | Msyh;

struct TotalCase {
  const char* name;
  VersionRecord version;
  unsigned fonts;
  std::int32_t total;
  std::uint16_t upper;
};

void placeFonts(FakeSystem& fs, unsigned fonts) {
  fs.addDirectory(kFonts);
  if (fonts & Simfang) fs.addFileOfSize(kFonts + u"simfang.ttf", kFangSongSize);
  if (fonts & SimfangWrongSize) fs.addFileOfSize(kFonts + u"SIMFANG.TTF", 1000);
  if (fonts & Simfang0) fs.addFileOfSize(kFonts + u"simfang_0.ttf", 77);
  if (fonts & Palscri) fs.addFileOfSize(kFonts + u"PALSCRI.TTF", 51'404);
  if (fonts & Msyh) fs.addFileOfSize(kFonts + u"msyh.ttf", 10);
}

class PlannedTotal : public ::testing::TestWithParam<TotalCase> {};

TEST_P(PlannedTotal, CountsThePayloadAndTheFontCopiesOfThisMachine) {
  const TotalCase& c = GetParam();
  FakeSystem fs;
  placeFonts(fs, c.fonts);
  const FontFolder folder(fs, kFonts);
  EXPECT_EQ(plannedByteTotal(classify(c.version), folder), c.total);

  FakeMainWindow view;
  ProgressMeter meter(view);
  meter.begin(plannedByteTotal(classify(c.version), folder));
  ASSERT_EQ(view.events.size(), 3u);
  EXPECT_EQ(view.events[0].kind, FakeMainWindow::Kind::Pos);
  EXPECT_EQ(view.events[0].a, 0);
  EXPECT_EQ(view.events[1].kind, FakeMainWindow::Kind::Step);
  EXPECT_EQ(view.events[1].a, 1);
  EXPECT_EQ(view.events[2].kind, FakeMainWindow::Kind::Range);
  EXPECT_EQ(view.events[2].a, 0);
  EXPECT_EQ(view.events[2].b, c.upper);
  meter.finish();
  EXPECT_EQ(view.events.back().kind, FakeMainWindow::Kind::Pos);
  EXPECT_EQ(view.events.back().a, c.upper);
}

constexpr VersionRecord kXp{5, 1, 2600, 2}, kVista{6, 0, 6002, 2}, kSeven{6, 1, 7601, 2},
    kEight{6, 2, 9200, 2}, kWin2000{5, 0, 2195, 2}, kWin2003{5, 2, 3790, 2},
    kWin98{4, 10, 2222, 1}, kTen{10, 0, 19045, 2}, kUnavailable{0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    EveryClassAndFontState, PlannedTotal,
    ::testing::Values(
        TotalCase{"xp_all_present", kXp, kAllFonts, 57'549'929, 575},
        TotalCase{"xp_simfang_missing", kXp, Palscri | Msyh, 76'642'645, 766},
        TotalCase{"xp_msyh_missing", kXp, Simfang | Palscri, 76'642'645, 766},
        TotalCase{"xp_palscri_missing", kXp, Simfang | Msyh, 76'642'645, 766},
        TotalCase{"xp_looks_at_presence_only", kXp, SimfangWrongSize | Palscri | Msyh, 57'549'929, 575},
        TotalCase{"vista_all_present", kVista, kAllFonts, 57'549'929, 575},
        TotalCase{"vista_palscri_missing", kVista, Simfang | Msyh, 61'598'205, 615},
        TotalCase{"vista_simfang_missing", kVista, Palscri, 61'598'205, 615},
        TotalCase{"vista_simfang_wrong_size", kVista, SimfangWrongSize | Palscri, 61'598'205, 615},
        TotalCase{"vista_simfang_0_present", kVista, SimfangWrongSize | Simfang0 | Palscri, 57'549'929, 575},
        TotalCase{"seven_both_present", kSeven, Simfang | Palscri, 61'546'801, 615},
        TotalCase{"seven_palscri_missing", kSeven, Simfang, 61'598'205, 615},
        TotalCase{"seven_simfang_unusable", kSeven, SimfangWrongSize | Palscri, 65'543'673, 655},
        TotalCase{"seven_both_needed", kSeven, 0, 65'595'077, 655},
        TotalCase{"eight_is_a_six_x", kEight, Palscri | SimfangWrongSize | Simfang0, 61'546'801, 615},
        TotalCase{"win2000", kWin2000, 0, 0, 0}, TotalCase{"win2003", kWin2003, 0, 0, 0},
        TotalCase{"win98", kWin98, 0, 0, 0}, TotalCase{"ten_point_zero", kTen, 0, 0, 0},
        TotalCase{"version_unavailable", kUnavailable, 0, 0, 0}),
    [](const ::testing::TestParamInfo<TotalCase>& info) { return std::string(info.param.name); });

TEST(FontConditions, Simfang0IsLookedForOnlyWhenSimfangHasAnotherSize) {
  FakeSystem fs;
  placeFonts(fs, Simfang | Palscri);
  EXPECT_FALSE(FontFolder(fs, kFonts).simfangUnusable());
  EXPECT_EQ(fs.countCalls(u"findFirst", kFonts + u"simfang_0.ttf"), 0u);

  FakeSystem other;
  placeFonts(other, SimfangWrongSize);
  EXPECT_TRUE(FontFolder(other, kFonts).simfangUnusable());
  EXPECT_EQ(other.countCalls(u"findFirst", kFonts + u"simfang_0.ttf"), 1u);
}

TEST(FontConditions, AskTheFolderAfreshEveryTime) {
  FakeSystem fs;
  placeFonts(fs, 0);
  const FontFolder folder(fs, kFonts);
  EXPECT_TRUE(folder.missing(u"PALSCRI.TTF"));
  fs.addFileOfSize(kFonts + u"palscri.ttf", 5);
  EXPECT_FALSE(folder.missing(u"PALSCRI.TTF")) << "found without regard to case";
}

// ---- The copy --------------------------------------------------------------

struct CopyRig {
  FakeSystem fs;
  FakeMainWindow view;
  ProgressMeter meter{view};
  testing::StepLog log;

  CopyRig() {
    log.attach(view, fs);
    meter.begin(99'999'999);
  }
  CopyResult copy(BlockCopier& copier, std::uint32_t n, std::uint32_t seed) {
    fs.addFile(u"C:\\src" + std::u16string(1, char16_t(u'a' + seed)), testing::payloadBytes(n, seed));
    ScopedFile from(fs, fs.openRead(u"C:\\src" + std::u16string(1, char16_t(u'a' + seed))));
    ScopedFile to(fs, fs.openReadWrite(u"C:\\dst" + std::u16string(1, char16_t(u'a' + seed))));
    return copier.copy(from.get(), to.get(), n);
  }
};

TEST(BlockCopy, StepsLikeAByteAtATimeCopy) {
  // Copies of one installation in miniature: odd lengths, some below one step,
  // one that ends exactly on a step, the counter carried from file to file.
  const std::vector<std::uint32_t> copies = {250'001, 99'999, 1, 100'000, 37, 412'345, 3, 200'000, 1'000'000};
  for (const std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, std::size_t{65'536},
                                  std::size_t{100'000}, kDefaultCopyBlock, std::size_t{1'000'000}}) {
    SCOPED_TRACE(block);
    CopyRig rig;
    BlockCopier copier(rig.fs, rig.view, rig.meter, block);
    for (std::size_t i = 0; i < copies.size(); ++i)
      ASSERT_EQ(rig.copy(copier, copies[i], static_cast<std::uint32_t>(i)), CopyResult::Complete);
    expectStepsOfAByteAtATimeCopy(rig.log, copies, block);
    if (block == 1) EXPECT_EQ(rig.log.stepsAt, testing::perByteSteps(copies)) << "each at its very byte";
    const std::uint64_t all = std::accumulate(copies.begin(), copies.end(), std::uint64_t{0});
    EXPECT_EQ(rig.meter.counter(), all % 100'000u);
  }
}

TEST(BlockCopy, PumpsAfterEveryWholeBlock) {
  CopyRig rig;
  BlockCopier copier(rig.fs, rig.view, rig.meter, 64 * 1024);
  ASSERT_EQ(rig.copy(copier, 1'000'000, 1), CopyResult::Complete);
  ASSERT_EQ(rig.log.pumps.size(), 16u) << "15 blocks of 65,536 and the rest";
  for (std::size_t i = 0; i + 1 < rig.log.pumps.size(); ++i)
    EXPECT_EQ(rig.log.pumps[i].bytes, (i + 1) * 65'536u);
  EXPECT_EQ(rig.log.pumps.back().bytes, 1'000'000u);

  // The default block: a pump every 262,144 bytes, so the bar never makes
  // more than three steps between two pumps.
  CopyRig byDefault;
  BlockCopier copierByDefault(byDefault.fs, byDefault.view, byDefault.meter);
  ASSERT_EQ(byDefault.copy(copierByDefault, 10'000'000, 2), CopyResult::Complete);
  EXPECT_EQ(byDefault.log.pumps.size(), 39u);
  std::size_t previous = 0, most = 0;
  for (const auto& pump : byDefault.log.pumps) {
    most = std::max(most, pump.steps - previous);
    previous = pump.steps;
  }
  EXPECT_EQ(most, 3u);
  EXPECT_EQ(previous, 100u);
}

TEST(BlockCopy, MovesTheBytesUnchanged) {
  CopyRig rig;
  BlockCopier copier(rig.fs, rig.view, rig.meter, 1000);
  ASSERT_EQ(rig.copy(copier, 123'457, 3), CopyResult::Complete);
  EXPECT_EQ(*rig.fs.file(u"C:\\dstd"), testing::payloadBytes(123'457, 3));
}

TEST(BlockCopy, ReportsAShortSourceAndAFullDisk) {
  {
    CopyRig rig;
    BlockCopier copier(rig.fs, rig.view, rig.meter, 4096);
    rig.fs.addFile(u"C:\\short", testing::payloadBytes(10'000));
    ScopedFile from(rig.fs, rig.fs.openRead(u"C:\\short"));
    ScopedFile to(rig.fs, rig.fs.openReadWrite(u"C:\\out"));
    EXPECT_EQ(copier.copy(from.get(), to.get(), 10'001), CopyResult::ShortRead);
    EXPECT_EQ(rig.fs.file(u"C:\\out")->size(), 10'000u);
  }
  {
    CopyRig rig;
    BlockCopier copier(rig.fs, rig.view, rig.meter, 4096);
    rig.fs.limitDiskSpace(5000);
    EXPECT_EQ(rig.copy(copier, 10'000, 1), CopyResult::WriteFailed);
  }
}

TEST(ProgressMeter, RangeIsA16BitPairAndNegativeTotalsShowNothing) {
  FakeMainWindow view;
  ProgressMeter meter(view);
  meter.begin(-5);
  EXPECT_EQ(view.events[2].b, 0);
  meter.begin(99'999);
  EXPECT_EQ(view.events[5].b, 0) << "integer division";
  meter.begin(100'000);
  EXPECT_EQ(view.events[8].b, 1);
}

}  // namespace
}  // namespace velkor
