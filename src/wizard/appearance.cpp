#include "wizard/appearance.h"

#include <array>
#include <climits>

#include "wizard/control_ids.h"
#include "wizard/texts.h"

namespace velkor::wizard {

Rect applyMove(const Rect& rect, const Move& move) {
  return Rect{rect.left + move.dx, rect.top + move.dy, rect.width + move.dw, rect.height + move.dh};
}

Rect keepInside(const Rect& window, const Rect& area) {
  Rect r = window;
  if (r.left + r.width > area.left + area.width) r.left = area.left + area.width - r.width;
  if (r.top + r.height > area.top + area.height) r.top = area.top + area.height - r.height;
  if (r.left < area.left) r.left = area.left;
  if (r.top < area.top) r.top = area.top;
  return r;
}

namespace layout {
namespace {
using ids::kDialog;
using ids::kGrip;
using ids::kSeparator;

template <std::size_t N>
MoveTable table(const std::array<Move, N>& moves, DialogMove how) {
  return MoveTable{moves.data(), moves.size(), how};
}

constexpr std::array<Move, 10> kMainCommon{{
    {kDialog, 0, 0, 0, 7},
    {ctl::kTitle, 0, -1, 0, 0},
    {kSeparator, 0, 1, 8, 0},
    {ctl::kNext, 2, 2, -2, 4},
    {ctl::kCancelFinish, 4, 2, -2, 4},
    {ctl::kLine3, 1, 0, 0, 0},
    {ctl::kProgress, 0, 1, 2, 0},
    {kGrip, 3, 6, 0, 0},
    {ctl::kStatus, 0, 0, 0, 2},
    {ctl::kAnimation, 100, -18, 0, 0},
}};
constexpr std::array<Move, 4> kMain62{{
    {kDialog, 0, 0, 0, 9},
    {ctl::kNext, 0, 4, 0, 3},
    {ctl::kCancelFinish, 0, 4, 0, 3},
    {kGrip, 0, 9, 0, 0},
}};
constexpr std::array<Move, 4> kMain51{{
    {kDialog, 0, 0, 0, 3},
    {ctl::kNext, 0, 1, 0, 0},
    {ctl::kCancelFinish, 0, 1, 0, 0},
    {kGrip, 0, 3, 0, 0},
}};
constexpr std::array<Move, 4> kMainOther{{
    {kDialog, 0, 0, 0, 3},
    {ctl::kNext, 0, 2, 0, 0},
    {ctl::kCancelFinish, 0, 2, 0, 0},
    {kGrip, 0, 3, 0, 0},
}};

constexpr std::array<Move, 10> kLicenceCommon{{
    {kDialog, 0, 0, 0, 28},
    {ids::ts::kBack, 0, 24, 0, 4},
    {ids::kOk, 0, 24, 0, 4},
    {ids::kCancel, 0, 24, 0, 4},
    {kGrip, 3, 27, 0, 0},
    {ids::ts::kFrame, 8, 45, 19, 5},
    {ids::ts::kText, 0, 3, -3, 5},
    {ids::ts::kTitle, -5, 0, 0, 2},
    {ids::ts::kInstruction, 82, -16, 0, 2},
    {ids::ts::kAgree, 0, 2, 0, 0},
}};
// The dialog line also lifts the page 46 pixels.
constexpr std::array<Move, 5> kLicence62{{
    {kDialog, 0, -46, 0, 6},
    {ids::kOk, 0, 1, 0, 3},
    {ids::kCancel, 0, 1, 0, 3},
    {kGrip, 0, 6, 0, 0},
    {ids::ts::kAgree, 0, 2, 0, 0},
}};
constexpr std::array<Move, 5> kLicence51{{
    {kDialog, 0, -46, 0, 3},
    {ids::kOk, 0, 1, 0, 0},
    {ids::kCancel, 0, 1, 0, 0},
    {kGrip, 0, 3, 0, 0},
    {ids::ts::kAgree, 0, 1, 0, 0},
}};
constexpr std::array<Move, 5> kLicenceOther{{
    {kDialog, 0, -46, 0, 3},
    {ids::kOk, 0, 2, 0, 0},
    {ids::kCancel, 0, 2, 0, 0},
    {kGrip, 0, 3, 0, 0},
    {ids::ts::kAgree, 0, 1, 0, 0},
}};

// The dialog line moves the window 1 pixel right and 13 up.
constexpr std::array<Move, 8> kExitCommon{{
    {kDialog, 1, -13, 0, 7},
    {kSeparator, 0, 1, 8, 0},
    {ids::kOk, 3, 2, -2, 5},
    {ids::kCancel, 4, 2, -2, 5},
    {ctl::kLine1, 1, 0, 0, 0},
    {ctl::kLine3, 3, 0, 0, 0},
    {kGrip, 3, 6, 0, 0},
    {ctl::kAnimation, 100, -22, 0, 0},
}};
constexpr std::array<Move, 4> kExit62{{
    {kDialog, 0, 0, 0, 10},
    {ids::kOk, 0, 4, 0, 3},
    {ids::kCancel, 0, 4, 0, 3},
    {kGrip, 0, 10, 0, 0},
}};
constexpr std::array<Move, 4> kExit51{{
    {kDialog, 0, 0, 0, 3},
    {ids::kOk, 0, 1, 0, 0},
    {ids::kCancel, 0, 1, 0, 0},
    {kGrip, 0, 3, 0, 0},
}};
constexpr std::array<Move, 4> kExitOther{{
    {kDialog, 0, 0, 0, 3},
    {ids::kOk, 0, 2, 0, 0},
    {ids::kCancel, 0, 2, 0, 0},
    {kGrip, 0, 3, 0, 0},
}};
}  // namespace

MoveTable mainCommon() { return table(kMainCommon, DialogMove::kMoveWindow); }
MoveTable mainForClass(LayoutClass layout) {
  switch (layout) {
    case LayoutClass::k62: return table(kMain62, DialogMove::kResizeOnly);
    case LayoutClass::k51: return table(kMain51, DialogMove::kResizeOnly);
    case LayoutClass::kOther: break;
  }
  return table(kMainOther, DialogMove::kResizeOnly);
}
MoveTable licenceCommon() { return table(kLicenceCommon, DialogMove::kMoveWindow); }
MoveTable licenceForClass(LayoutClass layout) {
  switch (layout) {
    case LayoutClass::k62: return table(kLicence62, DialogMove::kMoveWindow);
    case LayoutClass::k51: return table(kLicence51, DialogMove::kMoveWindow);
    case LayoutClass::kOther: break;
  }
  return table(kLicenceOther, DialogMove::kMoveWindow);
}
MoveTable exitCommon() { return table(kExitCommon, DialogMove::kMoveWindow); }
MoveTable exitForClass(LayoutClass layout) {
  switch (layout) {
    case LayoutClass::k62: return table(kExit62, DialogMove::kMoveWindow);
    case LayoutClass::k51: return table(kExit51, DialogMove::kMoveWindow);
    case LayoutClass::kOther: break;
  }
  return table(kExitOther, DialogMove::kMoveWindow);
}
}  // namespace layout

int mulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long product = static_cast<long long>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const long long magnitude = product < 0 ? -product : product;
  const long long divisor = c < 0 ? -static_cast<long long>(c) : c;
  const long long quotient = (magnitude + divisor / 2) / divisor;
  const long long result = negative ? -quotient : quotient;
  if (result > INT_MAX || result < INT_MIN) return -1;
  return static_cast<int>(result);
}

