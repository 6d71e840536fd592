// Counts of what a Win32 process holds, for leak tests that must also work
// under Wine, where GetGuiResources and GetProcessHandleCount report 0: there
// the handle tables are probed instead.
#pragma once

#include <windows.h>

namespace velkor::test {

// Live GDI objects of this process. Where GetGuiResources reports nothing
// (Wine) the handle table is counted: GetObjectType accepts a table index
// alone there.
inline unsigned GdiObjects() {
  const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0) return reported;
  unsigned count = 0;
  for (UINT_PTR index = 1; index < 0x10000; ++index) {
    if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

// Live GDI objects of this process by kind (index: OBJ_PEN .. OBJ_COLORSPACE),
// by the same probe; for telling what a growing count consists of.
struct GdiKinds {
  unsigned count[16] = {};
};
inline GdiKinds GdiObjectsByKind() {
  GdiKinds kinds;
  for (UINT_PTR index = 1; index < 0x10000; ++index) {
    const DWORD type = ::GetObjectType(reinterpret_cast<HGDIOBJ>(index));
    if (type != 0 && type < 16) ++kinds.count[type];
  }
  return kinds;
}

// Open kernel handles of this process; where GetProcessHandleCount reports 0
// (Wine) the handle values are probed.
inline unsigned KernelHandles() {
  DWORD reported = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &reported) && reported != 0) return reported;
  unsigned count = 0;
  DWORD flags = 0;
  for (UINT_PTR value = 4; value < 0x4000; value += 4) {
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

// USER objects of this process: its windows (top-level and child), menus
// and icons or cursors. Windows are enumerated; menus and icons are probed in
// the user handle table, whose handles Wine accepts without their
// generation word (menus and icons are private to their process there).
struct UserObjects {
  unsigned windows = 0;
  unsigned menus = 0;
  unsigned icons = 0;
  unsigned total() const { return windows + menus + icons; }
};

namespace detail {
inline BOOL CALLBACK countChild(HWND, LPARAM counter) {
  ++*reinterpret_cast<unsigned*>(counter);
  return TRUE;
}
inline BOOL CALLBACK countTopLevel(HWND window, LPARAM counter) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != ::GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<unsigned*>(counter);
  ::EnumChildWindows(window, countChild, counter);
  return TRUE;
}
}  // namespace detail

inline UserObjects UserObjectsOfThisProcess() {
  UserObjects objects;
  ::EnumWindows(detail::countTopLevel, reinterpret_cast<LPARAM>(&objects.windows));
  // Message-only windows are not top-level windows for EnumWindows.
  for (HWND w = nullptr; (w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;)
    detail::countTopLevel(w, reinterpret_cast<LPARAM>(&objects.windows));
  using FrameInfoFn = HICON(WINAPI*)(HICON, DWORD, DWORD, DWORD*, DWORD*);
  const auto frameInfo = reinterpret_cast<FrameInfoFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
  // Wine's user handles: index * 2 + 0x20, up to 0xFFEF.
  for (UINT_PTR value = 0x20; value <= 0xFFEF; value += 2) {
    const auto handle = reinterpret_cast<HANDLE>(value);
    if (::IsMenu(static_cast<HMENU>(handle))) {
      ++objects.menus;
    } else if (frameInfo != nullptr && !::IsWindow(static_cast<HWND>(handle))) {
      DWORD rate = 0, steps = 0;
      if (frameInfo(static_cast<HICON>(handle), 0, 0, &rate, &steps) != nullptr) ++objects.icons;
    }
  }
  return objects;
}

}  // namespace velkor::test
