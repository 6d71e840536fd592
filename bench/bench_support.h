// What the bench programs share: a clock, a window with a real progress bar,
// the view that times the pumps and forwards the bar's messages to that
// window, files in blocks, the process's peak memory, another program started
// and watched until its first window is painted, and the result rows that
// scripts/bench gathers into one table.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "lib/pumping_view.h"
#include "platform/main_window.h"

namespace velkor::bench {

inline double now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? T{} : values[values.size() / 2];
}

// One row of the table: what, the figure, the ratio against its plain
// counterpart (or a dash), and the goal. Lines start with "| " so that
// scripts/bench can gather the rows of every program.
inline void row(const char* what, const std::string& figure, double ratio, const char* goal) {
  char r[32] = "-";
  if (ratio > 0) std::snprintf(r, sizeof r, "%.2f", ratio);
  std::printf("| %-58s | %26s | %6s | %-10s |\n", what, figure.c_str(), r, goal);
  std::fflush(stdout);
}

// A heading row for the figures that follow.
inline void section(const std::string& title) {
  std::printf("| %-58s | %26s | %6s | %-10s |\n", ("== " + title).c_str(), "", "", "");
  std::fflush(stdout);
}

inline std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}
inline std::string utf8(const std::u16string& text) {
  const auto* w = reinterpret_cast<const wchar_t*>(text.c_str());
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  if (!out.empty()) out.pop_back();
  return out;
}
inline std::string ms(double seconds) { return format("%.1f ms", seconds * 1000); }
inline std::string mib(std::uint64_t bytes) { return format("%.1f MiB", bytes / 1048576.0); }

// A visible top-level window with the main window's progress bar (control
// 1011 of dialog 102, 151 x 11 dialog units at Tahoma 9) and status line.
class ProgressWindow {
 public:
  ProgressWindow() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"VelkorBenchProgress";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 40,
                             400, 270, nullptr, nullptr, instance, nullptr);
    status = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 143, 137, 240, 14, window,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ctl::kStatus)), instance, nullptr);
    bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 143, 154, 227, 18,
                          window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ctl::kProgress)), instance,
                          nullptr);
    UpdateWindow(window);
    testlib::pumpThreadQueue();
  }
  ~ProgressWindow() { DestroyWindow(window); }
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  HWND window = nullptr;
  HWND status = nullptr;
  HWND bar = nullptr;
};

// The tests' pumping view, timing every pump; with a window it also sends
// the progress bar's messages to the real bar (which repaints at each step)
// and writes the status line, as the main window does.
class BenchView : public testlib::PumpingView {
 public:
  explicit BenchView(ProgressWindow* window = nullptr) : window_(window) {}

  void setText(int control, const std::u16string& text) override {
    PumpingView::setText(control, text);
    if (window_ != nullptr && control == ctl::kStatus)
      SetWindowTextW(window_->status, reinterpret_cast<const wchar_t*>(text.c_str()));
  }
  void setProgressRange(std::uint16_t lower, std::uint16_t upper) override {
    PumpingView::setProgressRange(lower, upper);
    send(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
  }
  void setProgressStep(int step) override {
    PumpingView::setProgressStep(step);
    send(PBM_SETSTEP, static_cast<WPARAM>(step), 0);
  }
  void setProgressPos(int pos) override {
    PumpingView::setProgressPos(pos);
    ++paints;
    const double t = now();
    send(PBM_SETPOS, static_cast<WPARAM>(pos), 0);
    inSteps += now() - t;
  }
  void stepProgress() override {
    PumpingView::stepProgress();
    const double t = now();
    send(PBM_STEPIT, 0, 0);
    inSteps += now() - t;
  }
  void pumpMessages() override {
    const double t = now();
    if (last_ > 0 && t - last_ > longestGap) {
      longestGap = t - last_;
      longestGapAfter = text(ctl::kStatus).value_or(u"");
    }
    PumpingView::pumpMessages();
    last_ = now();
    inPumps += last_ - t;
  }

  double longestGap = 0;  // from the end of one pump to the start of the next
  std::u16string longestGapAfter;  // the status line when that gap ended
  double inPumps = 0;     // seconds spent dispatching messages
  double inSteps = 0;     // seconds spent in PBM_STEPIT and PBM_SETPOS (the bar's repaints)
  std::size_t paints = 0; // PBM_SETPOS calls

 private:
  void send(UINT message, WPARAM w, LPARAM l) {
    if (window_ != nullptr) SendMessageW(window_->bar, message, w, l);
  }
  ProgressWindow* window_;
  double last_ = 0;
};

inline bool writeFile(const wchar_t* path, const std::uint8_t* data, std::size_t size) {
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = WriteFile(f, data, static_cast<DWORD>(size), &put, nullptr) && put == size;
  CloseHandle(f);
  return ok;
}

// The last `size` bytes of a file.
inline std::vector<std::uint8_t> readTail(const wchar_t* path, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  FILE* f = _wfopen(path, L"rb");
  if (f == nullptr) return {};
  _fseeki64(f, -static_cast<std::int64_t>(size), SEEK_END);
  bytes.resize(std::fread(bytes.data(), 1, size, f));
  std::fclose(f);
  return bytes;
}

inline std::wstring modulePath() {
  std::vector<wchar_t> buffer(32768);
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return std::wstring(buffer.data(), n);
}

// A Unix path from the build (ctest arguments) as Wine's drive Z: sees it.
inline std::wstring windowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  std::wstring out = L"Z:" + path;
  std::replace(out.begin(), out.end(), L'/', L'\\');
  return out;
}

