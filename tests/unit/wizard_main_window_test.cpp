// The main window's fake against the main-window contract: the fake the
// engine's, the flow's and the finish's tests drive must behave as the real
// dialog does (the same cases run under Wine on the Win32 adapter).
#include <gtest/gtest.h>

#include "fakes/fake_main_window.h"
#include "unit/main_window_contract.h"

namespace {

using velkor::MainWindow;
using velkor::fakes::FakeMainWindow;

// A thread's queue, as far as the contract looks at it: messages posted
// wait until the window's pump runs.
struct FakeEnv {
  FakeMainWindow window;
  int waiting = 0;
  int handled = 0;

  FakeEnv() {
    window.onPump = [this] {
      handled += waiting;
      waiting = 0;
    };
  }
  void run(const std::function<void(MainWindow&)>& body) {
    window.result.reset();
    body(window);
  }
  std::optional<int> result() const { return window.result; }

  std::u16string text(int control) const { return window.text(control).value_or(u""); }
  bool controlVisible(int control) const { return window.isVisible(control); }
  velkor::wizard::Rect rect(int control) { return window.rects[control]; }
  int position() const { return window.position(); }
  bool windowVisible() const { return window.shown; }
  bool closeItemEnabled() const { return window.closeItemEnabled; }
  bool animating(int control) const { return window.stopped.count(control) == 0; }
  void postProbe() { ++waiting; }
  int probesHandled() const { return handled; }
  void answerNextBox(int button) { window.messageBoxResult = button; }
  velkor::contract::Box lastBox() const {
    const auto boxes = window.eventsOf(FakeMainWindow::Kind::MessageBox);
    if (boxes.empty()) return {};
    // The fake's boxes are the main window's by construction.
    return {window.boxCaptions.back(), boxes.back().text, true};
  }
};

}  // namespace

namespace velkor::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, MainWindowContract, FakeEnv);
}
