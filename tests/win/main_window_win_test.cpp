// The main window's Win32 adapter against the main-window contract, on a real
// dialog made from the wizard's own template with its bar and its two playing
// pictures, and what only the real dialog shows: the data exchange of the OK
// end and the handler that goes on after an end.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "app/velkarsetup.h"
#include "app/win32_main_window.h"
#include "controls/pictureex/picture_ex.h"
#include "framework/app.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/text.h"
#include "resources/resource_ids.h"
#include "unit/main_window_contract.h"
#include "wizard/control_ids.h"

namespace velkor {
namespace {

constexpr UINT kRun = WM_APP + 1;
constexpr UINT kLeave = WM_APP + 2;
constexpr UINT kProbe = WM_APP + 3;
// What a dialog the body did not end is ended with.
constexpr int kNotEnded = 0x7E57;

// The wizard's dialog template with the controls the adapter works on bound
// as the wizard binds them, the pictures playing. The body runs from a
// posted message inside the modal loop; a dialog it did not end is ended by
// the next message.
class ContractDialog : public fw::CDialog {
 public:
  explicit ContractDialog(std::function<void(MainWindow&)> body)
      : CDialog(IDD_VELKARSETUP_DIALOG),
        body_(std::move(body)),
        window_({*this, progress, banner, animation}) {}

  fw::CProgressCtrl progress;
  CPictureEx banner;
  CPictureEx animation;
  int probes = 0;
  bool exchangedBack = false;
  bool handlerFinished = false;

 protected:
  void DoDataExchange(fw::CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    fw::DDX_Control(pDX, ctl::kProgress, progress);
    fw::DDX_Control(pDX, ctl::kBanner, banner);
    fw::DDX_Control(pDX, ctl::kAnimation, animation);
    if (pDX->m_bSaveAndValidate) exchangedBack = true;
  }
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    if (banner.Load(MAKEINTRESOURCEW(IDR_GIF_BANNER), L"GIF")) banner.Draw();
    if (animation.Load(MAKEINTRESOURCEW(IDR_GIF_ANIMATION), L"GIF")) animation.Draw();
    PostMessage(kRun);
    return true;
  }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    switch (message) {
      case kRun:
        // The pictures' workers set themselves running once scheduled.
        for (int i = 0; i < 500 && !(banner.IsRunning() && animation.IsRunning()); ++i) ::Sleep(10);
        body_(window_);
        handlerFinished = true;
        PostMessage(kLeave);
        break;
      case kLeave:
        EndDialog(kNotEnded);
        break;
      case kProbe:
        ++probes;
        break;
      default:
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
    *result = 0;
    return true;
  }

 private:
  std::function<void(MainWindow&)> body_;
  Win32MainWindow window_;
};

std::u16string textOf(HWND window) {
  wchar_t buffer[512] = {};
  const int n = ::GetWindowTextW(window, buffer, 512);
  return win32::utf16(buffer, static_cast<std::size_t>(n));
}

// The message box of this thread other than the dialog, if one is up.
struct FoundBox {
  HWND dialog;
  HWND box = nullptr;
};
BOOL CALLBACK findBox(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<FoundBox*>(param);
  wchar_t cls[16] = {};
  ::GetClassNameW(window, cls, 16);
  if (window == found->dialog || std::wstring(cls) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  found->box = window;
  return FALSE;
}
BOOL CALLBACK collectTexts(HWND child, LPARAM param) {
  wchar_t cls[16] = {};
  ::GetClassNameW(child, cls, 16);
  if (_wcsicmp(cls, L"Static") == 0) *reinterpret_cast<std::u16string*>(param) += textOf(child) + u"\n";
  return TRUE;
}

struct Win32Env {
  ContractDialog* dialog = nullptr;
  std::optional<int> ended;
  std::thread answering;
  contract::Box box;
  bool exchangedBack = false;
  bool handlerFinished = false;

  void run(const std::function<void(MainWindow&)>& body) {
    ContractDialog d([&](MainWindow& w) { body(w); });
    dialog = &d;
    const INT_PTR result = d.DoModal();
    dialog = nullptr;
    if (answering.joinable()) answering.join();
    ASSERT_NE(result, -1) << "the dialog could not be made";
    ended = result == kNotEnded ? std::nullopt : std::optional<int>(static_cast<int>(result));
    exchangedBack = d.exchangedBack;
    handlerFinished = d.handlerFinished;
  }
  std::optional<int> result() const { return ended; }

  HWND item(int control) const { return dialog->GetDlgItem(control); }
  std::u16string text(int control) const { return textOf(item(control)); }
  bool controlVisible(int control) const { return (::GetWindowLongW(item(control), GWL_STYLE) & WS_VISIBLE) != 0; }
  wizard::Rect rect(int control) const {
    RECT r{};
    ::GetWindowRect(item(control), &r);
    ::MapWindowPoints(nullptr, dialog->GetSafeHwnd(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
  int position() const { return static_cast<int>(::SendMessageW(item(ctl::kProgress), PBM_GETPOS, 0, 0)); }
  bool windowVisible() const { return dialog->IsWindowVisible(); }
  bool closeItemEnabled() const {
    const UINT state = ::GetMenuState(dialog->GetSystemMenu(false), SC_CLOSE, MF_BYCOMMAND);
    return (state & (MF_GRAYED | MF_DISABLED)) == 0;
  }
  bool animating(int control) const {
    if (control == ctl::kBanner) return dialog->banner.IsRunning() != FALSE;
    if (control == ctl::kAnimation) return dialog->animation.IsRunning() != FALSE;
    return false;
  }
  void postProbe() { dialog->PostMessage(kProbe); }
  int probesHandled() const { return dialog->probes; }

  // Another thread waits (5 s at most) for the box the window opens, notes
  // what it shows and presses the button.
  void answerNextBox(int button) {
    const HWND owner = dialog->GetSafeHwnd();
    const DWORD thread = ::GetCurrentThreadId();
    box = {};
    answering = std::thread([this, owner, thread, button] {
      for (int i = 0; i < 500; ++i) {
        FoundBox found{owner};
        ::EnumThreadWindows(thread, findBox, reinterpret_cast<LPARAM>(&found));
        if (found.box != nullptr) {
          box.caption = textOf(found.box);
          ::EnumChildWindows(found.box, collectTexts, reinterpret_cast<LPARAM>(&box.text));
          box.ownedByTheWindow = ::GetWindow(found.box, GW_OWNER) == owner;
          ::PostMessageW(found.box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(::GetDlgItem(found.box, button)));
          return;
        }
        ::Sleep(10);
      }
    });
  }
  contract::Box lastBox() {
    if (answering.joinable()) answering.join();
    return box;
  }
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, MainWindowContract, Win32Env);
}

namespace {

TEST(Win32MainWindowEnds, TheOkEndExchangesTheDataBackAndTheOthersDoNot) {
  Win32Env env;
  env.run([](MainWindow& w) { w.endWithOk(); });
  EXPECT_EQ(env.result(), contract::kIdOk);
  EXPECT_TRUE(env.exchangedBack);
  EXPECT_TRUE(env.handlerFinished) << "the end takes effect once the handler returns";
  env.run([](MainWindow& w) { w.endDialog(0); });
  EXPECT_EQ(env.result(), 0);
  EXPECT_FALSE(env.exchangedBack);
  EXPECT_TRUE(env.handlerFinished);
}

}  // namespace
}  // namespace velkor
