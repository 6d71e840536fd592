// The payload's layout as the engine reads it: the member table, the font
// bundle inside member 3, and where the payload ends in a signed or unsigned
// setup file.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/install_paths.h"
#include "payload/layout.h"
#include "payload/pe_headers.h"
#include "unit/engine_support.h"

namespace velkor {
namespace {

using payload::kMembers;

TEST(MemberTable, MembersTileThePayloadFromItsEndInExtractionOrder) {
  std::int64_t end = 0;
  std::uint64_t total = 0;
  for (const auto& m : kMembers) {
    SCOPED_TRACE(m.number);
    EXPECT_EQ(m.start + static_cast<std::int64_t>(m.length), end) << "ends where the previous begins";
    end = m.start;
    total += m.length;
  }
  EXPECT_EQ(end, -static_cast<std::int64_t>(payload::kPayloadSize)) << "member 9 starts the payload";
  EXPECT_EQ(total, 57'549'929u);
  EXPECT_EQ(payload::offsetInPayload(kMembers[8]), 0u);
  EXPECT_EQ(payload::offsetInPayload(kMembers[0]) + kMembers[0].length, payload::kPayloadSize);
}

TEST(MemberTable, NumbersNamesAndFailureRuleOfEveryMember) {
  const std::u16string dir = std::u16string(paths::kInstallDirectory) + u"\\";
  std::set<std::u16string> names;
  for (std::size_t i = 0; i < kMembers.size(); ++i) {
    const auto& m = kMembers[i];
    SCOPED_TRACE(m.number);
    EXPECT_EQ(m.number, static_cast<int>(i + 1));
    EXPECT_EQ(std::u16string(m.destination), dir + m.fileName) << "directly in the install directory";
    EXPECT_TRUE(names.insert(m.fileName).second) << "destinations are distinct";
    const bool program = m.number == 1 || m.number == 2 || m.number == 4 || m.number == 5;
    EXPECT_EQ(m.failsInstallWhenUnopenable, program);
  }
  EXPECT_EQ(kMembers[4].start, -41'910'508);
  EXPECT_EQ(kMembers[4].length, 12'792'320u);
  EXPECT_EQ(std::u16string(payload::kFontBundle.fileName), u"Velkorsys.dll");
}

TEST(MemberTable, FontPartsLieEndToEndAndFillTheBundle) {
  std::uint32_t at = 0;
  for (const auto& p : payload::kFontParts) {
    SCOPED_TRACE(p.number);
    EXPECT_EQ(p.offset, at);
    at += p.length;
  }
  EXPECT_EQ(at, payload::kFontBundle.length);
  EXPECT_EQ(payload::kFontParts[2].offset, 4'048'276u);
}

// ---- Where the payload ends ----------------------------------------------

using testing::declareCertificateTable;
using testing::kNtAt;
using testing::peImage;

std::optional<pe::CertificateTable> tableOf(const std::vector<std::uint8_t>& image) {
  const auto at = pe::ntHeadersOffset(image.data(), image.size());
  if (!at || *at >= image.size()) return std::nullopt;
  return pe::certificateTable(image.data() + *at, image.size() - *at);
}

TEST(CertificateTable, ReadFromPe32AndPe32PlusHeaders) {
  for (const bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    auto image = peImage(0x400, plus);
    EXPECT_FALSE(tableOf(image)) << "no table declared";
    declareCertificateTable(image, 0x1234, 0x568, plus);
    const auto table = tableOf(image);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->offset, 0x1234u);
    EXPECT_EQ(table->size, 0x568u);
  }
}

TEST(CertificateTable, MalformedHeadersDeclareNoTable) {
  auto image = peImage(0x400);
  declareCertificateTable(image, 0x1000, 0x100);
  ASSERT_TRUE(tableOf(image));

  auto noMz = image;
  noMz[0] = 'X';
  EXPECT_FALSE(pe::ntHeadersOffset(noMz.data(), noMz.size()));

  auto noPe = image;
  noPe[kNtAt + 1] = 'X';
  EXPECT_FALSE(tableOf(noPe));

  auto badMagic = image;
  testing::put16(badMagic, kNtAt + 24, 0x107);
  EXPECT_FALSE(tableOf(badMagic));

  auto fewDirectories = image;
  testing::put32(fewDirectories, kNtAt + 24 + 92, 4);  // directories 0..3 only
  EXPECT_FALSE(tableOf(fewDirectories));

  auto shortOptionalHeader = image;
  testing::put16(shortOptionalHeader, kNtAt + 20, 96 + 4 * 8 + 7);  // entry 4 not inside
  EXPECT_FALSE(tableOf(shortOptionalHeader));

  auto emptyEntry = image;
  declareCertificateTable(emptyEntry, 0x1000, 0);
  EXPECT_FALSE(tableOf(emptyEntry));
}

TEST(CertificateTable, EveryCutOfTheHeadersIsReadInsideItsBytes) {
  auto image = peImage(0x400);
  declareCertificateTable(image, 0x1000, 0x100);
  const std::uint8_t* nt = image.data() + kNtAt;
  const std::size_t needed = 24 + 96 + 5 * 8;  // through entry 4
  for (std::size_t n = 0; n <= pe::kNtHeadersSize; ++n) {
    // A copy of exactly n bytes: nothing behind them belongs to the headers.
    std::vector<std::uint8_t> cut(nt, nt + n);
    const auto table = pe::certificateTable(cut.data(), cut.size());
    EXPECT_EQ(table.has_value(), n >= needed) << n;
  }
  for (std::size_t n = 0; n < pe::kDosHeaderSize; ++n)
    EXPECT_FALSE(pe::ntHeadersOffset(image.data(), n)) << n;
  EXPECT_FALSE(pe::certificateTable(nullptr, 100));
}

TEST(PayloadEnd, IsTheFileEndUnlessATableEndsThere) {
  EXPECT_EQ(pe::payloadEnd(1000, std::nullopt), 1000u);
  EXPECT_EQ(pe::payloadEnd(1000, pe::CertificateTable{992, 8}), 992u) << "signed";
  EXPECT_EQ(pe::payloadEnd(1000, pe::CertificateTable{900, 8}), 1000u) << "table not at the end";
  EXPECT_EQ(pe::payloadEnd(1000, pe::CertificateTable{992, 16}), 1000u) << "table past the end";
  EXPECT_EQ(pe::payloadEnd(0x10, pe::CertificateTable{0xFFFFFFF8u, 0x18}), 0x10u)
      << "no wrap-around in offset + size";
}

}  // namespace
}  // namespace velkor
