// The wizard's DialogSurface on a framework dialog: each operation is one
// platform call (the moves read the rectangle first; the file probe drains
// and closes its search).
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/text.h"
#include "wizard/appearance.h"

namespace velkor {

class Win32DialogSurface : public wizard::DialogSurface {
 public:
  // The dialog's font members by slot; a slot the dialog lacks is null.
  Win32DialogSurface(fw::CDialog& dialog, fw::CFont* text, fw::CFont* title, fw::CFont* line)
      : dialog_(dialog), text_(text), title_(title), line_(line) {}

  void moveItem(const wizard::Move& move, wizard::DialogMove how) override;
  bool fileExists(const std::u16string& path) override;
  int logPixelsY() override;
  void createFont(wizard::FontSlot slot, const wizard::FontRequest& font, int height) override;
  void setFont(int control, wizard::FontSlot slot) override;
  void setText(int control, const std::u16string& text) override;

 private:
  fw::CFont* fontOf(wizard::FontSlot slot) const;

  fw::CDialog& dialog_;
  fw::CFont* text_;
  fw::CFont* title_;
  fw::CFont* line_;
};

// Where a page starts before its corrections: at the main window's top-left
// corner, so that it takes the place of the window it stands in for.
void PlaceOverMainWindow(fw::CDialog& page);
// After the corrections: the page is moved (not resized) as little as needed
// to lie on the screen's work area, so no part starts off the screen.
void KeepOnWorkArea(fw::CDialog& page);

// Moves and resizes a control of `dialog` by `move` (its target), in the
// dialog's client coordinates, repainting; nothing when there is no such control.
void MoveControl(fw::CWnd& dialog, const wizard::Move& move);

using win32::wide;

inline COLORREF colorOf(const wizard::Rgb& rgb) { return RGB(rgb.r, rgb.g, rgb.b); }

}  // namespace velkor
