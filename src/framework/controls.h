// Control wrappers: each method is one window message, nothing more.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "framework/wnd.h"

namespace velkor::fw {

class CStatic : public CWnd {
 public:
  using CWnd::CWnd;
  HBITMAP SetBitmap(HBITMAP bitmap) noexcept {
    return reinterpret_cast<HBITMAP>(
        SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
  HBITMAP GetBitmap() noexcept {
    return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP, 0));
  }
};

class CButton : public CWnd {
 public:
  using CWnd::CWnd;
  int GetCheck() noexcept { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int state) noexcept { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CProgressCtrl : public CWnd {
 public:
  using CWnd::CWnd;
  void SetRange(WORD lower, WORD upper) noexcept { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
  int SetStep(int step) noexcept { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
  int SetPos(int pos) noexcept { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
  int GetPos() noexcept { return static_cast<int>(SendMessage(PBM_GETPOS)); }
  int StepIt() noexcept { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class CRichEditCtrl : public CWnd {
 public:
  using CWnd::CWnd;
  DWORD GetLangOptions() noexcept { return static_cast<DWORD>(SendMessage(EM_GETLANGOPTIONS)); }
  void SetLangOptions(DWORD options) noexcept { SendMessage(EM_SETLANGOPTIONS, 0, static_cast<LPARAM>(options)); }
  // SCF_DEFAULT: the format that new text gets.
  DWORD GetDefaultCharFormat(CHARFORMATW& format) noexcept {
    format.cbSize = sizeof(format);
    return static_cast<DWORD>(SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
  }
  bool SetDefaultCharFormat(CHARFORMATW& format) noexcept {
    format.cbSize = sizeof(format);
    return SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)) != 0;
  }
};

}  // namespace velkor::fw