// Peak working set as Windows reports it for a process.
inline std::uint64_t peakWorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

// ---- Another program, started and watched from here -------------------------

// A visible top-level window of the process that has the control `id` (0: any).
inline HWND windowOf(DWORD pid, int id) {
  struct Search {
    DWORD pid;
    int id;
    HWND found;
  } search{pid, id, nullptr};
  EnumWindows(
      [](HWND w, LPARAM l) WINAPI -> BOOL {
        auto* s = reinterpret_cast<Search*>(l);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != s->pid || !IsWindowVisible(w)) return TRUE;
        if (s->id != 0 && GetDlgItem(w, s->id) == nullptr) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Neither the window nor any visible child of it has anything left to paint
// (an empty update region: each has been through BeginPaint).
inline bool nothingToPaint(HWND w) {
  if (GetUpdateRect(w, nullptr, FALSE)) return false;
  bool clean = true;
  EnumChildWindows(
      w,
      [](HWND child, LPARAM l) WINAPI -> BOOL {
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
          *reinterpret_cast<bool*>(l) = false;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&clean));
  return clean;
}

// A control's text as the system keeps it. For another process's window this
// asks the window system, not the program (no WM_GETTEXT reaches it), so a
// poll does not interrupt a program that is busy installing.
inline std::wstring windowText(HWND dialog, int id) {
  wchar_t buffer[256] = {};
  GetWindowTextW(GetDlgItem(dialog, id), buffer, 256);
  return buffer;
}

template <typename F>
bool waitFor(double seconds, F&& done) {
  const double begin = now();
  while (now() - begin < seconds) {
    if (done()) return true;
    Sleep(1);
  }
  return false;
}

struct Started {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  double begin = 0;         // now() just before CreateProcessW
  double seconds = -1;      // CreateProcessW to painted
  int unpaintedPolls = 0;   // polls that saw the window visible but not yet painted
};

// Starts `program` in its own folder and waits until a visible top-level
// window of it exists and nothing in it is left to paint.
inline Started start(const std::wstring& program) {
  Started s;
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
  s.begin = now();
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                      &s.process))
    return s;
  while (now() - s.begin < 30) {
    if (HWND w = windowOf(s.process.dwProcessId, 0)) {
      if (nothingToPaint(w)) {
        s.seconds = now() - s.begin;
        s.window = w;
        return s;
      }
      ++s.unpaintedPolls;
    }
    Sleep(1);
  }
  return s;
}

// Ends a started program (at once: nothing of it is measured after this).
inline void end(Started& s) {
  if (s.process.hProcess == nullptr) return;
  TerminateProcess(s.process.hProcess, 0);
  WaitForSingleObject(s.process.hProcess, 10'000);
  CloseHandle(s.process.hThread);
  CloseHandle(s.process.hProcess);
  s.process = {};
}

// The Unix kernel's own high-water mark (VmHWM) of the running Wine process
// whose Unix command line holds `marker`, read through drive Z:, to check
// what Wine reports. (Z:\proc\self would be the wineserver's: the server
// opens files for its clients.) 0 when no such process is found.
inline std::uint64_t unixHighWaterMark(const std::string& marker) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(L"Z:\\proc\\*", &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  std::uint64_t found = 0;
  do {
    if (d.cFileName[0] < L'0' || d.cFileName[0] > L'9') continue;
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + d.cFileName;
    FILE* f = _wfopen((dir + L"\\cmdline").c_str(), L"rb");
    if (f == nullptr) continue;
    char buffer[4096];
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    std::string command(buffer, n);
    std::replace(command.begin(), command.end(), '\0', ' ');
    if (command.find(marker) == std::string::npos) continue;
    f = _wfopen((dir + L"\\status").c_str(), L"r");
    if (f == nullptr) continue;
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "VmHWM: %llu kB", &kib) == 1) break;
    std::fclose(f);
    found = kib * 1024;
    break;
  } while (FindNextFileW(h, &d));
  FindClose(h);
  return found;
}

}  // namespace velkor::bench
