// Changes bytes of a buffer and keeps its CRC-32: four bytes at `patchAt` are
// chosen so that the whole buffer's CRC-32 is what it was. Anyone can do this
// to a payload, which is why a CRC-32 cannot seal one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "payload/crc32.h"

namespace velkor::testing {

namespace crcforge {

inline const std::array<std::uint32_t, 256>& table() {
  static const std::array<std::uint32_t, 256> t = [] {
    std::array<std::uint32_t, 256> out{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      out[i] = c;
    }
    return out;
  }();
  return t;
}

// The register before a byte `b` that leads to `after` (the top byte of each
// table entry is unique, so the entry is known from `after`).
inline std::uint32_t unstep(std::uint32_t after, std::uint8_t b) {
  const auto& t = table();
  std::uint32_t k = 0;
  while ((t[k] >> 24) != (after >> 24)) ++k;
  return ((after ^ t[k]) << 8) | (k ^ b);
}

}  // namespace crcforge

// Rewrites bytes [patchAt, patchAt + 4) of `data` (of `size` bytes, already
// changed elsewhere as wanted) so that its CRC-32 becomes `crc`.
inline void restoreCrc32(std::uint8_t* data, std::size_t size, std::size_t patchAt, std::uint32_t crc) {
  // The register just before the patch, running forwards from the start...
  const std::uint32_t before = ~crc32(data, patchAt);
  // ...and the one needed just after it, running backwards from the end.
  std::uint32_t after = ~crc;
  for (std::size_t i = size; i > patchAt + 4; --i) after = crcforge::unstep(after, data[i - 1]);
  // Four bytes fed into the register are four zero bytes fed into the
  // register XOR their little-endian word.
  std::uint32_t word = after;
  for (int i = 0; i < 4; ++i) word = crcforge::unstep(word, 0);
  word ^= before;
  for (int i = 0; i < 4; ++i) data[patchAt + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

}  // namespace velkor::testing