int fontHeight(const FontRequest& font, int logPixelsY) {
  return mulDiv(font.points, -logPixelsY, font.divisor);
}

int scaleToDpi(int pixels, int dpi) { return mulDiv(pixels, dpi, kDesignDpi); }

Move scaleMove(const Move& move, int logPixelsY) {
  const auto scale = [logPixelsY](int pixels) { return scaleToDpi(pixels, logPixelsY); };
  return Move{move.target, scale(move.dx), scale(move.dy), scale(move.dw), scale(move.dh)};
}

void applyMoves(DialogSurface& surface, const MoveTable& table) {
  const int dpi = surface.logPixelsY();
  for (const Move& move : table) surface.moveItem(scaleMove(move, dpi), table.dialogMove);
}

void applyLayout(DialogSurface& surface, const MoveTable& common, const MoveTable& forClass) {
  const int dpi = surface.logPixelsY();
  Move dialog{ids::kDialog, 0, 0, 0, 0};
  bool rows = false;
  DialogMove how = DialogMove::kMoveWindow;
  for (const MoveTable* table : {&common, &forClass}) {
    for (const Move& row : *table) {
      const Move move = scaleMove(row, dpi);
      if (move.target != ids::kDialog) {
        surface.moveItem(move, table->dialogMove);
        continue;
      }
      rows = true;
      how = table->dialogMove;
      if (table->dialogMove == DialogMove::kMoveWindow) {
        dialog.dx += move.dx;
        dialog.dy += move.dy;
      }
      dialog.dw += move.dw;
      dialog.dh += move.dh;
    }
  }
  if (!rows) return;
  // A resize alone cannot carry a move an earlier table made.
  if (how == DialogMove::kResizeOnly && (dialog.dx != 0 || dialog.dy != 0)) {
    surface.moveItem({ids::kDialog, dialog.dx, dialog.dy, 0, 0}, DialogMove::kMoveWindow);
    dialog.dx = dialog.dy = 0;
  }
  surface.moveItem(dialog, how);
}

