// Stand-in for the product's GUI programs: a visible window whose caption is the
// program's own file name, closed by WM_CLOSE (exit code 0). The client area
// shows the command line, so a start from the wizard or the shell is visible.
#include <windows.h>

#include "own_name.h"

namespace {

wchar_t g_name[MAX_PATH];

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT area;
      GetClientRect(window, &area);
      InflateRect(&area, -12, -12);
      wchar_t text[MAX_PATH + 1024];
      wsprintfW(text, L"%s (demo stand-in)\n\n%.1000s", g_name, GetCommandLineW());
      DrawTextW(dc, text, -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  velkor::standin::ownFileName(nullptr, g_name, MAX_PATH);
  WNDCLASSW wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"VelkorStandinWindow";
  if (!RegisterClassW(&wc)) return 1;
  HWND window = CreateWindowExW(0, wc.lpszClassName, g_name, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                480, 240, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  // A start minimised (as the wizard's finish may ask) still shows the window.
  ShowWindow(window, show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
