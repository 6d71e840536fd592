// The seal record: found by its magic, exactly once; read back only when it is
// exactly one record; the resource compiler's words and the code's bytes agree.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "payload/seal.h"

namespace {

using namespace velkor::seal;

// A record whose digest bytes count up from `first`.
std::vector<unsigned char> record(std::uint32_t size, std::uint8_t first) {
  PayloadSeal seal;
  seal.payloadSize = size;
  if (first != 0)
    for (std::size_t i = 0; i < seal.digest.size(); ++i) seal.digest[i] = static_cast<std::uint8_t>(first + i);
  std::vector<unsigned char> r(kSealRecordSize, 0xEE);
  writeSeal(r.data(), seal);
  return r;
}

TEST(PayloadSeal, TheMagicIsTheResourceCompilersWordsInLittleEndian) {
  const unsigned long words[] = {VELKOR_SEAL_MAGIC_WORDS};
  unsigned char expected[kMagicSize];
  for (std::size_t i = 0; i < kMagicSize; ++i)
    expected[i] = static_cast<unsigned char>(words[i / 4] >> (8 * (i % 4)));
  const auto r = record(0, 0);
  EXPECT_EQ(std::memcmp(r.data(), expected, kMagicSize), 0);
  EXPECT_EQ(std::memcmp(r.data(), "VELKORSEAL", 10), 0);
}

TEST(PayloadSeal, RecordRoundTripsSizeLittleEndianThenTheDigestsBytes) {
  const auto r = record(57'549'929, 0xA0);
  ASSERT_EQ(kSealRecordSize, kMagicSize + 4 + 32);
  const unsigned char size[] = {0x69, 0x24, 0x6E, 0x03};
  EXPECT_EQ(std::memcmp(r.data() + kMagicSize, size, sizeof size), 0);
  for (std::size_t i = 0; i < 32; ++i) EXPECT_EQ(r[kMagicSize + 4 + i], 0xA0 + i) << "digest byte " << i;
  const auto seal = parseSeal(r.data(), r.size());
  ASSERT_TRUE(seal);
  EXPECT_EQ(seal->payloadSize, 57'549'929u);
  for (std::size_t i = 0; i < 32; ++i) EXPECT_EQ(seal->digest[i], 0xA0 + i);
}

TEST(PayloadSeal, ParseRefusesAnythingButOneWholeRecord) {
  auto r = record(1, 2);
  EXPECT_FALSE(parseSeal(nullptr, kSealRecordSize));
  EXPECT_FALSE(parseSeal(r.data(), kSealRecordSize - 1));
  r.push_back(0);
  EXPECT_FALSE(parseSeal(r.data(), r.size()));
  r.pop_back();
  for (std::size_t i = 0; i < kMagicSize; ++i) {
    auto bad = r;
    bad[i] ^= 0x20;
    EXPECT_FALSE(parseSeal(bad.data(), bad.size())) << "magic byte " << i;
  }
  const auto unfilled = parseSeal(record(0, 0).data(), kSealRecordSize);
  ASSERT_TRUE(unfilled);
  EXPECT_EQ(unfilled->payloadSize, 0u);
  EXPECT_EQ(unfilled->digest, velkor::Sha256Digest{});
}

TEST(PayloadSeal, FindNeedsExactlyOneWholeRecord) {
  std::vector<unsigned char> image(5000, 0x56);  // many first bytes of the magic
  EXPECT_FALSE(findSealRecord(image.data(), image.size()));
  EXPECT_FALSE(findSealRecord(nullptr, 0));

  const auto r = record(0, 0);
  std::memcpy(image.data() + 1234, r.data(), r.size());
  const auto at = findSealRecord(image.data(), image.size());
  ASSERT_TRUE(at);
  EXPECT_EQ(*at, 1234u);

  EXPECT_EQ(countSealMagic(image.data(), image.size()), 1u);

  auto two = image;
  std::memcpy(two.data() + 4000, r.data(), kMagicSize);  // a second magic, even without fields
  EXPECT_FALSE(findSealRecord(two.data(), two.size()));
  EXPECT_EQ(countSealMagic(two.data(), two.size()), 2u);
  // Overlapping occurrences cannot exist (the magic does not repeat itself), so
  // back-to-back ones count separately.
  std::memcpy(two.data() + 4000 + kMagicSize, r.data(), kMagicSize);
  EXPECT_EQ(countSealMagic(two.data(), two.size()), 3u);

  // A magic too close to the end for its fields is no record.
  std::vector<unsigned char> cut(100, 0);
  std::memcpy(cut.data() + 100 - kMagicSize - 4, r.data(), kMagicSize);
  EXPECT_FALSE(findSealRecord(cut.data(), cut.size()));
  EXPECT_EQ(countSealMagic(cut.data(), cut.size()), 1u);
  // A magic cut by the end is not found at all; the whole record at the very end is.
  std::vector<unsigned char> tail(64, 0);
  std::memcpy(tail.data() + 64 - kSealRecordSize, r.data(), kSealRecordSize);
  ASSERT_TRUE(findSealRecord(tail.data(), tail.size()));
  EXPECT_FALSE(findSealRecord(tail.data(), tail.size() - kSealRecordSize + kMagicSize - 1));
}

}  // namespace
