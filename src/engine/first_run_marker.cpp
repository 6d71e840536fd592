#include "engine/first_run_marker.h"

#include <cstdint>
#include <vector>

#include "engine/install_paths.h"

namespace velkor {

bool writeFirstRunMarker(FileSystem& fs, std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  ScopedFile marker(fs, fs.openReadWrite(paths::kFirstRunMarker));
  if (!marker) return false;
  const bool written = fs.write(marker.get(), bytes.data(), bytes.size()) == bytes.size();
  return marker.close() && written;
}

}  // namespace velkor