bool probeYahei(DialogSurface& surface) {
  return surface.fileExists(fonts::kYaheiTtf) || surface.fileExists(fonts::kYaheiTtc);
}

namespace {
void makeFont(DialogSurface& surface, FontSlot slot, const FontRequest& font, int logPixelsY) {
  surface.createFont(slot, font, fontHeight(font, logPixelsY));
}
}  // namespace

bool applyMainWindowFonts(DialogSurface& surface) {
  const int dpi = surface.logPixelsY();
  makeFont(surface, FontSlot::kLine, fonts::kMainLine, dpi);
  surface.setFont(ids::kSeparator, FontSlot::kLine);
  makeFont(surface, FontSlot::kTitle, fonts::kMainTitle, dpi);
  surface.setFont(ctl::kTitle, FontSlot::kTitle);
  const bool yahei = probeYahei(surface);
  if (yahei) {
    makeFont(surface, FontSlot::kText, fonts::kMainTextYahei, dpi);
    surface.setText(ctl::kLine1, text::kYaheiLine1);
    surface.setText(ctl::kLine3, text::kYaheiLine3);
    surface.setFont(ctl::kNext, FontSlot::kText);
    surface.setFont(ctl::kCancelFinish, FontSlot::kText);
    surface.moveItem(scaleMove(Move{ctl::kLine3, 1, 0, 0, 0}, dpi), DialogMove::kMoveWindow);
  } else {
    makeFont(surface, FontSlot::kText, fonts::kMainTextArial, dpi);
  }
  for (int control : {ctl::kLine1, ctl::kLine2, ctl::kLine3, ctl::kStatus})
    surface.setFont(control, FontSlot::kText);
  return yahei;
}

bool applyLicenceFonts(DialogSurface& surface) {
  const bool yahei = probeYahei(surface);
  const int dpi = surface.logPixelsY();
  if (yahei) {
    makeFont(surface, FontSlot::kText, fonts::kLicenceTextYahei, dpi);
    for (int control : {ids::ts::kBack, ids::kOk, ids::ts::kAgree, ids::ts::kInstruction,
                        ids::ts::kText, ids::kCancel})
      surface.setFont(control, FontSlot::kText);
    makeFont(surface, FontSlot::kTitle, fonts::kLicenceTitleYahei, dpi);
    surface.setFont(ids::ts::kTitle, FontSlot::kTitle);
    surface.moveItem(scaleMove(Move{ids::kCancel, 1, 0, 0, 0}, dpi), DialogMove::kMoveWindow);
    surface.moveItem(scaleMove(Move{ids::ts::kInstruction, 0, -1, 0, 0}, dpi), DialogMove::kMoveWindow);
  } else {
    makeFont(surface, FontSlot::kTitle, fonts::kLicenceTitlePlain, dpi);
    surface.setFont(ids::ts::kTitle, FontSlot::kTitle);
  }
  return yahei;
}

bool applyExitFonts(DialogSurface& surface) {
  const bool yahei = probeYahei(surface);
  const int dpi = surface.logPixelsY();
  if (yahei) {
    makeFont(surface, FontSlot::kText, fonts::kExitTextYahei, dpi);
    for (int control : {ctl::kTitle, ids::kOk, ids::kCancel, ctl::kLine1, ctl::kLine2, ctl::kLine3})
      surface.setFont(control, FontSlot::kText);
  } else {
    makeFont(surface, FontSlot::kText, fonts::kExitTitlePlain, dpi);
    surface.setFont(ctl::kTitle, FontSlot::kText);
  }
  return yahei;
}

std::optional<Rgb> mainTextColour(int control) {
  switch (control) {
    case ctl::kLine1:
    case ctl::kTitle:
    case ctl::kLine2:
    case ctl::kLine3:
    case ctl::kStatus:
      return Rgb{65, 65, 65};
    default:
      return std::nullopt;
  }
}

std::optional<Rgb> licenceTextColour(int control) {
  if (control == ids::ts::kTitle) return Rgb{100, 102, 100};
  if (control == ids::ts::kInstruction || control == ids::ts::kAgree) return Rgb{55, 55, 55};
  return std::nullopt;
}

std::optional<Rgb> exitTextColour(int control) {
  switch (control) {
    case ctl::kTitle:
    case ctl::kLine1:
    case ctl::kLine2:
    case ctl::kLine3:
      return Rgb{55, 55, 55};
    default:
      return std::nullopt;
  }
}

}  // namespace velkor::wizard
