// Driving a program's windows like a user, from another process or another
// thread: start it (or watch one started elsewhere), find its windows by
// caption and control identifiers, read and click controls, post keys, wait
// with deadlines, take PNG screenshots and write a readable log. Every step
// that does not get what it expects throws StepFailure, whose text names the
// scenario, the step, what was expected and what was seen. Used by the e2e
// scenarios, the leak test and the start bench.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velkor::testlib {

class StepFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string utf8(const std::wstring& text);
std::wstring widen(const std::string& utf8Text);
// A Unix path as a path of Wine's Z: drive; a Windows path stays as it is.
std::wstring windowsPath(const std::string& path);

// Which of a program's top-level windows is meant: its caption, and control
// identifiers it must have and must not have (several dialogs of one program
// may share a caption).
struct WindowQuery {
  std::wstring caption;
  std::vector<int> withControls;
  std::vector<int> withoutControls;
  std::string name;  // for the log and failure messages
};

struct Timeouts {
  DWORD window = 20000;    // a window appearing or vanishing
  DWORD text = 20000;      // a control text changing
  DWORD install = 240000;  // a whole installation
  DWORD exit = 30000;      // the process ending
};

class Driver {
 public:
  Driver(std::string scenario, std::wstring shotsFolder);
  ~Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  const std::string& scenario() const { return scenario_; }
  Timeouts timeouts;

  // The step now running, for the log and for failure messages.
  void step(const std::string& name);
  void log(const std::string& line);
  [[noreturn]] void fail(const std::string& expected, const std::string& seen);
  // A check that is not a wait: fails the step when `ok` is false.
  void expect(bool ok, const std::string& expected, const std::string& seen);

  // Starts `program` in `workingDirectory` (its own folder when empty).
  void start(const std::wstring& program, const std::wstring& arguments = L"",
             const std::wstring& workingDirectory = L"");
  // Windows of a process started elsewhere (or of this one) are meant from now on.
  void watch(DWORD processId);
  bool running() const;
  DWORD processId() const { return process_.dwProcessId; }
  // Waits for the started process to end and returns its exit code.
  DWORD waitExit();

  // Windows of the started process.
  HWND findWindow(const WindowQuery& query) const;
  HWND waitWindow(const WindowQuery& query);
  // Windows of another process of the scenario (see OtherProgram).
  HWND findWindowOf(DWORD processId, const WindowQuery& query) const;
  HWND waitWindowOf(DWORD processId, const WindowQuery& query);
  void waitGone(HWND window, const std::string& what);

  HWND control(HWND dialog, int id) const;
  std::wstring text(HWND dialog, int id) const;
  std::wstring windowText(HWND window) const;
  bool visible(HWND dialog, int id) const;
  bool checked(HWND dialog, int id) const;

  void click(HWND dialog, int id);
  void setCheck(HWND dialog, int id, bool on);
  // WM_KEYDOWN and WM_KEYUP posted to the dialog's focused control (or the
  // dialog), so they pass through the program's own message loop.
  void key(HWND dialog, UINT virtualKey);
  void postClose(HWND window);

  void waitText(HWND dialog, int id, const std::wstring& expected, DWORD timeout = 0);
  void expectText(HWND dialog, int id, const std::wstring& expected);
  void expectVisible(HWND dialog, int id, bool expected);
  // Polls `condition` every 50 ms until it holds; on timeout fails with
  // `expected` and what `seen` says at that moment.
  void waitUntil(const std::string& expected, const std::function<bool()>& condition,
                 const std::function<std::string()>& seen, DWORD timeout);

  // A PNG of a window (or the screen when null) in the shots folder, named
  // "NN-<name>.png". Returns the file's path; empty when no folder was given.
  std::wstring screenshot(HWND window, const std::string& name);

 private:
  friend class OtherProgram;
  // CreateProcessW, or the shell's elevation for a program that asks for it.
  PROCESS_INFORMATION launch(const std::wstring& program, const std::wstring& arguments,
                             const std::wstring& workingDirectory);
  DWORD waitExitOf(HANDLE process);

  std::string scenario_;
  std::string step_ = "start";
  std::wstring shots_;
  FILE* logFile_ = nullptr;
  PROCESS_INFORMATION process_{};
  int shotNumber_ = 0;
};

// A further program run beside the one Driver::start started (a second
// instance, a renamed copy), logged and failing through the same driver.
class OtherProgram {
 public:
  // Starts `program` in its own folder.
  OtherProgram(Driver& d, const std::wstring& program);
  // Ends it when it still runs.
  ~OtherProgram();
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  bool running() const;
  HWND findWindow(const WindowQuery& query) const { return d_.findWindowOf(process_.dwProcessId, query); }
  HWND waitWindow(const WindowQuery& query) { return d_.waitWindowOf(process_.dwProcessId, query); }
  DWORD waitExit() { return d_.waitExitOf(process_.hProcess); }

 private:
  Driver& d_;
  PROCESS_INFORMATION process_{};
};

// Every top-level window (of any process) for which `keep` holds.
std::vector<HWND> topLevelWindows(const std::function<bool(HWND)>& keep);
// The processes of the prefix whose executable has this name.
std::vector<DWORD> processesNamed(const std::wstring& exeName);
// Every top-level window (of any process) with this caption.
std::vector<HWND> windowsWithCaption(const std::wstring& caption);
std::wstring describe(HWND window);

}  // namespace velkor::testlib
