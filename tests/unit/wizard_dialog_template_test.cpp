// Dialog templates as the resource compiler writes them (the extended form),
// read back box by box, and where a 96-dpi display puts those boxes at other
// DPIs.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wizard/dialog_template.h"

namespace velkor::wizard {
namespace {

// Writes an extended dialog template field by field.
class TemplateBuilder {
 public:
  std::vector<std::uint8_t> bytes;

  void u16(std::uint16_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v));
    u16(static_cast<std::uint16_t>(v >> 16));
  }
  void text(const std::u16string& s) {
    for (char16_t c : s) u16(c);
    u16(0);
  }
  void ordinal(std::uint16_t v) {
    u16(0xFFFF);
    u16(v);
  }
  void box(const TemplateBox& b) {
    for (int v : {b.x, b.y, b.cx, b.cy}) u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
  }
  void align() {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
  }
  void header(std::uint32_t style, std::uint16_t items, const TemplateBox& frame, bool font) {
    u16(1);
    u16(0xFFFF);
    u32(0);  // help id
    u32(0);  // extended style
    u32(style | (font ? 0x40u : 0u));
    u16(items);
    box(frame);
    u16(0);                // no menu
    u16(0);                // the dialog class
    text(u"安装 - Setup");  // caption
    if (font) {
      u16(9);
      u16(400);
      bytes.push_back(1);  // italic
      bytes.push_back(1);  // character set
      text(u"Tahoma");
    }
  }
  // An item whose class is a predefined ordinal and whose title is `title`
  // (a text) or, when empty, a resource ordinal; `extra` creation bytes.
  void item(const TemplateBox& b, std::uint32_t id, const std::u16string& title, std::uint16_t extra = 0) {
    align();
    u32(0);
    u32(0);
    u32(0x50000000);
    box(b);
    u32(id);
    ordinal(0x0082);  // static
    if (title.empty()) ordinal(128);
    else text(title);
    u16(extra);
    for (std::uint16_t i = 0; i < extra; ++i) bytes.push_back(0xCC);
  }
};

std::vector<std::uint8_t> sampleTemplate() {
  TemplateBuilder t;
  t.header(0x80C800C0, 4, {0, 0, 266, 166}, true);
  t.item({152, 141, 51, 16}, 1000, u"下一步(&N) >");
  t.item({-5, 132, 266, 1}, 0xFFFFFFFF, u"");
  t.item({91, 14, 20, 20}, 1003, u"x", 3);  // odd-sized creation data before the next item
  t.item({11, 17, 20, 20}, 1004, u"a title of odd length");
  return t.bytes;
}

TEST(DialogTemplate, ReadsTheFrameTheFontAndEveryItemsBoxInCreationOrder) {
  const auto bytes = sampleTemplate();
  const auto parsed = parseDialogTemplate(bytes.data(), bytes.size());
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->style, 0x80C800C0u | 0x40u);
  EXPECT_EQ(parsed->frame.cx, 266);
  EXPECT_EQ(parsed->frame.cy, 166);
  EXPECT_EQ(parsed->pointSize, 9);
  EXPECT_EQ(parsed->weight, 400);
  EXPECT_TRUE(parsed->italic);
  EXPECT_EQ(parsed->face, u"Tahoma");
  ASSERT_EQ(parsed->items.size(), 4u);
  EXPECT_EQ(parsed->items[0].x, 152);
  EXPECT_EQ(parsed->items[0].cy, 16);
  EXPECT_EQ(parsed->items[1].x, -5) << "coordinates are signed";
  EXPECT_EQ(parsed->items[2].cx, 20);
  EXPECT_EQ(parsed->items[3].x, 11) << "found after odd creation data and realignment";
  EXPECT_EQ(parsed->items[3].y, 17);
}

TEST(DialogTemplate, RefusesClassicTemplatesAndBytesThatEndTooSoon) {
  const auto bytes = sampleTemplate();
  // Every prefix is refused; none is read past its end (the sanitizers of
  // the fuzz tier watch the same code).
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(parseDialogTemplate(cut.data(), cut.size()).has_value()) << n << " bytes";
  }
  std::vector<std::uint8_t> classic = bytes;
  classic[2] = 0x00;  // no 0xFFFF signature: the classic form
  EXPECT_FALSE(parseDialogTemplate(classic.data(), classic.size()).has_value());
  std::vector<std::uint8_t> moreItems = bytes;
  moreItems[16] = 5;  // one item more than the bytes hold
  EXPECT_FALSE(parseDialogTemplate(moreItems.data(), moreItems.size()).has_value());
  EXPECT_FALSE(parseDialogTemplate(nullptr, 100).has_value());
}

TEST(DialogTemplate, WithoutAFontTheItemsFollowTheCaption) {
  TemplateBuilder t;
  t.header(0x80C80080, 1, {0, 0, 100, 50}, false);
  t.item({1, 2, 3, 4}, 7, u"");
  const auto parsed = parseDialogTemplate(t.bytes.data(), t.bytes.size());
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->pointSize, 0);
  ASSERT_EQ(parsed->items.size(), 1u);
  EXPECT_EQ(parsed->items[0].cy, 4);
}

TEST(DialogTemplate, BoxesAtOtherDpisAreThe96DpiPlacesScaled) {
  const BaseUnits base{6, 13};
  // At 96 dpi: the dialog manager's own mapping, position and size each.
  EXPECT_EQ(designRect({93, 34, 171, 9}, base, 96), (Rect{140, 55, 257, 15}));
  // At 144: those pixels times 1.5, by edges (the right edge 397 becomes 596).
  EXPECT_EQ(designRect({93, 34, 171, 9}, base, 144), (Rect{210, 83, 386, 22}));
  // Boxes that meet at 96 dpi still meet, however the halves round.
  for (int dpi : {96, 120, 144, 168}) {
    const Rect left = designRect({0, 0, 75, 133}, base, dpi);
    const Rect right = designRect({75, 0, 33, 133}, base, dpi);
    EXPECT_EQ(left.left + left.width, right.left) << dpi;
    EXPECT_EQ(left.height, right.height) << dpi;
  }
  EXPECT_EQ(scaleToDpi(276, 120), 345);
  EXPECT_EQ(scaleToDpi(22, 144), 33);
}

TEST(DialogTemplate, BaseUnitsAreTheLettersAverageRoundedAsTheDialogManagerDoes) {
  EXPECT_EQ(baseUnitWidth(312), 6);  // 12 per pair of letters
  EXPECT_EQ(baseUnitWidth(300), 6);  // 11.5 -> 11, then (11 + 1) / 2
  EXPECT_EQ(baseUnitWidth(0), 0);
  EXPECT_EQ(designFontHeight(9), -12);
  EXPECT_EQ(designFontHeight(11), -15);
}

}  // namespace
}  // namespace velkor::wizard
