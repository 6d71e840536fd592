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

class CFont {
 public:
  // CreateFontW with the fields of a LOGFONT; returns whether a font was made.
  bool CreateFont(int height, int width, int escapement, int orientation, int weight,
                  bool italic, bool underline, bool strikeOut, BYTE charSet,
                  BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                  const wchar_t* face) noexcept {
    font_.reset(::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                              strikeOut, charSet, outPrecision, clipPrecision, quality,
                              pitchAndFamily, face));
    return static_cast<bool>(font_);
  }
  void DeleteObject() noexcept { font_.reset(); }
  HFONT GetSafeHandle() const noexcept { return font_.get(); }
  operator HFONT() const noexcept { return font_.get(); }

 private:
  UniqueFont font_;
};

class CBrush {
 public:
  bool CreateSolidBrush(COLORREF colour) noexcept {
    brush_.reset(::CreateSolidBrush(colour));
    return static_cast<bool>(brush_);
  }
  void DeleteObject() noexcept { brush_.reset(); }
  HBRUSH GetSafeHandle() const noexcept { return brush_.get(); }
  operator HBRUSH() const noexcept { return brush_.get(); }

 private:
  UniqueBrush brush_;
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

}  // namespace velkor::fw
