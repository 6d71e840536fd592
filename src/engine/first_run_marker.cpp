#include "engine/first_run_marker.h"

#include <cstdint>
#include <vector>

#include "engine/install_paths.h"
#include "payload/byte_order.h"

namespace velkor {

bool writeFirstRunMarker(FileSystem& fs, std::u16string_view text) {
  const std::vector<std::uint8_t> bytes = bytes::utf16le(text);
  ScopedFile marker(fs, fs.openReadWrite(paths::kFirstRunMarker));
  if (!marker) return false;
  const bool written = fs.write(marker.get(), bytes.data(), bytes.size()) == bytes.size();
  return marker.close() && written;
}

}  // namespace velkor
