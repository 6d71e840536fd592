// The plain counterpart of the wizard's start: a modal dialog of the main
// window's size with a text and two buttons, nothing else. It runs until its
// process is ended (or a button closes it).
#include <windows.h>

#include "bench/minimal_dialog_ids.h"

namespace {
INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM w, LPARAM) {
  if (message == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(w));
    return TRUE;
  }
  return message == WM_INITDIALOG;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MINIMAL), nullptr, dialogProc, 0));
}
