// The window wrapper under every dialog and control object. It never owns the
// window: a dialog destroys its own window when its modal loop ends, and a
// control's window belongs to its dialog. A wrapper may subclass its window
// (install the framework's window procedure in front of the class's own) so
// that a control object gets its messages; the subclass is removed when the
// window is destroyed or the object goes away, whichever comes first.
#pragma once

#include <windows.h>

#include <string>

namespace velkor::fw {

class CWnd {
 public:
  CWnd() noexcept = default;
  // A borrowed wrapper of an existing window; nothing is subclassed.
  explicit CWnd(HWND hwnd) noexcept : m_hWnd(hwnd) {}
  virtual ~CWnd();

  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const noexcept { return m_hWnd; }
  operator HWND() const noexcept { return m_hWnd; }

  // The framework object that subclassed or runs this window, if any.
  static CWnd* FromHandlePermanent(HWND hwnd) noexcept;

  // Routes the window's messages through WindowProc. Fails when the window is
  // null or already belongs to another framework object.
  bool SubclassWindow(HWND hwnd) noexcept;
  bool SubclassDlgItem(int id, HWND parent) noexcept;
  // Gives the window back its own procedure; returns it.
  HWND UnsubclassWindow() noexcept;

  // Sees every message that the framework's loops take from the queue for
  // this window or one of its children before it is translated and dispatched.
  // Returns true when the message was handled and must not be dispatched.
  virtual bool PreTranslateMessage(MSG* msg);

  // Thin window operations, one system call each.
  HWND GetDlgItem(int id) const noexcept { return ::GetDlgItem(m_hWnd, id); }
  bool SetWindowText(const wchar_t* text) noexcept { return ::SetWindowTextW(m_hWnd, text) != FALSE; }
  std::wstring GetWindowText() const;
  bool ShowWindow(int command) noexcept { return ::ShowWindow(m_hWnd, command) != FALSE; }
  bool IsWindowVisible() const noexcept { return ::IsWindowVisible(m_hWnd) != FALSE; }
  bool IsIconic() const noexcept { return ::IsIconic(m_hWnd) != FALSE; }
  bool MoveWindow(int x, int y, int width, int height, bool repaint = true) noexcept {
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint) != FALSE;
  }
  bool SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) noexcept {
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags) != FALSE;
  }
  // Centres this top-level window on its owner, or on the work area when it
  // has no owner or the owner is hidden or minimised; then shifts it as
  // little as needed to lie on that work area (left and top edges win when
  // the window is larger). Size and z-order stay.
  void CenterWindow() noexcept;
  RECT GetWindowRect() const noexcept;
  RECT GetClientRect() const noexcept;
  void ScreenToClient(RECT* rect) const noexcept;
  void SetFont(HFONT font, bool redraw = true) noexcept {
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
  }
  HFONT GetFont() const noexcept {
    return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  }
  HICON SetIcon(HICON icon, bool big) noexcept {
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                                  reinterpret_cast<LPARAM>(icon)));
  }
  HMENU GetSystemMenu(bool revert) const noexcept { return ::GetSystemMenu(m_hWnd, revert); }
  bool UpdateWindow() noexcept { return ::UpdateWindow(m_hWnd) != FALSE; }
  bool Invalidate(bool erase = true) noexcept { return ::InvalidateRect(m_hWnd, nullptr, erase) != FALSE; }
  bool EnableWindow(bool enable) noexcept { return ::EnableWindow(m_hWnd, enable) != FALSE; }
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) noexcept {
    return ::PostMessageW(m_hWnd, message, wParam, lParam) != FALSE;
  }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) noexcept {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
  }

  HWND m_hWnd = nullptr;

 protected:
  // Messages of a subclassed window. The default hands them to the window's
  // own procedure.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  // Ties this object to the window (for FromHandlePermanent) without
  // subclassing; the dialog base uses it for its own window.
  void AttachPermanent(HWND hwnd) noexcept;
  void DetachPermanent() noexcept;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
  WNDPROC oldProc_ = nullptr;
};

}  // namespace velkor::fw
