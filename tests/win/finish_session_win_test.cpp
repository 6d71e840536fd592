// The finish's endings on the real system: the three ways the wizard dialog
// ends, run on a framework dialog, and the log-off request, which a window of
// this program refuses so that the prefix survives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "framework/dialog.h"
#include "platform/session.h"
#include "platform/win32_finish_ports.h"

namespace velkor {
namespace {

constexpr UINT kRunEnding = WM_APP + 1;

// Runs `ending` on its own completion view once the dialog is up, then goes
// on with the handler, as the finish does after it asked for an end.
class EndingDialog : public fw::CDialog {
 public:
  explicit EndingDialog(std::function<void(CompletionView&)> ending)
      : CDialog(300), ending_(std::move(ending)), view_(*this) {}
  bool handlerFinished = false;
  bool okExchanged = false;

 protected:
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    ::PostMessageW(GetSafeHwnd(), kRunEnding, 0, 0);
    return true;
  }
  void DoDataExchange(fw::CDataExchange* pDX) override {
    if (pDX->m_bSaveAndValidate) okExchanged = true;
  }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message != kRunEnding) return CDialog::OnMessage(message, wParam, lParam, result);
    ending_(view_);
    handlerFinished = true;
    *result = 0;
    return true;
  }

 private:
  std::function<void(CompletionView&)> ending_;
  Win32CompletionView view_;
};

TEST(DialogEndings, EndWithOkExchangesDataAndEndsWithIdok) {
  EndingDialog dialog([](CompletionView& v) { v.endWithOk(); });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(dialog.okExchanged);
  EXPECT_TRUE(dialog.handlerFinished);
}

TEST(DialogEndings, EndDialogZeroEndsWithZero) {
  EndingDialog dialog([](CompletionView& v) { v.endDialog(0); });
  EXPECT_EQ(dialog.DoModal(), 0);
  EXPECT_FALSE(dialog.okExchanged);
}

TEST(DialogEndings, TheLaterOkWinsOverAFailedStartsEnd) {
  EndingDialog dialog([](CompletionView& v) {
    v.endDialog(0);
    v.endWithOk();
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(DialogEndings, TheCloseCommandGoesThroughTheDialogsCloseHandling) {
  EndingDialog dialog([](CompletionView& v) { v.sendCloseCommand(); });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL) << "SC_CLOSE -> WM_CLOSE -> OnClose -> OnCancel";
}

// ---- The log-off request ------------------------------------------------------

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
