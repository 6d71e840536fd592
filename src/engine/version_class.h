// The engine's four Windows classes, from the version record's major.minor.
// The wizard's layout classes are a different split and live with the wizard.
#pragma once

#include "platform/system_info.h"

namespace velkor {

enum class VersionClass {
  Xp,           // 5.1
  Vista,        // 6.0
  SevenOrLater, // 6.x with minor 1 or higher
  Other,        // anything else, including an unavailable record (all zeros)
};

constexpr VersionClass classify(const VersionRecord& v) {
  if (v.major == 5 && v.minor == 1) return VersionClass::Xp;
  if (v.major == 6 && v.minor == 0) return VersionClass::Vista;
  if (v.major == 6 && v.minor >= 1) return VersionClass::SevenOrLater;
  return VersionClass::Other;
}

}  // namespace velkor
