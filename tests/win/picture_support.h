// What the picture control's Windows tests share: a visible host window with
// one static child that the control subclasses, memory blocks, a recorder of
// the trace lines, and reads of what the screen shows.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "controls/pictureex/picture_ex.h"
#include "engine/trace.h"
#include "win/picture_images.h"

namespace velkor::test {

// Generous bound for something the worker is expected to do within a few
// frames; reaching it means the behaviour is missing, not slow.
inline constexpr DWORD kEventuallyMs = 10000;

inline void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Pumps messages until the condition holds or the bound has passed.
inline bool Eventually(const std::function<bool()>& condition, DWORD boundMs = kEventuallyMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    Pump();
    if (condition()) return true;
    if (::GetTickCount() - start > boundMs) return false;
    ::Sleep(5);
  }
}

// A movable block holding the bytes, freed at scope end.
class Block {
 public:
  explicit Block(const Bytes& bytes) : h_(::GlobalAlloc(GMEM_MOVEABLE, bytes.size())) {
    void* p = ::GlobalLock(h_);
    std::memcpy(p, bytes.data(), bytes.size());
    ::GlobalUnlock(h_);
  }
  ~Block() { ::GlobalFree(h_); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  HGLOBAL get() const { return h_; }

 private:
  HGLOBAL h_;
};

inline BOOL LoadBytes(CPictureEx& picture, const Bytes& bytes) {
  Block block(bytes);
  return picture.Load(block.get(), static_cast<DWORD>(bytes.size()));
}

// Every trace line emitted while it lives.
class TraceRecorder {
 public:
  TraceRecorder() {
    previous_ = trace::setSink([this](std::u16string_view text) {
      std::lock_guard<std::mutex> guard(lock_);
      lines_.emplace_back(text);
    });
  }
  ~TraceRecorder() { trace::setSink(std::move(previous_)); }
  std::vector<std::u16string> Lines() {
    std::lock_guard<std::mutex> guard(lock_);
    return lines_;
  }

 private:
  trace::Sink previous_;
  std::mutex lock_;
  std::vector<std::u16string> lines_;
};

inline std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// A visible top-level window with a static child, as a dialog holds one.
class PictureHost {
 public:
  static constexpr int kControlX = 20;
  static constexpr int kControlY = 30;

  explicit PictureHost(int width = 420, int height = 320, int x = 60, int y = 60) {
    static const ATOM cls = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = ::DefWindowProcW;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
      wc.lpszClassName = L"VelkorPictureTestHost";
      return ::RegisterClassW(&wc);
    }();
    (void)cls;
    host_ = ::CreateWindowExW(0, L"VelkorPictureTestHost", L"picture test", WS_POPUP | WS_VISIBLE, x, y,
                              width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  }
  ~PictureHost() {
    if (host_ != nullptr) ::DestroyWindow(host_);
    Pump();
  }
  PictureHost(const PictureHost&) = delete;
  PictureHost& operator=(const PictureHost&) = delete;

  HWND hwnd() const { return host_; }

  // A static child at (x, y) bound to the control; false when it failed.
  bool Bind(CPictureEx& picture, int id = 1018, int x = kControlX, int y = kControlY) {
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, x, y, 8, 8, host_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
    return child != nullptr && picture.SubclassWindow(child);
  }

 private:
  HWND host_ = nullptr;
};

// The control's window rectangle in its parent's coordinates.
inline RECT RectInParent(HWND control) {
  RECT rc{};
  ::GetWindowRect(control, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// What the screen shows at a point of the control, after pending paints.
inline COLORREF Shown(HWND control, int x, int y) {
  Pump();
  ::UpdateWindow(control);
  HDC dc = ::GetDC(control);
  const COLORREF colour = ::GetPixel(dc, x, y);
  ::ReleaseDC(control, dc);
  return colour;
}

inline bool EventuallyShows(HWND control, int x, int y, COLORREF colour, DWORD boundMs = kEventuallyMs) {
  return Eventually([&] { return Shown(control, x, y) == colour; }, boundMs);
}

inline COLORREF Ref(std::uint8_t paletteIndex) { return PaletteColorRef(paletteIndex); }

inline int ThreadsOfThisProcess() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

// Frames that fill a w x h logical screen, one colour each.
inline Bytes SolidFrames(std::uint16_t w, std::uint16_t h, const std::vector<std::uint8_t>& colours,
                         std::uint16_t delay = 2) {
  GifWriter gif(w, h);
  gif.LoopForever();
  for (std::uint8_t colour : colours) {
    GifFrameShape f;
    f.width = w;
    f.height = h;
    f.colour = colour;
    f.delay = delay;
    gif.Frame(f);
  }
  return gif.Finish();
}

}  // namespace velkor::test
