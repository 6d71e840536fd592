// The demo font parts as make_fonts.py writes them: each is a TrueType font of
// exactly its part's length whose last table ends at that length, with valid
// checksums and the family name the wizard asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "payload/layout.h"
#include "payload_builder.h"
#include "payload_font_families.h"
#include "payload_test_files.h"

namespace {

using velkor::payload::kFontParts;
using velkor::payloadtest::kDemoFontFamilies;
using velkor::payloadtest::kDemoFontMarker;

struct Table {
  std::uint32_t checksum, offset, length;
};

// Bounds-checked big-endian reads: a broken font fails the test, never the process.
struct BigEndian {
  const std::vector<unsigned char>& bytes;
  bool ok = true;
  std::uint32_t u16(std::size_t at) {
    if (at + 2 > bytes.size()) return ok = false, 0;
    return std::uint32_t{bytes[at]} << 8 | bytes[at + 1];
  }
  std::uint32_t u32(std::size_t at) { return u16(at) << 16 | u16(at + 2); }
};

std::uint32_t checksum(const std::vector<unsigned char>& bytes, std::size_t offset, std::size_t length) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < length; i += 4) {
    std::uint32_t word = 0;
    for (std::size_t k = 0; k < 4; ++k) word = word << 8 | (i + k < length ? bytes[offset + i + k] : 0);
    sum += word;
  }
  return sum;
}

std::u16string utf16be(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t length) {
  std::u16string s;
  for (std::size_t i = 0; i + 1 < length; i += 2)
    s += static_cast<char16_t>(bytes[at + i] << 8 | bytes[at + i + 1]);
  return s;
}

std::string printable(const std::u16string& s) { return std::string(s.begin(), s.end()); }

class DemoFont : public testing::TestWithParam<velkor::payload::FontPart> {
 protected:
  void SetUp() override {
    const auto& part = GetParam();
    bytes = velkor::payloadtest::readAll(std::string(VELKOR_DEMO_FONTS) + "/" +
                                        velkor::mkpayload::narrow(part.fileName));
    ASSERT_EQ(bytes.size(), part.length);
    BigEndian be{bytes};
    ASSERT_EQ(be.u32(0), 0x00010000u);
    const std::uint32_t count = be.u16(4);
    searchRange = be.u16(6);
    entrySelector = be.u16(8);
    rangeShift = be.u16(10);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t r = 12 + 16 * i;
      std::string tag(bytes.begin() + std::min(r, bytes.size()), bytes.begin() + std::min(r + 4, bytes.size()));
      order.push_back(tag);
      tables[tag] = Table{be.u32(r + 4), be.u32(r + 8), be.u32(r + 12)};
    }
    ASSERT_TRUE(be.ok) << "table directory runs past the end";
    ASSERT_EQ(tables.size(), count) << "a tag occurs twice";
  }

  std::vector<unsigned char> bytes;
  std::map<std::string, Table> tables;
  std::vector<std::string> order;
  std::uint32_t searchRange = 0, entrySelector = 0, rangeShift = 0;
};

TEST_P(DemoFont, TablesLieInsideThePartAndTheLastEndsAtItsLength) {
  const std::uint32_t n = static_cast<std::uint32_t>(tables.size());
  std::uint32_t power = 1;
  while (power * 2 <= n) power *= 2;
  EXPECT_EQ(searchRange, power * 16);
  EXPECT_EQ(1u << entrySelector, power);
  EXPECT_EQ(rangeShift, n * 16 - power * 16);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "the directory must be sorted by tag";

  const std::size_t directoryEnd = 12 + 16 * tables.size();
  std::uint64_t lastEnd = 0;
  for (const auto& [tag, t] : tables) {
    SCOPED_TRACE(tag);
    EXPECT_EQ(t.offset % 4, 0u);
    EXPECT_GE(t.offset, directoryEnd);
    EXPECT_LE(std::uint64_t{t.offset} + t.length, bytes.size());
    lastEnd = std::max<std::uint64_t>(lastEnd, std::uint64_t{t.offset} + t.length);
  }
  EXPECT_EQ(lastEnd, bytes.size());
  // TrueType outlines, not CFF.
  for (const char* tag : {"head", "name", "cmap", "maxp", "hhea", "hmtx", "glyf", "loca", "OS/2", "post"})
    EXPECT_EQ(tables.count(tag), 1u) << tag;
  EXPECT_EQ(tables.count("CFF "), 0u);
}

TEST_P(DemoFont, ChecksumsAreValid) {
  for (const auto& [tag, t] : tables) {
    if (std::uint64_t{t.offset} + t.length > bytes.size()) continue;  // reported by the layout test
    std::vector<unsigned char> body(bytes.begin() + t.offset, bytes.begin() + t.offset + t.length);
    if (tag == "head") std::fill(body.begin() + 8, body.begin() + 12, 0);  // checkSumAdjustment counts as 0
    EXPECT_EQ(checksum(body, 0, body.size()), t.checksum) << tag;
  }
  EXPECT_EQ(checksum(bytes, 0, bytes.size()), 0xB1B0AFBAu) << "head.checkSumAdjustment";
}

TEST_P(DemoFont, WindowsNameRecordsGiveTheWizardsFamily) {
  ASSERT_EQ(tables.count("name"), 1u);
  const Table name = tables["name"];
  BigEndian be{bytes};
  const std::uint32_t count = be.u16(name.offset + 2);
  const std::size_t strings = name.offset + be.u16(name.offset + 4);
  std::map<std::uint32_t, std::u16string> english;  // name id -> platform 3, en-US text
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t r = name.offset + 6 + 12 * i;
    const std::uint32_t platform = be.u16(r), language = be.u16(r + 4), id = be.u16(r + 6);
    const std::uint32_t length = be.u16(r + 8), offset = be.u16(r + 10);
    ASSERT_TRUE(be.ok);
    ASSERT_LE(strings + offset + length, name.offset + name.length) << "name record " << i;
    if (platform == 3 && language == 0x409) english[id] = utf16be(bytes, strings + offset, length);
  }
  const std::u16string family = kDemoFontFamilies[GetParam().number - 1];
  EXPECT_EQ(printable(english[1]), printable(family));
  EXPECT_EQ(printable(english[4]), printable(family));
  EXPECT_EQ(printable(english[3]), printable(family + kDemoFontMarker));
  EXPECT_FALSE(english[0].empty()) << "the source's copyright notice is kept";
}

INSTANTIATE_TEST_SUITE_P(Parts, DemoFont, testing::ValuesIn(kFontParts),
                         [](const testing::TestParamInfo<velkor::payload::FontPart>& info) {
                           return "part" + std::to_string(info.param.number);
                         });

}  // namespace
