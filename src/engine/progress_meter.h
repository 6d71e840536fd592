// Progress of one installation: the planned byte total fixes the bar's range
// (one unit per 100,000 bytes) and a single step counter, shared by every copy
// of the installation, advances the bar once per 100,000 bytes copied.
#pragma once

#include <cstdint>

#include "platform/main_window.h"

namespace velkor {

inline constexpr std::uint32_t kBytesPerStep = 100'000;

class ProgressMeter {
 public:
  explicit ProgressMeter(MainWindow& view) : view_(view) {}

  // Position 0, step 1, range 0 to total / 100,000; the counter starts at 0.
  void begin(std::int32_t plannedTotal);
  // Position total / 100,000: the bar stands full.
  void finish();

  // Counts bytes just copied: the bar advances once for every 100,000th byte
  // among them, exactly as often as counting them one by one would make it,
  // and the counter keeps the rest for the next copy.
  void count(std::uint32_t bytes);

  std::int32_t plannedTotal() const { return plannedTotal_; }
  std::uint32_t counter() const { return counter_; }

 private:
  std::uint16_t upperBound() const;

  MainWindow& view_;
  std::int32_t plannedTotal_ = 0;
  std::uint32_t counter_ = 0;
};

}  // namespace velkor
