// The application object and the framework's message dispatch. There is no
// message loop of the program's own: every loop is a dialog's modal loop or a
// pump that long work on the user-interface thread runs, and all of them pass
// each message through the same dispatch, so PreTranslateMessage sees it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/wnd.h"

namespace velkor::fw {

class CWinApp {
 public:
  CWinApp() noexcept;
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The program's start; its result decides nothing (the program ends after
  // it either way, as there is no loop of the application's own).
  virtual bool InitInstance();

  HICON LoadIcon(UINT id) const noexcept;

  HINSTANCE m_hInstance = nullptr;
  // The running executable's base name without its extension.
  std::wstring m_pszAppName;
  // The window that owns dialogs started without a parent.
  CWnd* m_pMainWnd = nullptr;

  // Called by wWinMain: fills the fields above, runs InitInstance.
  int Run(HINSTANCE instance) noexcept;

  // Work done a small piece at a time whenever a modal loop finds its queue
  // empty (the window painted, no input waiting); each call does one piece
  // and returns whether more remains. Cleared once it is done or throws.
  std::function<bool()> m_idleWork;
  // One piece of idle work, the owners' first (theirs are short pieces that
  // the screen waits for), then m_idleWork's; false when there is none (left)
  // to do.
  bool RunIdleWork() noexcept;

  // Idle work of other objects (a picture's frames still to decode), taken in
  // the same pieces and dropped the same way; one work per owner, which the
  // owner removes before it goes. Throws std::bad_alloc when it cannot be held.
  void AddIdleWork(const void* owner, std::function<bool()> work);
  void RemoveIdleWork(const void* owner) noexcept;
  bool HasIdleWork(const void* owner) const noexcept;

 private:
  std::vector<std::pair<const void*, std::function<bool()>>> m_ownedIdleWork;
};

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp() noexcept;

// Where the program's resources are: the application's module, or the
// executable's when no application object runs (as in a test program).
HINSTANCE AfxGetResourceHandle() noexcept;

// PreTranslateMessage of the framework objects of the message's window and of
// its parents up to the top-level window; true when one of them handled it.
bool PreTranslateThroughFramework(MSG* msg) noexcept;

// One message taken from the queue: PreTranslateMessage, else translate and
// dispatch.
void DispatchThroughFramework(MSG* msg) noexcept;

// Dispatches every message waiting in this thread's queue through the
// framework and returns. A WM_QUIT is put back for the outer loop; the result
// is then false.
bool PumpWaitingMessages() noexcept;

// The base name of a path without folder and extension ("C:\a\Setup.exe" ->
// "Setup").
std::wstring BaseNameWithoutExtension(const std::wstring& path);

}  // namespace velkor::fw
