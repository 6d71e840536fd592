// The first-run marker in the install directory, which the product reads at
// its first start: the text's UTF-16 code units in little-endian order, no
// byte-order mark, no terminator.
#pragma once

#include <string_view>

#include "platform/file_system.h"

namespace velkor {

// Written by the Windows XP font step when it had to provide a font.
inline constexpr char16_t kFirstInstallMarkerText[] = u"首次安装，请勿删除！";

// Opens the marker "wb+" and writes `text`; skipped when it cannot be opened.
// Returns whether every byte was written.
bool writeFirstRunMarker(FileSystem& fs, std::u16string_view text);

}  // namespace velkor
