// The wizard's banner (resource 206) and small animation (210) playing side by
// side in a window, as the main window and the exit confirmation hold them:
// the screen really changes while they play and stays put once they are
// stopped. Each look at the window is also written as a BMP under
// picture_shots\ in the working folder, for a person to look at.
#include <algorithm>
#include <vector>

#include "win/picture_support.h"

namespace {

using namespace velkor;
using namespace velkor::test;

constexpr int kBanner = 206;
constexpr int kAnimation = 210;

// The window's pixels as the screen shows them, 0x00RRGGBB top-down.
struct Capture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool SameIn(const Capture& other, const RECT& rc) const {
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x)
        if (At(x, y) != other.At(x, y)) return false;
    return true;
  }
  int DistinctColoursIn(const RECT& rc) const {
    std::vector<std::uint32_t> seen;
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x)
        if (std::find(seen.begin(), seen.end(), At(x, y)) == seen.end() && seen.size() < 64) seen.push_back(At(x, y));
    return static_cast<int>(seen.size());
  }
};

Capture CaptureWindow(HWND hwnd) {
  Pump();
  ::UpdateWindow(hwnd);
  RECT rc{};
  ::GetWindowRect(hwnd, &rc);
  Capture c;
  c.width = rc.right - rc.left;
  c.height = rc.bottom - rc.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = c.width;
  info.bmiHeader.biHeight = -c.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC source = ::GetWindowDC(hwnd);
  HDC memory = ::CreateCompatibleDC(source);
  HBITMAP dib = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, dib);
  ::BitBlt(memory, 0, 0, c.width, c.height, source, 0, 0, SRCCOPY);
  ::GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  c.pixels.assign(p, p + static_cast<std::size_t>(c.width) * c.height);
  for (std::uint32_t& px : c.pixels) px &= 0x00FFFFFF;
  ::SelectObject(memory, old);
  ::DeleteObject(dib);
  ::DeleteDC(memory);
  ::ReleaseDC(hwnd, source);
  return c;
}

void Save(const Capture& c, const wchar_t* name) {
  ::CreateDirectoryW(L"picture_shots", nullptr);
  const Bytes bmp = BmpFile(c.width, c.height, [&](int x, int y) { return c.At(x, y); });
  const std::wstring path = std::wstring(L"picture_shots\\") + name;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr);
  ::CloseHandle(file);
}

RECT AreaOf(HWND control) { return RectInParent(control); }

TEST(Screen, TheBannerAndTheSmallAnimationPlayAndStop) {
  PictureHost host(400, 280, 40, 40);
  CPictureEx banner, animation;
  ASSERT_TRUE(host.Bind(banner, 1013, 10, 10));
  ASSERT_TRUE(host.Bind(animation, 1018, 170, 10));
  // What the dialogs do in their initialisation.
  ASSERT_TRUE(banner.Load(MAKEINTRESOURCEW(kBanner), L"GIF"));
  banner.Draw();
  ASSERT_TRUE(animation.Load(MAKEINTRESOURCEW(kAnimation), L"GIF"));
  animation.Draw();
  ASSERT_TRUE(Eventually([&] { return animation.IsRunning() == TRUE; }));
  const RECT animationArea = AreaOf(animation.m_hWnd);
  const RECT bannerArea = AreaOf(banner.m_hWnd);
  EXPECT_EQ(animationArea.right - animationArea.left, animation.GetPictureSize().cx);
  EXPECT_EQ(bannerArea.bottom - bannerArea.top, banner.GetPictureSize().cy);

  const Capture first = CaptureWindow(host.hwnd());
  Save(first, L"playing-1.bmp");
  EXPECT_GT(first.DistinctColoursIn(bannerArea), 2) << "the banner shows a picture, not a fill";
  EXPECT_GT(first.DistinctColoursIn(animationArea), 2);
  Capture later;
  EXPECT_TRUE(Eventually([&] {
    later = CaptureWindow(host.hwnd());
    return !later.SameIn(first, animationArea);
  })) << "the small animation moves on screen";
  Save(later, L"playing-2.bmp");

  // The installation stops the small animation, the finish the banner.
  animation.OnDestroy();
  banner.OnDestroy();
  const Capture stopped = CaptureWindow(host.hwnd());
  ::Sleep(500);
  const Capture stillStopped = CaptureWindow(host.hwnd());
  Save(stillStopped, L"stopped.bmp");
  EXPECT_TRUE(stillStopped.SameIn(stopped, animationArea)) << "nothing draws after the stop";
  EXPECT_TRUE(stillStopped.SameIn(stopped, bannerArea));
}

}  // namespace
