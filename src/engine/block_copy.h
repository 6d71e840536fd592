// The copy that every member and font file of an installation goes through:
// blocks of tens of KiB, the message pump after every block, and the shared
// progress counter advanced at exactly the byte counts a byte-at-a-time copy
// would advance it (blocks are cut at every 100,000th byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/progress_meter.h"
#include "platform/file_system.h"
#include "platform/wizard_view.h"

namespace velkor {

// One progress step's worth (about 98 KiB): blocks are cut where the bar
// advances anyway, so a block as long as a step costs one pump per step. Each
// pump is a trip to the window system, the dearest part of a block under Wine.
inline constexpr std::size_t kDefaultCopyBlock = kBytesPerStep;

enum class CopyResult {
  Complete,
  ShortRead,    // the source ended before `count` bytes
  WriteFailed,  // the destination took fewer bytes than given (disk full)
};

class BlockCopier {
 public:
  BlockCopier(FileSystem& fs, WizardView& view, ProgressMeter& progress,
              std::size_t blockSize = kDefaultCopyBlock);

  // Moves `count` bytes from the source's position to the destination's.
  CopyResult copy(FileHandle from, FileHandle to, std::uint32_t count);

  FileSystem& fileSystem() const { return fs_; }
  ProgressMeter& progress() const { return progress_; }

 private:
  FileSystem& fs_;
  WizardView& view_;
  ProgressMeter& progress_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace velkor
