// A small PNG writer for the driver's screenshots: 8-bit RGB, no filtering,
// the image data as a zlib stream of "stored" deflate blocks. No compression
// library is needed and the result opens in every viewer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velkor::e2e {

// `rgb` holds height rows of width pixels, 3 bytes each (red, green, blue),
// top row first. Returns the whole PNG file; empty when the sizes are zero or
// `rgb` is too short for them.
std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height,
                                    const std::vector<std::uint8_t>& rgb);

// Adler-32 of zlib, the checksum that ends the image data stream.
std::uint32_t adler32(const std::uint8_t* data, std::size_t size);

// The largest payload of one stored deflate block.
inline constexpr std::size_t kStoredBlockMax = 65535;

}  // namespace velkor::e2e
