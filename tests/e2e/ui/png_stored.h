// A PNG writer for screenshots: 8-bit RGB, stored (uncompressed) deflate
// blocks, so it needs no library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor::e2e {

// rgb holds width * height * 3 bytes, rows top to bottom. Returns false when
// the file cannot be written.
bool writePng(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& rgb);

// The PNG bytes themselves.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace velkor::e2e
