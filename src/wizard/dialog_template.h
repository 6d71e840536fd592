// A dialog as its resource describes it, in dialog units, and where a 96-dpi
// display puts it. The dialog manager sizes a dialog by its font's base units
// at the display's DPI; those do not grow in step with the DPI (the font's
// hinting rounds its average width), while the fonts the pages choose and
// their pictures do. Placing every box where a 96-dpi display puts it,
// scaled by DPI / 96, keeps the pages' 96-dpi proportions at every DPI.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wizard/appearance.h"

namespace velkor::wizard {

// A box in dialog units, as the template stores it.
struct TemplateBox {
  int x, y, cx, cy;
};

struct DialogTemplate {
  std::uint32_t style = 0;
  TemplateBox frame;
  // The dialog's font (DS_SETFONT); pointSize 0 without one.
  int pointSize = 0;
  int weight = 0;
  bool italic = false;
  std::u16string face;
  // The controls, in the order the dialog creates them.
  std::vector<TemplateBox> items;
};

// An extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX
// items). Every read is checked against `size`; nothing for a classic
// template or bytes that end too soon.
std::optional<DialogTemplate> parseDialogTemplate(const std::uint8_t* data, std::size_t size);

// A font's dialog base units, as the dialog manager derives them: the average
// width from the extent of the 52 letters A-Z a-z, the height of the font.
struct BaseUnits {
  int x, y;
};
inline constexpr char16_t kBaseUnitLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
int baseUnitWidth(int lettersExtent);

// The font height (CreateFont's, negative: character height) a template's
// point size has on a 96-dpi display.
int designFontHeight(int pointSize);

// Where a box lies on a 96-dpi display whose dialog font has `designBase`,
// scaled to `dpi`: position and size in 96-dpi pixels, each rounded as the
// dialog manager rounds them, then each edge times dpi / 96, rounded again.
Rect designRect(const TemplateBox& box, BaseUnits designBase, int dpi);

}  // namespace velkor::wizard
