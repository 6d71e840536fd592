#include "framework/wnd.h"

#include "framework/boundary.h"

namespace velkor::fw {
namespace {
// The window property that ties a window to its framework object.
constexpr wchar_t kObjectProperty[] = L"velkor.fw.object";
}  // namespace

CWnd::~CWnd() {
  if (oldProc_ != nullptr) UnsubclassWindow();
  else if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) DetachPermanent();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) noexcept {
  if (hwnd == nullptr) return nullptr;
  return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty));
}

void CWnd::AttachPermanent(HWND hwnd) noexcept {
  m_hWnd = hwnd;
  ::SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::DetachPermanent() noexcept {
  if (m_hWnd != nullptr) ::RemovePropW(m_hWnd, kObjectProperty);
  m_hWnd = nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) noexcept {
  if (hwnd == nullptr || oldProc_ != nullptr || FromHandlePermanent(hwnd) != nullptr) return false;
  if (!::SetPropW(hwnd, kObjectProperty, this)) return false;
  m_hWnd = hwnd;
  oldProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
  if (oldProc_ == nullptr) {
    ::RemovePropW(hwnd, kObjectProperty);
    m_hWnd = nullptr;
    return false;
  }
  return true;
}

bool CWnd::SubclassDlgItem(int id, HWND parent) noexcept {
  return SubclassWindow(::GetDlgItem(parent, id));
}

HWND CWnd::UnsubclassWindow() noexcept {
  HWND hwnd = m_hWnd;
  if (hwnd == nullptr || oldProc_ == nullptr) return nullptr;
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
  ::RemovePropW(hwnd, kObjectProperty);
  oldProc_ = nullptr;
  m_hWnd = nullptr;
  return hwnd;
}

bool CWnd::PreTranslateMessage(MSG*) { return false; }

std::wstring CWnd::GetWindowText() const {
  const int length = ::GetWindowTextLengthW(m_hWnd);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int copied = ::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

RECT CWnd::GetWindowRect() const noexcept {
  RECT rect{};
  ::GetWindowRect(m_hWnd, &rect);
  return rect;
}

void CWnd::CenterWindow() noexcept {
  HWND centreOn = ::GetWindow(m_hWnd, GW_OWNER);
  if (centreOn != nullptr && (!::IsWindowVisible(centreOn) || ::IsIconic(centreOn))) centreOn = nullptr;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(centreOn != nullptr ? centreOn : m_hWnd, MONITOR_DEFAULTTONEAREST),
                         &monitor))
    return;
  const RECT area = monitor.rcWork;
  RECT target = area;
  if (centreOn != nullptr) ::GetWindowRect(centreOn, &target);
  const RECT window = GetWindowRect();
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int x = (target.left + target.right) / 2 - width / 2;
  int y = (target.top + target.bottom) / 2 - height / 2;
  if (x + width > area.right) x = area.right - width;
  if (x < area.left) x = area.left;
  if (y + height > area.bottom) y = area.bottom - height;
  if (y < area.top) y = area.top;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT CWnd::GetClientRect() const noexcept {
  RECT rect{};
  ::GetClientRect(m_hWnd, &rect);
  return rect;
}

void CWnd::ScreenToClient(RECT* rect) const noexcept {
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (oldProc_ != nullptr) return ::CallWindowProcW(oldProc_, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
  CWnd* self = FromHandlePermanent(hwnd);
  if (self == nullptr || self->oldProc_ == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  const LRESULT result = CallAtBoundary(
      L"a control's window procedure", [&] { return self->WindowProc(message, wParam, lParam); },
      [&] { return self->Default(message, wParam, lParam); });
  // The window is gone after this message: hand it back and forget it.
  if (message == WM_NCDESTROY) self->UnsubclassWindow();
  return result;
}

}  // namespace velkor::fw
