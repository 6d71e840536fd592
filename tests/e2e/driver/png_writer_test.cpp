// The screenshot PNGs: chunk layout and CRCs, and image data that a reader of
// stored deflate blocks gets back exactly, across block boundaries.
#include "png_writer.h"

#include <gtest/gtest.h>

#include "payload/crc32.h"

namespace velkor::e2e {
namespace {

std::uint32_t big32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b.at(at)} << 24) | (std::uint32_t{b.at(at + 1)} << 16) | (std::uint32_t{b.at(at + 2)} << 8) |
         b.at(at + 3);
}

struct Chunk {
  std::string type;
  std::vector<std::uint8_t> data;
};

// Splits a PNG into its chunks, checking every CRC on the way.
std::vector<Chunk> chunks(const std::vector<std::uint8_t>& png) {
  const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(png.size() >= 8 && std::equal(signature, signature + 8, png.begin()));
  std::vector<Chunk> out;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = big32(png, at);
    EXPECT_LE(at + 12 + length, png.size());
    if (at + 12 + length > png.size()) break;
    Chunk c{std::string(png.begin() + at + 4, png.begin() + at + 8),
            std::vector<std::uint8_t>(png.begin() + at + 8, png.begin() + at + 8 + length)};
    EXPECT_EQ(big32(png, at + 8 + length), crc32(png.data() + at + 4, 4 + length)) << c.type;
    out.push_back(c);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  return out;
}

// Reads a zlib stream made only of stored blocks.
std::vector<std::uint8_t> inflateStored(const std::vector<std::uint8_t>& z, int* blocks) {
  std::vector<std::uint8_t> out;
  EXPECT_GE(z.size(), 6u);
  EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0) << "zlib header check bits";
  EXPECT_EQ(z[0] & 0x0F, 8) << "deflate";
  std::size_t at = 2;
  *blocks = 0;
  for (bool last = false; !last;) {
    if (at + 5 > z.size()) {
      ADD_FAILURE() << "stream cut short";
      return out;
    }
    last = (z[at] & 1) != 0;
    EXPECT_EQ(z[at] & 6, 0) << "block type stored";
    const std::size_t n = z[at + 1] | (z[at + 2] << 8);
    const std::size_t inverse = z[at + 3] | (z[at + 4] << 8);
    EXPECT_EQ(n ^ 0xFFFF, inverse);
    at += 5;
    if (at + n > z.size()) {
      ADD_FAILURE() << "block runs past the stream";
      return out;
    }
    out.insert(out.end(), z.begin() + at, z.begin() + at + n);
    at += n;
    ++*blocks;
  }
  EXPECT_EQ(at + 4, z.size());
  EXPECT_EQ(big32(z, at), adler32(out.data(), out.size()));
  return out;
}

std::vector<std::uint8_t> pattern(std::uint32_t w, std::uint32_t h) {
  std::vector<std::uint8_t> rgb(std::size_t{w} * h * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 + i / 3);
  return rgb;
}

void expectRoundTrip(std::uint32_t w, std::uint32_t h, int expectedBlocks) {
  SCOPED_TRACE(::testing::Message() << w << " x " << h);
  const auto rgb = pattern(w, h);
  const auto parts = chunks(encodePng(w, h, rgb));
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].type, "IHDR");
  EXPECT_EQ(parts[1].type, "IDAT");
  EXPECT_EQ(parts[2].type, "IEND");
  ASSERT_EQ(parts[0].data.size(), 13u);
  EXPECT_EQ(big32(parts[0].data, 0), w);
  EXPECT_EQ(big32(parts[0].data, 4), h);
  EXPECT_EQ(std::vector<std::uint8_t>(parts[0].data.begin() + 8, parts[0].data.end()),
            (std::vector<std::uint8_t>{8, 2, 0, 0, 0}));
  int blocks = 0;
  const auto raw = inflateStored(parts[1].data, &blocks);
  EXPECT_EQ(blocks, expectedBlocks);
  ASSERT_EQ(raw.size(), (std::size_t{w} * 3 + 1) * h);
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::size_t row = y * (std::size_t{w} * 3 + 1);
    ASSERT_EQ(raw[row], 0) << "filter of row " << y;
    ASSERT_TRUE(std::equal(raw.begin() + row + 1, raw.begin() + row + 1 + w * 3, rgb.begin() + y * w * 3))
        << "pixels of row " << y;
  }
}

TEST(PngWriter, SmallImagesRoundTripInOneStoredBlock) {
  expectRoundTrip(1, 1, 1);
  expectRoundTrip(3, 2, 1);
}

TEST(PngWriter, LargeImagesSplitIntoStoredBlocksAtTheLimit) {
  // (400 * 3 + 1) * 300 = 360,300 bytes: five full blocks and a sixth.
  expectRoundTrip(400, 300, 6);
  // A row of 21,844 pixels is 65,533 bytes with its filter byte: one block;
  // two such rows need a second.
  expectRoundTrip(21844, 1, 1);
  expectRoundTrip(21844, 2, 2);
}

TEST(PngWriter, RefusesSizesTheBytesDoNotCover) {
  EXPECT_TRUE(encodePng(0, 5, pattern(1, 5)).empty());
  EXPECT_TRUE(encodePng(5, 0, pattern(5, 1)).empty());
  EXPECT_TRUE(encodePng(4, 4, pattern(4, 3)).empty());
  EXPECT_FALSE(encodePng(4, 4, pattern(4, 4)).empty());
}

TEST(PngWriter, Adler32KnownValues) {
  const std::string wiki = "Wikipedia";
  EXPECT_EQ(adler32(reinterpret_cast<const std::uint8_t*>(wiki.data()), wiki.size()), 0x11E60398u);
  EXPECT_EQ(adler32(nullptr, 0), 1u);
}

}  // namespace
}  // namespace velkor::e2e
