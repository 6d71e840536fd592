// Owning GDI objects with the names the dialogs use. Each owns at most one
// object and frees it in DeleteObject or its destructor; a handle obtained from
// one of them and given to a control is borrowed.
#pragma once

#include <windows.h>

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

class CBitmap {
 public:
  bool LoadBitmap(HINSTANCE instance, UINT id) noexcept {
    bitmap_.reset(::LoadBitmapW(instance, MAKEINTRESOURCEW(id)));
    return static_cast<bool>(bitmap_);
  }
  void Attach(HBITMAP bitmap) noexcept { bitmap_.reset(bitmap); }
  HBITMAP Detach() noexcept { return bitmap_.release(); }
  void DeleteObject() noexcept { bitmap_.reset(); }
  HBITMAP GetSafeHandle() const noexcept { return bitmap_.get(); }
  operator HBITMAP() const noexcept { return bitmap_.get(); }

 private:
  UniqueBitmap bitmap_;
};

}  // namespace velkor::fw
