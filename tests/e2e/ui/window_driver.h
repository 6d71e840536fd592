// Drives a setup file in the same Wine prefix like a user: starts it, finds
// its windows by caption and control identifiers, reads texts, clicks, posts
// keys, waits with timeouts and takes screenshots.
#pragma once

#include <windows.h>

#include <string>

namespace velkor::e2e {

enum class Page { kMain, kLicence, kExit, kAbout };

// A Unix path as the prefix sees it (drive Z: is the root).
std::wstring windowsPath(const std::string& unixPath);
// An environment variable holding a Unix path, as a Windows path ("" if unset).
std::wstring pathFromEnvironment(const char* name);

// Puts a font file at C:\WINDOWS\Fonts\MSYH.TTF (or .TTC), so that the
// dialogs find the Yahei font.
bool installYahei(const wchar_t* fileName = L"MSYH.TTF");

class SetupRun {
 public:
  explicit SetupRun(std::wstring setupPath) : path_(std::move(setupPath)) {}
  ~SetupRun();
  SetupRun(const SetupRun&) = delete;
  SetupRun& operator=(const SetupRun&) = delete;

  // Starts the setup with its own folder as working directory.
  bool start();
  // The visible top-level window of that page, or null after the timeout.
  HWND waitFor(Page page, DWORD timeoutMs = 20000) const;
  // Whether that page is up right now.
  HWND find(Page page) const;
  // Waits until the process ends; its exit code, or nothing on timeout.
  bool waitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  bool running() const;
  DWORD processId() const { return pid_; }

 private:
  std::wstring path_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

std::wstring text(HWND dialog, int id);
// WM_GETTEXT of a window itself.
std::wstring windowText(HWND hwnd);
bool visible(HWND dialog, int id);
bool exists(HWND dialog, int id);
bool enabled(HWND dialog, int id);
// BM_CLICK, posted.
void click(HWND dialog, int id);
// WM_KEYDOWN and WM_KEYUP posted to the window: the program's own loop sees
// them (PreTranslateMessage).
void key(HWND target, UINT vk);
// A check box's state (BM_GETCHECK).
int checkState(HWND dialog, int id);
// A control's rectangle in the dialog's client coordinates.
RECT clientRectOf(HWND dialog, int id);
RECT windowRect(HWND hwnd);
// Waits until the control reads `want`.
bool waitText(HWND dialog, int id, const std::wstring& want, DWORD timeoutMs = 20000);
// Polls until the predicate holds.
template <class F>
bool waitUntil(F predicate, DWORD timeoutMs = 20000) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (predicate()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
}

// Captures the window from the screen into <VELKOR_SHOTS>/<version>-<name>.png;
// returns the file's path (empty when nothing was written).
std::wstring screenshot(HWND hwnd, const std::string& name);

}  // namespace velkor::e2e
