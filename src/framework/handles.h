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

namespace traits {
struct KernelHandle {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};
struct FileHandle {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};
struct FindHandle {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::FindClose(h); }
};
template <class Gdi>
struct GdiObject {
  using pointer = Gdi;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteObject(h); }
};
struct MemoryDc {
  using pointer = HDC;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteDC(h); }
};
struct GlobalMemory {
  using pointer = HGLOBAL;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::GlobalFree(h); }
};
}  // namespace traits

using UniqueHandle = UniqueAny<traits::KernelHandle>;
using UniqueFile = UniqueAny<traits::FileHandle>;
using UniqueFind = UniqueAny<traits::FindHandle>;
using UniqueFont = UniqueAny<traits::GdiObject<HFONT>>;
using UniqueBrush = UniqueAny<traits::GdiObject<HBRUSH>>;
using UniqueBitmap = UniqueAny<traits::GdiObject<HBITMAP>>;
using UniqueMemoryDc = UniqueAny<traits::MemoryDc>;
using UniqueGlobal = UniqueAny<traits::GlobalMemory>;

// One reference to a COM object, released at scope end. put() and
// put_void() serve as out-parameters of the calls that make one.
template <class Interface>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(other.release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* get() const noexcept { return p_; }
  Interface* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  // Releases the held reference (if any) and takes over `p`'s.
  void reset(Interface* p = nullptr) noexcept {
    Interface* old = std::exchange(p_, p);
    if (old != nullptr) old->Release();
  }
  // Gives the reference up without releasing it.
  Interface* release() noexcept { return std::exchange(p_, nullptr); }
  Interface** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

 private:
  Interface* p_ = nullptr;
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
