#include "pages/dialog_surface.h"

#include "framework/app.h"
#include "framework/handles.h"
#include "wizard/control_ids.h"

namespace velkor {
namespace {

wizard::Rect toRect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace

void Win32DialogSurface::moveItem(const wizard::Move& move, wizard::DialogMove how) {
  if (move.target == wizard::ids::kDialog) {
    const wizard::Rect r = wizard::applyMove(toRect(dialog_.GetWindowRect()), move);
    if (how == wizard::DialogMove::kResizeOnly)
      dialog_.SetWindowPos(nullptr, 0, 0, r.width, r.height, SWP_NOMOVE | SWP_NOZORDER);
    else
      dialog_.MoveWindow(r.left, r.top, r.width, r.height, true);
    return;
  }
  MoveControl(dialog_, move);
}

void MoveControl(fw::CWnd& dialog, const wizard::Move& move) {
  fw::CWnd item(dialog.GetDlgItem(move.target));
  if (item.m_hWnd == nullptr) return;
  RECT before = item.GetWindowRect();
  dialog.ScreenToClient(&before);
  const wizard::Rect r = wizard::applyMove(toRect(before), move);
  item.MoveWindow(r.left, r.top, r.width, r.height, true);
}

bool Win32DialogSurface::fileExists(const std::u16string& path) {
  WIN32_FIND_DATAW data{};
  fw::UniqueFind find(::FindFirstFileW(wide(path), &data));
  if (!find) return false;
  while (::FindNextFileW(find.get(), &data)) {
  }
  return true;
}

int Win32DialogSurface::logPixelsY() { return fw::DpiOf(dialog_.m_hWnd); }

fw::CFont* Win32DialogSurface::fontOf(wizard::FontSlot slot) const {
  switch (slot) {
    case wizard::FontSlot::kText: return text_;
    case wizard::FontSlot::kTitle: return title_;
    case wizard::FontSlot::kLine: return line_;
  }
  return nullptr;
}

void Win32DialogSurface::createFont(wizard::FontSlot slot, const wizard::FontRequest& font, int height) {
  fw::CFont* target = fontOf(slot);
  if (target == nullptr) return;
  target->CreateFont(height, 0, 0, 0, font.weight, false, false, false, font.charSet,
                     wizard::kOutPrecision, wizard::kClipPrecision, wizard::kQuality,
                     wizard::kPitchAndFamily, wide(font.face));
}

void Win32DialogSurface::setFont(int control, wizard::FontSlot slot) {
  fw::CFont* font = fontOf(slot);
  if (font == nullptr || font->GetSafeHandle() == nullptr) return;
  fw::CWnd(dialog_.GetDlgItem(control)).SetFont(*font, true);
}

void Win32DialogSurface::setText(int control, const std::u16string& text) {
  ::SetDlgItemTextW(dialog_.m_hWnd, control, wide(text));
}

void PlaceOverMainWindow(fw::CDialog& page) {
  fw::CWinApp* app = fw::AfxGetApp();
  if (app == nullptr || app->m_pMainWnd == nullptr || app->m_pMainWnd == &page) return;
  const RECT main = app->m_pMainWnd->GetWindowRect();
  page.SetWindowPos(nullptr, main.left, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepOnWorkArea(fw::CDialog& page) {
  RECT area{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return;
  const wizard::Rect window = toRect(page.GetWindowRect());
  const wizard::Rect placed = wizard::keepInside(window, toRect(area));
  if (placed.left != window.left || placed.top != window.top)
    page.SetWindowPos(nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velkor
