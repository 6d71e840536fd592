// The finish's log-off request on the real system, which a window of this
// program refuses so that the prefix survives it.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/session.h"
#include "platform/win32_finish_ports.h"

namespace velkor {
namespace {

bool g_queried = false;

LRESULT CALLBACK refusingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYENDSESSION) {
    g_queried = true;
    return FALSE;  // this session is not to end: the prefix keeps running
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(Logoff, TheRequestAsksEveryWindowToEndTheSessionForALogoff) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = refusingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelkorFinishRefuser";
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"refuser", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  Win32Session session;
  EXPECT_TRUE(session.exitWindows(kExitLogoff, kLogoffReason));
  // The query comes from another process a little later; wait for it, bounded.
  for (int i = 0; i < 200 && !g_queried; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (!g_queried) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  // Wine 8 sends the query without ENDSESSION_LOGOFF, whatever the flags;
  // that the request went out is what can be seen here.
  EXPECT_TRUE(g_queried);
  DestroyWindow(window);
}

}  // namespace
}  // namespace velkor
