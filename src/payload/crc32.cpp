#include "payload/crc32.h"

#include <array>

#include "payload/byte_order.h"

namespace velkor {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// Slicing by eight: table k holds the CRC of a byte followed by k zero bytes,
// so eight input bytes are folded in with eight independent lookups.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables makeTables() {
  Tables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (c >> 1) ^ kPolynomial : c >> 1;
    t[0][i] = c;
  }
  for (std::uint32_t i = 0; i < 256; ++i)
    for (std::size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
  return t;
}

constexpr Tables kTables = makeTables();

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::uint32_t c = ~crc;
  for (; size >= 8; size -= 8, p += 8) {
    // Assembled byte by byte, so the result does not depend on the host's byte order.
    const std::uint32_t lo = c ^ bytes::loadLe32(p);
    c = kTables[7][lo & 0xFFu] ^ kTables[6][(lo >> 8) & 0xFFu] ^ kTables[5][(lo >> 16) & 0xFFu] ^
        kTables[4][lo >> 24] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^
        kTables[0][p[7]];
  }
  for (; size > 0; --size, ++p) c = (c >> 8) ^ kTables[0][(c ^ *p) & 0xFFu];
  return ~c;
}

}  // namespace velkor
