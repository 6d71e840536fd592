// The first-run marker: exactly the text's UTF-16LE units, nothing else.
#include <gtest/gtest.h>

#include "engine/first_run_marker.h"
#include "engine/install_paths.h"
#include "fakes/fake_system.h"

namespace velkor {
namespace {

TEST(FirstRunMarker, HoldsTheTextAsLittleEndianUnitsWithoutMarkOrTerminator) {
  fakes::FakeSystem fs;
  fs.addDirectory(paths::kInstallDirectory);
  fs.addFile(paths::kFirstRunMarker, std::vector<std::uint8_t>(100, 0xAA));  // truncated by "wb+"
  ASSERT_TRUE(writeFirstRunMarker(fs, kFirstInstallMarkerText));
  const std::vector<std::uint8_t> expected = {0x96, 0x99, 0x21, 0x6B, 0x89, 0x5B, 0xC5, 0x88,
                                              0x0C, 0xFF, 0xF7, 0x8B, 0xFF, 0x52, 0x20, 0x52,
                                              0x64, 0x96, 0x01, 0xFF};
  EXPECT_EQ(*fs.file(u"C:\\Program Files\\VelkorCrypt\\FirstRun.txt"), expected);
  EXPECT_EQ(fs.openFileCount(), 0u);
}

TEST(FirstRunMarker, IsSkippedWhenItCannotBeOpened) {
  fakes::FakeSystem fs;  // no install directory
  const auto before = fs.tree();
  EXPECT_FALSE(writeFirstRunMarker(fs, kFirstInstallMarkerText));
  EXPECT_TRUE(fs.tree() == before);

  fakes::FakeSystem full;
  full.addDirectory(paths::kInstallDirectory);
  full.limitDiskSpace(7);
  EXPECT_FALSE(writeFirstRunMarker(full, u"First install, don't delete!"));
  EXPECT_EQ(full.openFileCount(), 0u);
}

}  // namespace
}  // namespace velkor
