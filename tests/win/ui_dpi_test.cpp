// The wizard's dialogs at the display's DPI, in this process: run at 96 dpi
// with the other window tests and again in a prefix of 144 dpi (ctest
// ui.dpi144). At every DPI each picture shows at its 96-dpi size scaled by
// DPI / 96, the licence frame surrounds the agreement, the welcome banner
// meets the separator as at 96 dpi, and every control lies inside its dialog.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/about.h"
#include "app/velkarsetupdlg.h"
#include "framework/app.h"
#include "pages/exit.h"
#include "pages/ts.h"
#include "platform/win32_system.h"
#include "resources/resource_ids.h"
#include "wizard/dialog_template.h"

namespace velkor {
namespace {

int screenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

SIZE scaled(SIZE at96) { return {wizard::scaleToDpi(at96.cx, screenDpi()), wizard::scaleToDpi(at96.cy, screenDpi())}; }

// The size of a bitmap resource as drawn, i.e. on a 96-dpi display.
SIZE resourceBitmapSize(UINT id) {
  HBITMAP bitmap = LoadBitmapW(fw::AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
  BITMAP bm{};
  GetObjectW(bitmap, sizeof bm, &bm);
  DeleteObject(bitmap);
  return {bm.bmWidth, bm.bmHeight};
}

SIZE shownBitmapSize(HWND dialog, int control) {
  auto bitmap = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(dialog, control, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP bm{};
  if (bitmap == nullptr || !GetObjectW(bitmap, sizeof bm, &bm)) return {0, 0};
  return {bm.bmWidth, bm.bmHeight};
}

RECT placeOf(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
RECT placeOf(HWND dialog, int control) { return placeOf(dialog, GetDlgItem(dialog, control)); }

void expectSize(SIZE actual, SIZE expected, const char* what) {
  EXPECT_EQ(actual.cx, expected.cx) << what << " at " << screenDpi() << " dpi";
  EXPECT_EQ(actual.cy, expected.cy) << what << " at " << screenDpi() << " dpi";
}

void expectControlsInside(HWND dialog, const char* which) {
  RECT client{};
  GetClientRect(dialog, &client);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT r = placeOf(dialog, child);
    // The layout tables run the separator past the right edge and hang the
    // grip over the corner at 96 dpi already: those two must only start
    // inside, their ends are clipped.
    const int id = GetDlgCtrlID(child);
    const bool clipped = id == IDC_SEPARATOR || id == IDC_GRIP;
    const bool endsInside = clipped ? r.right > r.left && r.left < client.right && r.top < client.bottom
                                    : r.right <= client.right && r.bottom <= client.bottom;
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && endsInside)
        << which << " control " << GetDlgCtrlID(child) << " at " << r.left << "," << r.top << "-" << r.right
        << "," << r.bottom << " outside the client area " << client.right << "x" << client.bottom << " at "
        << screenDpi() << " dpi";
  }
}

// Runs a dialog class; `check` runs once it is up (from a posted message,
// inside its modal loop) and ends it.
template <class Dialog>
class Checked : public Dialog {
 public:
  template <class... Args>
  explicit Checked(std::function<void(HWND)> check, Args&&... args)
      : Dialog(std::forward<Args>(args)...), check_(std::move(check)) {}

 protected:
  bool OnInitDialog() override {
    Dialog::OnInitDialog();
    this->PostMessage(WM_APP);
    return true;
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    if (message != WM_APP) return false;
    check_(this->m_hWnd);
    this->EndDialog(IDOK);
    *result = 0;
    return true;
  }

 private:
  std::function<void(HWND)> check_;
};

struct Dpi : ::testing::Test {
  WizardState state;
  Win32System info;
};

TEST_F(Dpi, TheMainWindowsPicturesTakeTheirScaledPlaces) {
  CVelkarSetupDlg::Overrides overrides;
  overrides.info = &info;
  bool ran = false;
  Checked<CVelkarSetupDlg> window(
      [&](HWND w) {
        ran = true;
        expectSize(shownBitmapSize(w, IDC_TITLE), scaled(resourceBitmapSize(IDB_TITLE)), "the title picture");
        expectSize(shownBitmapSize(w, IDC_GRIP), scaled(resourceBitmapSize(IDB_GRIP)), "the grip");
        const RECT banner = placeOf(w, IDC_BANNER);
        const RECT separator = placeOf(w, IDC_SEPARATOR);
        // The banner fills its column down to the separator, as at 96 dpi,
        // within a pixel of rounding.
        EXPECT_NEAR(banner.bottom, separator.top, 1) << "banner against separator at " << screenDpi() << " dpi";
        expectControlsInside(w, "main window");
      },
      state, overrides);
  window.DoModal();
  EXPECT_TRUE(ran);
}

TEST_F(Dpi, TheLicenceFrameSurroundsTheAgreement) {
  bool ran = false;
  Checked<CTs> page(
      [&](HWND w) {
        ran = true;
        expectSize(shownBitmapSize(w, IDC_TS_FRAME), scaled(resourceBitmapSize(IDB_FRAME)), "the frame");
        expectSize(shownBitmapSize(w, IDC_TS_TITLE), scaled(resourceBitmapSize(IDB_LICENCE_TITLE)),
                   "the licence title");
        const RECT frame = placeOf(w, IDC_TS_FRAME);
        const RECT text = placeOf(w, IDC_TS_TEXT);
        EXPECT_TRUE(frame.left <= text.left && frame.top <= text.top && frame.right >= text.right &&
                    frame.bottom >= text.bottom)
            << "frame " << frame.left << "," << frame.top << "-" << frame.right << "," << frame.bottom
            << " agreement " << text.left << "," << text.top << "-" << text.right << "," << text.bottom << " at "
            << screenDpi() << " dpi";
        expectControlsInside(w, "licence page");
      },
      info);
  page.DoModal();
  EXPECT_TRUE(ran);
}

TEST_F(Dpi, TheExitConfirmationAndTheAboutBoxKeepTheirControlsInside) {
  int ran = 0;
  Checked<CExit> exit(
      [&](HWND w) {
        ++ran;
        expectSize(shownBitmapSize(w, IDC_TITLE), scaled(resourceBitmapSize(IDB_TITLE)), "the exit title");
        expectControlsInside(w, "exit confirmation");
      },
      info);
  exit.DoModal();
  Checked<CAboutDlg> about([&](HWND w) {
    ++ran;
    HICON icon = nullptr;
    ICONINFO parts{};
    BITMAP bm{};
    for (HWND child = GetWindow(w, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    }
    ASSERT_TRUE(icon != nullptr && GetIconInfo(icon, &parts));
    GetObjectW(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof bm, &bm);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    EXPECT_EQ(bm.bmWidth, wizard::scaleToDpi(32, screenDpi())) << "the About icon";
    expectControlsInside(w, "About box");
  });
  about.DoModal();
  EXPECT_EQ(ran, 2);
}

}  // namespace
}  // namespace velkor
