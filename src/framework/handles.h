// Owning wrappers for Win32 handles and COM references. Each release function
// gets its own type and the invalid value is part of the type: a kernel handle
// is invalid when null, a file or find handle when INVALID_HANDLE_VALUE. Borrowed handles stay
// raw (HWND, HFONT given to a control); only these types free anything.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace velkor::fw {

template <class Traits>
class UniqueAny {
 public:
  using pointer = typename Traits::pointer;

  UniqueAny() noexcept = default;
  explicit UniqueAny(pointer value) noexcept : value_(value) {}
  ~UniqueAny() { reset(); }

  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

  // Frees the held handle (if any) and takes the new one.
  void reset(pointer value = Traits::invalid()) noexcept {
    pointer old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }
  // Gives the handle up without freeing it.
  pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
  // For out-parameters: frees the held handle, then exposes the slot.
  pointer* put() noexcept {
    reset();
    return &value_;
  }

 private:
  pointer value_ = Traits::invalid();
};

// How a handle kind is freed, and its invalid value: null, or
// INVALID_HANDLE_VALUE for file and find handles.
template <class Pointer, auto Close, bool InvalidIsMinusOne = false>
struct Releaser {
  using pointer = Pointer;
  static pointer invalid() noexcept {
    if constexpr (InvalidIsMinusOne) return INVALID_HANDLE_VALUE;
    else return nullptr;
  }
  static void close(pointer h) noexcept { Close(h); }
};

using UniqueHandle = UniqueAny<Releaser<HANDLE, ::CloseHandle>>;
using UniqueFile = UniqueAny<Releaser<HANDLE, ::CloseHandle, true>>;
using UniqueFind = UniqueAny<Releaser<HANDLE, ::FindClose, true>>;
using UniqueFont = UniqueAny<Releaser<HFONT, ::DeleteObject>>;
using UniqueBrush = UniqueAny<Releaser<HBRUSH, ::DeleteObject>>;
using UniqueBitmap = UniqueAny<Releaser<HBITMAP, ::DeleteObject>>;
using UniqueMemoryDc = UniqueAny<Releaser<HDC, ::DeleteDC>>;
using UniqueGlobal = UniqueAny<Releaser<HGLOBAL, ::GlobalFree>>;

// One reference to a COM object, released at scope end. put() and
// put_void() serve as out-parameters of the calls that make one.
template <class Interface>
struct ComReleaser {
  using pointer = Interface*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { p->Release(); }
};

template <class Interface>
class ComPtr : public UniqueAny<ComReleaser<Interface>> {
 public:
  using UniqueAny<ComReleaser<Interface>>::UniqueAny;
  Interface* operator->() const noexcept { return this->get(); }
  void** put_void() noexcept { return reinterpret_cast<void**>(this->put()); }
};

// A DC borrowed from a window (GetDC / ReleaseDC).
class ClientDC {
 public:
  explicit ClientDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~ClientDC() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// The DC of one WM_PAINT (BeginPaint / EndPaint).
class PaintDC {
 public:
  explicit PaintDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
  ~PaintDC() { ::EndPaint(hwnd_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const noexcept { return dc_; }
  const PAINTSTRUCT& paint() const noexcept { return ps_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back at scope end.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace velkor::fw
