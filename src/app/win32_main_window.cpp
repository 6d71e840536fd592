#include "app/win32_main_window.h"

#include <windows.h>
#include <mmsystem.h>

#include "controls/pictureex/picture_ex.h"
#include "framework/app.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/system_library.h"
#include "pages/dialog_surface.h"
#include "wizard/appearance.h"
#include "wizard/control_ids.h"

namespace velkor {

void Win32MainWindow::setText(int control, const std::u16string& text) {
  ::SetDlgItemTextW(p_.dialog.GetSafeHwnd(), control, wide(text));
}

void Win32MainWindow::show(int control, bool visible) {
  ::ShowWindow(p_.dialog.GetDlgItem(control), visible ? SW_SHOW : SW_HIDE);
}

void Win32MainWindow::moveControl(int control, int dx, int dy) {
  MoveControl(p_.dialog, wizard::scaleMove({control, dx, dy, 0, 0}, fw::DpiOf(p_.dialog.m_hWnd)));
}

void Win32MainWindow::setProgressRange(std::uint16_t lower, std::uint16_t upper) {
  p_.progress.SetRange(lower, upper);
}
void Win32MainWindow::setProgressStep(int step) { p_.progress.SetStep(step); }
void Win32MainWindow::setProgressPos(int pos) { p_.progress.SetPos(pos); }
void Win32MainWindow::stepProgress() { p_.progress.StepIt(); }

void Win32MainWindow::stopAnimation(int control) {
  if (control == ctl::kBanner) p_.banner.OnDestroy();
  else if (control == ctl::kAnimation) p_.animation.OnDestroy();
}

void Win32MainWindow::pumpMessages() { fw::PumpWaitingMessages(); }

int Win32MainWindow::messageBox(const std::u16string& text, const std::u16string& caption, unsigned style) {
  return ::MessageBoxW(p_.dialog.GetSafeHwnd(), wide(text), wide(caption), style);
}

void Win32MainWindow::updateWindow() { p_.dialog.UpdateWindow(); }

void Win32MainWindow::showWindow(bool visible) { p_.dialog.ShowWindow(visible ? SW_SHOW : SW_HIDE); }

void Win32MainWindow::playSound() {
  // winmm from the system directory, looked up once and kept for the
  // process: the sound plays on after the call returns.
  using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
  static const PlaySoundFn play = [] {
    HMODULE winmm = fw::LoadSystemLibrary(L"winmm.dll");
    return winmm != nullptr ? reinterpret_cast<PlaySoundFn>(
                                  reinterpret_cast<void*>(::GetProcAddress(winmm, "PlaySoundW")))
                            : nullptr;
  }();
  if (play != nullptr) play(L"IDR_INFO", fw::AfxGetResourceHandle(), SND_RESOURCE | SND_ASYNC);
}

void Win32MainWindow::enableCloseItem(bool enabled) {
  // The Close command by its identifier: it is the last item only where the
  // system adds nothing after it (Wine appends "About Wine"). Greying it also
  // disables the close box.
  ::EnableMenuItem(p_.dialog.GetSystemMenu(false), SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// The dialog's own OK handling, from outside: the same two steps.
void Win32MainWindow::endWithOk() {
  if (p_.dialog.UpdateData(true)) p_.dialog.EndDialog(IDOK);
}

void Win32MainWindow::endDialog(int result) { p_.dialog.EndDialog(result); }

void Win32MainWindow::sendCloseCommand() {
  ::SendMessageW(p_.dialog.GetSafeHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace velkor
