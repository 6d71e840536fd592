#include "pages/dpi_scaling.h"

#include "framework/gdi.h"
#include "framework/handles.h"
#include "framework/text.h"
#include "wizard/dialog_template.h"

namespace velkor {
namespace {

// The icon size of a 96-dpi display.
constexpr int kDesignIconSize = 32;

// The base units the dialog manager gives the template's font on a 96-dpi
// display: the font made at that display's height, measured.
std::optional<wizard::BaseUnits> DesignBaseUnits(const wizard::DialogTemplate& dialog) {
  if (dialog.pointSize == 0) return std::nullopt;
  fw::UniqueFont font(::CreateFontW(wizard::designFontHeight(dialog.pointSize), 0, 0, 0, dialog.weight,
                                    dialog.italic, false, false, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY,
                                    FF_DONTCARE, win32::wide(dialog.face)));
  fw::ClientDC dc(nullptr);
  if (!font || !dc.get()) return std::nullopt;
  fw::SelectGuard selected(dc.get(), font.get());
  TEXTMETRICW metrics{};
  SIZE letters{};
  const auto* alphabet = win32::wide(wizard::kBaseUnitLetters);
  if (!::GetTextMetricsW(dc.get(), &metrics) || !::GetTextExtentPoint32W(dc.get(), alphabet, 52, &letters))
    return std::nullopt;
  return wizard::BaseUnits{wizard::baseUnitWidth(letters.cx), metrics.tmHeight};
}

// The width of an icon's image; 0 when it cannot be read.
int IconSide(HICON icon) {
  ICONINFO parts{};
  if (!::GetIconInfo(icon, &parts)) return 0;
  fw::UniqueBitmap colour(parts.hbmColor), mask(parts.hbmMask);
  BITMAP size{};
  return ::GetObjectW(colour ? colour.get() : mask.get(), sizeof size, &size) ? size.bmWidth : 0;
}

// A static that shows text, or a button.
bool HoldsText(HWND control) {
  wchar_t kind[16] = {};
  if (::GetClassNameW(control, kind, 16) == 0) return false;
  if (::lstrcmpiW(kind, L"Button") == 0) return true;
  if (::lstrcmpiW(kind, L"Static") != 0) return false;
  switch (::GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
      return true;
    default:
      return false;
  }
}

}  // namespace

DpiScaling::~DpiScaling() { Release(); }

void DpiScaling::Apply(fw::CDialog& dialog) {
  const int dpi = fw::DpiOf(dialog.m_hWnd);
  if (dpi == wizard::kDesignDpi) return;
  const auto layout = dialog.ReadTemplate();
  if (!layout) return;
  const auto base = DesignBaseUnits(*layout);
  if (!base) return;
  std::vector<HWND> controls;
  for (HWND child = ::GetWindow(dialog.m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
    controls.push_back(child);
  if (controls.size() != layout->items.size()) return;

  const wizard::Rect client = wizard::designRect(layout->frame, *base, dpi);
  RECT frame{0, 0, client.width, client.height};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(dialog.m_hWnd, GWL_STYLE)), false,
                       static_cast<DWORD>(::GetWindowLongW(dialog.m_hWnd, GWL_EXSTYLE)));
  dialog.SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    wizard::Rect r = wizard::designRect(layout->items[i], *base, dpi);
    // A line of text is as tall as its font, and the font's height does not
    // scale exactly either: a text control keeps at least the height the
    // dialog manager gave it for its font at this DPI.
    if (HoldsText(controls[i])) {
      RECT given{};
      ::GetWindowRect(controls[i], &given);
      if (given.bottom - given.top > r.height) r.height = given.bottom - given.top;
    }
    ::SetWindowPos(controls[i], nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    ScalePicture(controls[i], dpi);
  }
}

void DpiScaling::ScalePicture(HWND control, int dpi) {
  const LONG style = ::GetWindowLongW(control, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_BITMAP) {
    auto shown = reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    fw::UniqueBitmap scaled = fw::ScaledForDpi(shown, dpi);
    if (!scaled) return;
    // The control sizes itself to the new bitmap. The one it loaded for
    // itself is ours to free; the framework frees what a picture static
    // still shows when the dialog goes.
    ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled.release()));
    ::DeleteObject(shown);
  } else if ((style & SS_TYPEMASK) == SS_ICON) {
    auto shown = reinterpret_cast<HICON>(::SendMessageW(control, STM_GETICON, 0, 0));
    const int side = wizard::scaleToDpi(kDesignIconSize, dpi);
    if (shown == nullptr || IconSide(shown) >= side) return;
    // Loaded again from the icon's resource, at the image nearest the size.
    auto scaled = static_cast<HICON>(::CopyImage(shown, IMAGE_ICON, side, side, LR_COPYFROMRESOURCE));
    if (scaled == nullptr) scaled = static_cast<HICON>(::CopyImage(shown, IMAGE_ICON, side, side, 0));
    if (scaled == nullptr) return;
    // The control's own icon is a shared one: the system frees it.
    ::SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(scaled), 0);
    icons_.push_back({control, scaled});
  }
}

void DpiScaling::Release() noexcept {
  for (const Given& given : icons_) {
    if (!::IsWindow(given.control)) continue;
    if (reinterpret_cast<HICON>(::SendMessageW(given.control, STM_GETICON, 0, 0)) != given.icon) continue;
    ::SendMessageW(given.control, STM_SETICON, 0, 0);
    ::DestroyIcon(given.icon);
  }
  icons_.clear();
}

}  // namespace velkor
