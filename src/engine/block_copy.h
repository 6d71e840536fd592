// The copy that every member and font file of an installation goes through:
// blocks of a few hundred KiB, each read and written whole, then the shared
// progress counter advanced by the block's bytes (one step for every
// 100,000th byte of it), then the message pump. At every pump the bar has
// made exactly the steps a byte-at-a-time copy would have made by then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/progress_meter.h"
#include "platform/file_system.h"
#include "platform/main_window.h"

namespace velkor {

// 256 KiB: whole aligned blocks keep the file system's work near a plain
// copy's (blocks cut at the odd 100,000th bytes cost half as much again), a
// pump per 2.6 steps keeps their cost small (each is a trip to the window
// system), and the at most three steps a block completes repaint the bar in
// a few milliseconds, well within the time the window may go without a pump.
inline constexpr std::size_t kDefaultCopyBlock = 256 * 1024;

enum class CopyResult {
  Complete,
  ShortRead,    // the source ended before `count` bytes
  WriteFailed,  // the destination took fewer bytes than given (disk full)
};

class BlockCopier {
 public:
  BlockCopier(FileSystem& fs, MainWindow& view, ProgressMeter& progress,
              std::size_t blockSize = kDefaultCopyBlock);

  // Moves `count` bytes from the source's position to the destination's.
  CopyResult copy(FileHandle from, FileHandle to, std::uint32_t count);

  FileSystem& fileSystem() const { return fs_; }
  ProgressMeter& progress() const { return progress_; }

 private:
  FileSystem& fs_;
  MainWindow& view_;
  ProgressMeter& progress_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace velkor
