// CRC-32 as zlib computes it: known values, and any split of the input into
// blocks gives the one-shot value.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "payload/crc32.h"

namespace {

using velkor::crc32;
using velkor::crc32Update;

// Bit by bit, straight from the definition: the reference the table-driven
// version must agree with.
std::uint32_t bitwiseCrc(const unsigned char* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int b = 0; b < 8; ++b) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

std::vector<unsigned char> randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(gen());
  return v;
}

TEST(Crc32, KnownValues) {
  EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
  const char* fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(crc32(fox, std::strlen(fox)), 0x414FA339u);
  EXPECT_EQ(crc32("", 0), 0u);
  EXPECT_EQ(crc32("a", 1), 0xE8B7BE43u);
  const std::vector<unsigned char> zeros(4096, 0);
  EXPECT_EQ(crc32(zeros.data(), zeros.size()), 0xC71C0011u);
}

TEST(Crc32, AgreesWithTheBitwiseDefinitionAtEveryLengthAndAlignment) {
  const auto bytes = randomBytes(200, 7);
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t n = 0; n + offset <= 80; ++n) {
      SCOPED_TRACE(testing::Message() << "offset " << offset << " length " << n);
      ASSERT_EQ(crc32(bytes.data() + offset, n), bitwiseCrc(bytes.data() + offset, n));
    }
  }
  const auto big = randomBytes(1 << 20, 11);
  EXPECT_EQ(crc32(big.data(), big.size()), bitwiseCrc(big.data(), big.size()));
}

TEST(Crc32, IncrementalEqualsOneShot) {
  const auto bytes = randomBytes(1000, 3);
  const std::uint32_t whole = crc32(bytes.data(), bytes.size());
  for (std::size_t split = 0; split <= bytes.size(); ++split) {
    const std::uint32_t first = crc32Update(0, bytes.data(), split);
    ASSERT_EQ(crc32Update(first, bytes.data() + split, bytes.size() - split), whole) << "split at " << split;
  }
  // Many odd-sized blocks, as a reader with short reads would feed it.
  std::uint32_t crc = 0;
  std::size_t at = 0;
  for (std::size_t block = 1; at < bytes.size(); block = block * 3 % 17 + 1) {
    const std::size_t n = std::min(block, bytes.size() - at);
    crc = crc32Update(crc, bytes.data() + at, n);
    at += n;
  }
  EXPECT_EQ(crc, whole);
  EXPECT_EQ(crc32Update(whole, bytes.data(), 0), whole);
}

}  // namespace
