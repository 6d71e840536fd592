#include "engine/planned_total.h"

namespace velkor {

std::int32_t plannedByteTotal(VersionClass version, const FontFolder& fonts,
                              std::uint32_t payloadSize) {
  const auto& fangSong = payload::kFontParts[0];
  const auto& palaceScript = payload::kFontParts[1];
  const auto& yaHei = payload::kFontParts[2];
  std::uint32_t total = payloadSize;
  switch (version) {
    case VersionClass::Xp:
      // Any font missing: the whole bundle passes through the transit files.
      if (fonts.missing(fangSong.fileName) || fonts.missing(yaHei.fileName) ||
          fonts.missing(palaceScript.fileName))
        total += fangSong.length + palaceScript.length + yaHei.length;
      break;
    case VersionClass::Vista:
      // Either need writes both fonts.
      if (fonts.missing(palaceScript.fileName) || fonts.simfangUnusable())
        total += fangSong.length + palaceScript.length;
      break;
    case VersionClass::SevenOrLater:
      // The install directory's FangSong copy is counted whether or not it happens.
      total += fangSong.length;
      if (fonts.missing(palaceScript.fileName)) total += palaceScript.length;
      if (fonts.simfangUnusable()) total += fangSong.length;
      break;
    case VersionClass::Other:
      return 0;
  }
  return static_cast<std::int32_t>(total);
}

}  // namespace velkor
