#include "engine/block_copy.h"

#include <algorithm>

namespace velkor {

BlockCopier::BlockCopier(FileSystem& fs, MainWindow& view, ProgressMeter& progress,
                         std::size_t blockSize)
    : fs_(fs), view_(view), progress_(progress), buffer_(std::max<std::size_t>(blockSize, 1)) {}

CopyResult BlockCopier::copy(FileHandle from, FileHandle to, std::uint32_t count) {
  const auto capacity = static_cast<std::uint32_t>(std::min<std::size_t>(buffer_.size(), 0xFFFFFFFFu));
  std::uint32_t remaining = count;
  while (remaining > 0) {
    const std::uint32_t want = std::min(remaining, capacity);
    const std::size_t got = fs_.read(from, buffer_.data(), want);
    if (got > 0 && fs_.write(to, buffer_.data(), got) != got) return CopyResult::WriteFailed;
    if (got > 0) {
      // The steps this block completes come before its pump, so the bar the
      // window shows is always the one a byte-at-a-time copy would show.
      progress_.count(static_cast<std::uint32_t>(got));
      view_.pumpMessages();
    }
    if (got < want) return CopyResult::ShortRead;
    remaining -= want;
  }
  return CopyResult::Complete;
}

}  // namespace velkor
