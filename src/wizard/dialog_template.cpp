#include "wizard/dialog_template.h"

#include "payload/byte_order.h"

namespace velkor::wizard {
namespace {

constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT (DS_SHELLFONT includes it)

class TemplateReader {
 public:
  TemplateReader(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  bool u16(std::uint16_t& v) { return advance(bytes_.u16(at_, v), 2); }
  bool u32(std::uint32_t& v) { return advance(bytes_.u32(at_, v), 4); }
  bool i16(int& v) {
    std::uint16_t raw = 0;
    if (!u16(raw)) return false;
    v = static_cast<std::int16_t>(raw);
    return true;
  }
  bool u8(std::uint8_t& v) { return advance(bytes_.u8(at_, v), 1); }
  // A zero-terminated UTF-16 string.
  bool string(std::u16string* out) {
    for (;;) {
      std::uint16_t unit = 0;
      if (!u16(unit)) return false;
      if (unit == 0) return true;
      if (out != nullptr) out->push_back(static_cast<char16_t>(unit));
    }
  }
  // A name or an ordinal: 0x0000 (none), 0xFFFF and a number, or a string.
  bool nameOrOrdinal() {
    std::uint16_t first = 0;
    if (!bytes_.u16(at_, first)) return false;
    if (first == 0) return u16(first);
    if (first == 0xFFFF) {
      std::uint16_t ordinal = 0;
      return u16(first) && u16(ordinal);
    }
    return string(nullptr);
  }
  bool skip(std::uint64_t count) { return advance(bytes_.has(at_, count), count); }
  bool alignTo4() { return skip((4 - at_ % 4) % 4); }
  bool box(TemplateBox& b) { return i16(b.x) && i16(b.y) && i16(b.cx) && i16(b.cy); }

 private:
  bool advance(bool ok, std::uint64_t count) {
    if (ok) at_ += count;
    return ok;
  }

  bytes::ByteReader bytes_;
  std::uint64_t at_ = 0;
};

}  // namespace

std::optional<DialogTemplate> parseDialogTemplate(const std::uint8_t* data, std::size_t size) {
  TemplateReader in(data, size);
  std::uint16_t version = 0, signature = 0, count = 0;
  std::uint32_t helpId = 0, exStyle = 0;
  DialogTemplate result;
  if (!in.u16(version) || !in.u16(signature) || version != 1 || signature != 0xFFFF) return std::nullopt;
  if (!in.u32(helpId) || !in.u32(exStyle) || !in.u32(result.style) || !in.u16(count) || !in.box(result.frame))
    return std::nullopt;
  if (!in.nameOrOrdinal() || !in.nameOrOrdinal() || !in.string(nullptr)) return std::nullopt;  // menu, class, title
  if (result.style & kSetFont) {
    std::uint16_t points = 0, weight = 0;
    std::uint8_t italic = 0, charSet = 0;
    if (!in.u16(points) || !in.u16(weight) || !in.u8(italic) || !in.u8(charSet) || !in.string(&result.face))
      return std::nullopt;
    result.pointSize = points;
    result.weight = weight;
    result.italic = italic != 0;
  }
  result.items.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    TemplateBox item{};
    std::uint32_t itemHelp = 0, itemExStyle = 0, itemStyle = 0, id = 0;
    std::uint16_t extra = 0;
    if (!in.alignTo4() || !in.u32(itemHelp) || !in.u32(itemExStyle) || !in.u32(itemStyle) || !in.box(item) ||
        !in.u32(id) || !in.nameOrOrdinal() || !in.nameOrOrdinal() || !in.u16(extra) || !in.skip(extra))
      return std::nullopt;
    result.items.push_back(item);
  }
  return result;
}

int baseUnitWidth(int lettersExtent) { return (lettersExtent / 26 + 1) / 2; }

int designFontHeight(int pointSize) { return -mulDiv(pointSize, kDesignDpi, 72); }

Rect designRect(const TemplateBox& box, BaseUnits base, int dpi) {
  // The dialog manager maps position and size each on its own; the scaling
  // then goes by edges, so boxes that meet at 96 dpi still meet.
  const int left = mulDiv(box.x, base.x, 4);
  const int top = mulDiv(box.y, base.y, 8);
  const int right = left + mulDiv(box.cx, base.x, 4);
  const int bottom = top + mulDiv(box.cy, base.y, 8);
  const int l = scaleToDpi(left, dpi), t = scaleToDpi(top, dpi);
  return Rect{l, t, scaleToDpi(right, dpi) - l, scaleToDpi(bottom, dpi) - t};
}

}  // namespace velkor::wizard
