// CRC-32 as zlib computes it (IEEE 802.3, reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF). The payload tool seals the payload
// with it and the engine checks the payload with it before it changes anything.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor {

// Continues a CRC over more bytes: start with 0, feed the previous result with
// the next block. crc32Update(crc32Update(0, a), b) == CRC of a followed by b.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size);

inline std::uint32_t crc32(const void* data, std::size_t size) {
  return crc32Update(0, data, size);
}

}  // namespace velkor
