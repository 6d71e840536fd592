// The driver's own test dialog: a caption shared by two dialogs (told apart by
// their controls, as the wizard's are), a status line, a button that rewrites
// it, a check box mirrored by a second static, and a button that opens a second
// dialog a little later. Keys posted to it pass through its own message loop,
// which handles Enter and Esc before the dialog manager does.
#include <windows.h>

#include "testdlg_ids.h"

namespace {

HWND g_main = nullptr;
int g_exitCode = 0;
constexpr UINT_PTR kLaterTimer = 1;

INT_PTR CALLBACK secondProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    SetDlgItemTextW(g_main, TESTDLG_STATUS, L"第二个窗口已关闭");
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK mainProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case TESTDLG_CHANGE:
          SetDlgItemTextW(dialog, TESTDLG_STATUS, L"已改变");
          return TRUE;
        case TESTDLG_OPTION:
          SetDlgItemTextW(dialog, TESTDLG_OPTION_STATE,
                          IsDlgButtonChecked(dialog, TESTDLG_OPTION) == BST_CHECKED ? L"已选" : L"未选");
          return TRUE;
        case TESTDLG_LATER:
          SetTimer(dialog, kLaterTimer, 600, nullptr);
          return TRUE;
      }
      return FALSE;
    case WM_TIMER:
      KillTimer(dialog, kLaterTimer);
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(TESTDLG_SECOND), nullptr, secondProc, 0);
      return TRUE;
    case WM_CLOSE:
      g_exitCode = TESTDLG_EXIT_CLOSE;
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(g_exitCode);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  g_main = CreateDialogParamW(instance, MAKEINTRESOURCEW(TESTDLG_DIALOG), nullptr, mainProc, 0);
  if (g_main == nullptr) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // The program's own key rules, before the dialog manager sees the key.
    if (msg.message == WM_KEYDOWN && (msg.hwnd == g_main || IsChild(g_main, msg.hwnd))) {
      if (msg.wParam == VK_RETURN) {
        SetDlgItemTextW(g_main, TESTDLG_STATUS, L"回车");
        continue;
      }
      if (msg.wParam == VK_ESCAPE) {
        g_exitCode = TESTDLG_EXIT_ESCAPE;
        DestroyWindow(g_main);
        continue;
      }
    }
    if (!IsDialogMessageW(g_main, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
