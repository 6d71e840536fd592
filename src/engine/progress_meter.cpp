#include "engine/progress_meter.h"

#include <algorithm>

namespace velkor {

std::uint16_t ProgressMeter::upperBound() const {
  // PBM_SETRANGE carries a 16-bit pair; no planned total comes near its limit.
  const std::int32_t units = std::max<std::int32_t>(plannedTotal_, 0) / static_cast<std::int32_t>(kBytesPerStep);
  return static_cast<std::uint16_t>(std::min<std::int32_t>(units, 0xFFFF));
}

void ProgressMeter::begin(std::int32_t plannedTotal) {
  plannedTotal_ = plannedTotal;
  view_.setProgressPos(0);
  view_.setProgressStep(1);
  view_.setProgressRange(0, upperBound());
  counter_ = 0;
}

void ProgressMeter::finish() { view_.setProgressPos(upperBound()); }

void ProgressMeter::count(std::uint32_t bytes) {
  while (bytes >= kBytesPerStep - counter_) {
    bytes -= kBytesPerStep - counter_;
    view_.stepProgress();
    counter_ = 0;
  }
  counter_ += bytes;
}

}  // namespace velkor
