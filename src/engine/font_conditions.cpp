#include "engine/font_conditions.h"

#include "payload/layout.h"

namespace velkor {

bool FontFolder::missing(const std::u16string& fileName) const {
  return !fs_.findFirst(folder_ + fileName).has_value();
}

bool FontFolder::simfangUnusable() const {
  const auto& fangSong = payload::kFontParts[0];
  const auto found = fs_.findFirst(folder_ + fangSong.fileName);
  if (!found) return true;
  return found->sizeLow != fangSong.length && missing(kSimfangAlternative);
}

}  // namespace velkor
