// Owning GDI objects with the names the dialogs use, and an off-screen DC
// with its bitmap. Each owns at most one object and frees it in DeleteObject
// (reset) or its destructor; a handle obtained from one of them and given to a
// control is borrowed.
#pragma once

#include <windows.h>

#include <optional>
#include <utility>

#include "framework/handles.h"

namespace velkor::fw {

// What every owning GDI object offers: the handle, lent out, and its early
// deletion.
template <class Handle>
class CGdiObject {
 public:
  void DeleteObject() noexcept { object_.reset(); }
  Handle GetSafeHandle() const noexcept { return object_.get(); }
  operator Handle() const noexcept { return object_.get(); }

 protected:
  bool Own(Handle handle) noexcept {
    object_.reset(handle);
    return static_cast<bool>(object_);
  }

 private:
  UniqueAny<Releaser<Handle, ::DeleteObject>> object_;
};

class CFont : public CGdiObject<HFONT> {
 public:
  // CreateFontW with the fields of a LOGFONT; returns whether a font was made.
  bool CreateFont(int height, int width, int escapement, int orientation, int weight,
                  bool italic, bool underline, bool strikeOut, BYTE charSet,
                  BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                  const wchar_t* face) noexcept {
    return Own(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                             charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
  }
};

class CBrush : public CGdiObject<HBRUSH> {
 public:
  bool CreateSolidBrush(COLORREF colour) noexcept { return Own(::CreateSolidBrush(colour)); }
};

// A memory DC with a bitmap of its own selected into it for its whole life.
// Freed in the order GDI wants: the DC's first bitmap put back, the DC
// deleted, then the bitmap.
class BitmapDC {
 public:
  // A DC and a cx x cy bitmap, both compatible with `like` (a memory DC's
  // own bitmap would be monochrome). False, holding nothing, when either
  // cannot be made.
  bool Create(HDC like, int cx, int cy) noexcept {
    reset();
    UniqueMemoryDc dc(::CreateCompatibleDC(like));
    if (!dc) return false;
    UniqueBitmap bitmap(::CreateCompatibleBitmap(like, cx, cy));
    if (!bitmap) return false;
    bitmap_ = std::move(bitmap);
    dc_ = std::move(dc);
    selected_.emplace(dc_.get(), bitmap_.get());
    return true;
  }
  void reset() noexcept {
    selected_.reset();
    dc_.reset();
    bitmap_.reset();
  }
  HDC get() const noexcept { return dc_.get(); }
  explicit operator bool() const noexcept { return static_cast<bool>(dc_); }

 private:
  // Destroyed in reverse order: the selection first, the bitmap last.
  UniqueBitmap bitmap_;
  UniqueMemoryDc dc_;
  std::optional<SelectGuard> selected_;
};

// A copy of `source` stretched to cx x cy with the halftone mode (each pixel
// the average of the pixels it covers), as a 24-bit DIB: no alpha, so a
// static control shows this very bitmap rather than a copy of its own. Null
// when it cannot be made.
UniqueBitmap StretchedCopy(HBITMAP source, int cx, int cy) noexcept;

// LOGPIXELSY of a client DC of the window (the display's DPI as the window
// is drawn at it); 96 when no DC can be had.
int DpiOf(HWND window) noexcept;

// A bitmap drawn for a 96-dpi display, as StretchedCopy makes it for `dpi`;
// null at 96 dpi or when it cannot be made (the caller keeps the source).
UniqueBitmap ScaledForDpi(HBITMAP source, int dpi) noexcept;

}  // namespace velkor::fw
