// How the wizard's three dialogs correct their look at initialisation: pixel
// moves common to every system and per layout class, the fonts chosen by
// whether the Yahei font is installed, and the text colours. Tables are data;
// the steps run against a DialogSurface, which the Win32 side implements on
// each dialog with one platform call per operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "wizard/version_gate.h"

namespace velkor::wizard {

// One line of a move table, in pixels. Target ids::kDialog is the dialog's
// own window (in screen coordinates); any other target is a control, moved in
// the dialog's client coordinates.
struct Move {
  int target;
  int dx, dy, dw, dh;
};

// How a table's dialog line is carried out: MoveWindow (position and size),
// or SetWindowPos that keeps position and z-order and changes only the size.
enum class DialogMove { kMoveWindow, kResizeOnly };

struct MoveTable {
  const Move* first;
  std::size_t count;
  DialogMove dialogMove;
  const Move* begin() const { return first; }
  const Move* end() const { return first + count; }
};

struct Rect {
  int left, top, width, height;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

// The rectangle a move gives.
Rect applyMove(const Rect& rect, const Move& move);

// The tables' moves are in pixels of a 96-dpi display; on a dialog of
// another DPI each is scaled by LOGPIXELSY / 96, rounded to whole pixels, as
// the dialog's own units and fonts scale.
inline constexpr int kDesignDpi = 96;
Move scaleMove(const Move& move, int logPixelsY);
// Pixels of a 96-dpi display (a move, a picture's size) at `dpi`.
int scaleToDpi(int pixels, int dpi);

// A window rectangle shifted as little as possible to lie inside the work
// area (left and top win when it is larger than the area).
Rect keepInside(const Rect& window, const Rect& workArea);

namespace layout {
MoveTable mainCommon();
MoveTable mainForClass(LayoutClass layout);
MoveTable licenceCommon();
MoveTable licenceForClass(LayoutClass layout);
MoveTable exitCommon();
MoveTable exitForClass(LayoutClass layout);
}  // namespace layout

// A font as the dialogs make it: CreateFont with width, escapement and
// orientation 0, no italic, underline or strike-out, and the fixed precisions,
// quality and pitch below. The height comes from the point size, the screen's
// LOGPIXELSY and the font's own divisor (not 72).
struct FontRequest {
  const char16_t* face;
  int points;
  int divisor;
  int weight;
  std::uint8_t charSet;
};
inline constexpr std::uint8_t kOutPrecision = 3;    // stroke precision
inline constexpr std::uint8_t kClipPrecision = 2;   // stroke precision
inline constexpr std::uint8_t kQuality = 1;         // draft quality
inline constexpr std::uint8_t kPitchAndFamily = 34; // variable pitch, Swiss family

// MulDiv: a * b / c rounded half away from zero; -1 when c is 0 or the result
// does not fit.
int mulDiv(int a, int b, int c);
int fontHeight(const FontRequest& font, int logPixelsY);

namespace fonts {
inline constexpr FontRequest kMainLine{u"FangSong_GB2312", 9, 76, 100, 134};
inline constexpr FontRequest kMainTitle{u"Times New Roman", 11, 76, 600, 134};
inline constexpr FontRequest kMainTextYahei{u"Microsoft Yahei", 9, 75, 400, 134};
inline constexpr FontRequest kMainTextArial{u"Arial", 9, 78, 400, 0};
inline constexpr FontRequest kLicenceTextYahei{u"Microsoft Yahei", 9, 75, 400, 134};
inline constexpr FontRequest kLicenceTitleYahei{u"Microsoft Yahei", 12, 75, 700, 134};
inline constexpr FontRequest kLicenceTitlePlain{u"Times New Roman", 12, 75, 500, 134};
inline constexpr FontRequest kExitTextYahei{u"Microsoft Yahei", 9, 75, 400, 134};
inline constexpr FontRequest kExitTitlePlain{u"宋体", 11, 75, 600, 134};

// The fixed places the Yahei probe looks, whatever the Windows directory is.
inline constexpr char16_t kYaheiTtf[] = u"C:\\WINDOWS\\Fonts\\MSYH.TTF";
inline constexpr char16_t kYaheiTtc[] = u"C:\\WINDOWS\\Fonts\\MSYH.TTC";
}  // namespace fonts

// The font members of a dialog.
enum class FontSlot { kText, kTitle, kLine };

class DialogSurface {
 public:
  virtual ~DialogSurface() = default;
  // Moves the dialog (target ids::kDialog, carried out as `how` says) or a
  // control, with repainting.
  virtual void moveItem(const Move& move, DialogMove how) = 0;
  // FindFirstFileW succeeds for the path (the search is drained and closed).
  virtual bool fileExists(const std::u16string& path) = 0;
  // LOGPIXELSY of a client DC of the dialog.
  virtual int logPixelsY() = 0;
  // Makes the slot's font (freeing the one it held).
  virtual void createFont(FontSlot slot, const FontRequest& font, int height) = 0;
  // Gives the slot's font to a control, redrawing it.
  virtual void setFont(int control, FontSlot slot) = 0;
  virtual void setText(int control, const std::u16string& text) = 0;
};

void applyMoves(DialogSurface& surface, const MoveTable& table);

// A dialog's whole layout at its initialisation: the common table, then the
// layout class's. The controls' rows are applied in that order; the dialog's
// own rows, summed, as one move after them (its position only from tables
// that move it, its size from both), carried out as the last table with such
// a row says: a resize alone, unlike a move, also activates the window. Each
// change of a top-level window's size costs a trip through the window
// system, and the window, still hidden, ends where the rows one by one would
// have left it.
void applyLayout(DialogSurface& surface, const MoveTable& common, const MoveTable& forClass);

// Yahei counts as present when "MSYH.TTF" or else "MSYH.TTC" is found in the
// fixed font folder.
bool probeYahei(DialogSurface& surface);

// The font steps of the three dialogs; each probes for Yahei itself and
// returns what it found.
bool applyMainWindowFonts(DialogSurface& surface);
bool applyLicenceFonts(DialogSurface& surface);
bool applyExitFonts(DialogSurface& surface);

// Text colours of the static texts (drawn transparently on the white
// background); nothing for a control that keeps the system's colours.
struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline constexpr Rgb kWhite{255, 255, 255};
std::optional<Rgb> mainTextColour(int control);
std::optional<Rgb> licenceTextColour(int control);
std::optional<Rgb> exitTextColour(int control);
// The agreement's default character colour.
inline constexpr Rgb kAgreementColour{55, 55, 55};

}  // namespace velkor::wizard
