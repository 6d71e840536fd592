// A recording MainWindow for Windows test and bench programs that also keeps
// the thread's real message queue moving, the way the wizard's copy loop
// does: peek without removing, then fetch and dispatch one message at a time;
// a quit message is posted again so that an outer loop still sees it.
#pragma once

#include <windows.h>

#include "fakes/fake_main_window.h"

namespace velkor::testlib {

inline void pumpThreadQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class PumpingView : public fakes::FakeMainWindow {
 public:
  void pumpMessages() override {
    FakeMainWindow::pumpMessages();
    pumpThreadQueue();
  }
};

}  // namespace velkor::testlib
