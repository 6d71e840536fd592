#include "payload/seal.h"

#include <array>

#include "payload/byte_order.h"

namespace velkor::seal {
namespace {

// The code keeps the magic only masked, and no variable of it holds it plain
// (debug information would keep such a variable's value): the image that links
// this file must hold the magic exactly once, in its resource, or the payload
// tool could not tell which occurrence is the seal.
constexpr std::uint32_t kMask = 0xA5C3965Au;

constexpr std::array<std::uint32_t, 4> masked(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  return {a ^ kMask, b ^ kMask, c ^ kMask, d ^ kMask};
}

constexpr std::array<std::uint32_t, 4> kMaskedMagic = masked(VELKOR_SEAL_MAGIC_WORDS);
static_assert(kMagicSize == 4 * kMaskedMagic.size());
static_assert(kSealRecordSize == kMagicSize + 4 + std::tuple_size<Sha256Digest>::value);

// `p` must have kMagicSize readable bytes.
bool hasMagic(const unsigned char* p) {
  for (std::size_t k = 0; k < kMaskedMagic.size(); ++k)
    if ((bytes::loadLe32(p + 4 * k) ^ kMask) != kMaskedMagic[k]) return false;
  return true;
}

// The first occurrence of the magic at or after `from`.
std::optional<std::size_t> nextMagic(const void* image, std::size_t size, std::size_t from) {
  if (image == nullptr) return std::nullopt;
  const auto* p = static_cast<const unsigned char*>(image);
  const auto first = static_cast<unsigned char>(kMaskedMagic[0] ^ kMask);
  for (std::size_t at = from; at < size && size - at >= kMagicSize; ++at)
    if (p[at] == first && hasMagic(p + at)) return at;
  return std::nullopt;
}

}  // namespace

std::optional<PayloadSeal> parseSeal(const void* data, std::size_t size) {
  if (data == nullptr || size != kSealRecordSize) return std::nullopt;
  const auto* p = static_cast<const unsigned char*>(data);
  if (!hasMagic(p)) return std::nullopt;
  PayloadSeal seal;
  seal.payloadSize = bytes::loadLe32(p + kMagicSize);
  for (std::size_t i = 0; i < seal.digest.size(); ++i) seal.digest[i] = p[kMagicSize + 4 + i];
  return seal;
}

std::size_t countSealMagic(const void* image, std::size_t size) {
  std::size_t count = 0;
  for (auto at = nextMagic(image, size, 0); at; at = nextMagic(image, size, *at + 1)) ++count;
  return count;
}

std::optional<std::size_t> findSealRecord(const void* image, std::size_t size) {
  const auto first = nextMagic(image, size, 0);
  if (!first || nextMagic(image, size, *first + 1)) return std::nullopt;
  if (size - *first < kSealRecordSize) return std::nullopt;
  return first;
}

void writeSeal(void* record, const PayloadSeal& seal) {
  auto* p = static_cast<unsigned char*>(record);
  for (std::size_t k = 0; k < kMaskedMagic.size(); ++k) bytes::storeLe32(p + 4 * k, kMaskedMagic[k] ^ kMask);
  bytes::storeLe32(p + kMagicSize, seal.payloadSize);
  for (std::size_t i = 0; i < seal.digest.size(); ++i) p[kMagicSize + 4 + i] = seal.digest[i];
}

}  // namespace velkor::seal
