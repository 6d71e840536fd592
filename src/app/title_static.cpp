#include "app/title_static.h"

namespace velkor {

LRESULT CTitleStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFONT) m_font = reinterpret_cast<HFONT>(wParam);
  if (message == WM_SETTEXT) {
    const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_BITMAP) {
      // A picture static reads a text as a bitmap name: become a one-line
      // text static first (a wrapped title would lose its second line to the
      // picture's height). The bitmap the control loaded for itself is ours to free.
      HBITMAP picture = SetBitmap(nullptr);
      if (picture != nullptr) ::DeleteObject(picture);
      ::SetWindowLongW(m_hWnd, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP | SS_NOPREFIX);
      if (m_font != nullptr) CStatic::WindowProc(WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
      Invalidate(true);
    }
  }
  return CStatic::WindowProc(message, wParam, lParam);
}

}  // namespace velkor
