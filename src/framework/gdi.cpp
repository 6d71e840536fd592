#include "framework/gdi.h"

#include "wizard/appearance.h"

namespace velkor::fw {

UniqueBitmap StretchedCopy(HBITMAP source, int cx, int cy) noexcept {
  BITMAP from{};
  if (source == nullptr || cx <= 0 || cy <= 0 || !::GetObjectW(source, sizeof from, &from)) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = cx;
  info.bmiHeader.biHeight = cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap copy(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc sourceDc(::CreateCompatibleDC(nullptr));
  UniqueMemoryDc copyDc(::CreateCompatibleDC(nullptr));
  if (!copy || !sourceDc || !copyDc) return {};
  bool drawn = false;
  {
    SelectGuard inSource(sourceDc.get(), source);
    SelectGuard inCopy(copyDc.get(), copy.get());
    ::SetStretchBltMode(copyDc.get(), HALFTONE);
    ::SetBrushOrgEx(copyDc.get(), 0, 0, nullptr);
    drawn = ::StretchBlt(copyDc.get(), 0, 0, cx, cy, sourceDc.get(), 0, 0, from.bmWidth, from.bmHeight, SRCCOPY) != 0;
  }
  if (!drawn) return {};
  return copy;
}

int DpiOf(HWND window) noexcept {
  ClientDC dc(window);
  const int dpi = dc.get() != nullptr ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : wizard::kDesignDpi;
}

UniqueBitmap ScaledForDpi(HBITMAP source, int dpi) noexcept {
  BITMAP size{};
  if (dpi == wizard::kDesignDpi || source == nullptr || !::GetObjectW(source, sizeof size, &size)) return {};
  return StretchedCopy(source, wizard::scaleToDpi(size.bmWidth, dpi), wizard::scaleToDpi(size.bmHeight, dpi));
}

}  // namespace velkor::fw
