// The real wizard driven through its pages from the measuring process, as a
// user would and as fast as it answers: no pauses, each step waits for what
// the wizard shows before the next.
#pragma once

#include <windows.h>

#include <string>

#include "bench/bench_support.h"
#include "engine/failure_display.h"
#include "platform/main_window.h"
#include "wizard/control_ids.h"
#include "wizard/texts.h"

namespace velkor::bench {

inline std::wstring wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// From the painted welcome page: Next, then the agreement ticked, until the
// licence page's button 1 reads "安装 (&I)". Returns the licence page, or
// nullptr with `failure` set.
inline HWND openLicenceAndAgree(const Started& wizard, std::string& failure) {
  const DWORD pid = wizard.process.dwProcessId;
  PostMessageW(GetDlgItem(wizard.window, ctl::kNext), BM_CLICK, 0, 0);
  HWND licence = nullptr;
  if (!waitFor(20, [&] { return (licence = windowOf(pid, wizard::ids::ts::kAgree)) != nullptr; })) {
    failure = "the licence page did not open";
    return nullptr;
  }
  HWND agree = GetDlgItem(licence, wizard::ids::ts::kAgree);
  PostMessageW(agree, BM_CLICK, 0, 0);
  if (!waitFor(10, [&] {
        return SendMessageW(agree, BM_GETCHECK, 0, 0) == BST_CHECKED &&
               windowText(licence, wizard::ids::kOk) == wide(wizard::text::kInstallCaption);
      })) {
    failure = "the agreement box did not tick";
    return nullptr;
  }
  return licence;
}

// Clicks "安装 (&I)" on the licence page and waits for the end of the
// installation: true when the main window's button 1001 reads "完成"; false,
// with `failure` set, on the failure page or when it does not end.
inline bool installFromLicence(const Started& wizard, HWND licence, std::string& failure) {
  PostMessageW(GetDlgItem(licence, wizard::ids::kOk), BM_CLICK, 0, 0);
  std::wstring last;
  const bool ended = waitFor(240, [&] {
    HWND main = windowOf(wizard.process.dwProcessId, ctl::kProgress);
    if (main == nullptr) return false;
    last = windowText(main, ctl::kCancelFinish);
    return last == wide(wizard::text::kFinishCaption) || last == wide(text::kOkCaption);
  });
  if (ended && last == wide(wizard::text::kFinishCaption)) return true;
  failure = ended ? "the installation failed" : "the installation did not end";
  return false;
}

}  // namespace velkor::bench
