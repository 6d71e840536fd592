#include "lib/window_driver.h"

#include <objidl.h>  // before gdiplus.h, which needs its types
#include <gdiplus.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>

namespace velkor::testlib {

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring widen(const std::string& utf8Text) {
  if (utf8Text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()), out.data(), n);
  return out;
}

std::wstring windowsPath(const std::string& path) {
  std::wstring wide = widen(path);
  if (wide.empty() || wide[0] != L'/') return wide;
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return L"Z:" + wide;
}

namespace {

// Not in every MinGW header set: the program's manifest asks for elevation.
constexpr DWORD kElevationRequired = 740;

std::string quoted(const std::wstring& text) { return "\"" + utf8(text) + "\""; }

std::string timestamp() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u.%03u", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  return buffer;
}

// A file name from a step name: letters, digits, '-' and '_' kept.
std::string fileStem(const std::string& name) {
  std::string out;
  for (char c : name) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    out.push_back(keep ? c : '_');
  }
  return out.empty() ? std::string("shot") : out;
}

// The system's own PNG encoder (GDI+ over the imaging component).
bool savePng(HBITMAP bitmap, const std::wstring& path) {
  static const bool started = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;  // kept for the process's life
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  static const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  if (!started) return false;
  Gdiplus::Bitmap image(bitmap, nullptr);
  return image.Save(path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

bool makeFolders(const std::wstring& folder) {
  for (std::size_t at = folder.find(L'\\', 3);; at = folder.find(L'\\', at + 1)) {
    const std::wstring part = folder.substr(0, at);
    if (!part.empty() && GetFileAttributesW(part.c_str()) == INVALID_FILE_ATTRIBUTES)
      CreateDirectoryW(part.c_str(), nullptr);
    if (at == std::wstring::npos) break;
  }
  return GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool matches(const Driver& d, HWND w, const WindowQuery& q) {
  if (!IsWindowVisible(w)) return false;
  if (d.windowText(w) != q.caption) return false;
  for (int id : q.withControls)
    if (GetDlgItem(w, id) == nullptr) return false;
  for (int id : q.withoutControls)
    if (GetDlgItem(w, id) != nullptr) return false;
  return true;
}

// Ends a process started here when it still runs, and closes its handles.
void endStarted(PROCESS_INFORMATION& p, Driver& d, const std::string& what) {
  if (p.hProcess == nullptr) return;
  if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) {
    d.log(what + " still runs at the end; ending it");
    TerminateProcess(p.hProcess, 1);
    WaitForSingleObject(p.hProcess, 5000);
  }
  CloseHandle(p.hProcess);
  if (p.hThread != nullptr) CloseHandle(p.hThread);
  p = PROCESS_INFORMATION{};
}

}  // namespace

std::vector<HWND> topLevelWindows(const std::function<bool(HWND)>& keep) {
  struct State {
    const std::function<bool(HWND)>* keep;
    std::vector<HWND> found;
  } state{&keep, {}};
  EnumWindows(
      [](HWND w, LPARAM p) WINAPI -> BOOL {
        auto* s = reinterpret_cast<State*>(p);
        if ((*s->keep)(w)) s->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&state));
  return state.found;
}

std::vector<HWND> windowsWithCaption(const std::wstring& caption) {
  return topLevelWindows([&](HWND w) {
    wchar_t text[512] = {};
    DWORD_PTR got = 0;
    return SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got) &&
           caption == text;
  });
}

std::vector<DWORD> processesNamed(const std::wstring& exeName) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, exeName.c_str()) == 0) found.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

std::wstring describe(HWND window) {
  if (window == nullptr) return L"(no window)";
  wchar_t cls[128] = {}, text[256] = {};
  GetClassNameW(window, cls, 128);
  GetWindowTextW(window, text, 256);
  std::wostringstream s;
  s << L"window " << reinterpret_cast<std::uintptr_t>(window) << L" class \"" << cls << L"\" text \"" << text << L"\""
    << (IsWindowVisible(window) ? L" visible" : L" hidden") << L" thread " << GetWindowThreadProcessId(window, nullptr);
  return s.str();
}

Driver::Driver(std::string scenario, std::wstring shotsFolder)
    : scenario_(std::move(scenario)), shots_(std::move(shotsFolder)) {
  if (!shots_.empty() && makeFolders(shots_)) {
    // An earlier run's pictures would be taken for this run's.
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((shots_ + L"\\*.png").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do DeleteFileW((shots_ + L"\\" + found.cFileName).c_str());
      while (FindNextFileW(find, &found));
      FindClose(find);
    }
    logFile_ = _wfopen((shots_ + L"\\driver.log").c_str(), L"w");
  }
  log("scenario " + scenario_);
}

Driver::~Driver() {
  endStarted(process_, *this, "the program");
  if (logFile_ != nullptr) std::fclose(logFile_);
}

void Driver::step(const std::string& name) {
  step_ = name;
  log("step: " + name);
}

void Driver::log(const std::string& line) {
  const std::string text = timestamp() + " " + line + "\n";
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
  if (logFile_ != nullptr) {
    std::fputs(text.c_str(), logFile_);
    std::fflush(logFile_);
  }
}

void Driver::fail(const std::string& expected, const std::string& seen) {
  throw StepFailure("scenario " + scenario_ + ", step \"" + step_ + "\": expected " + expected + ", seen " + seen);
}

void Driver::expect(bool ok, const std::string& expected, const std::string& seen) {
  if (!ok) fail(expected, seen);
  log("  ok: " + expected);
}

void Driver::start(const std::wstring& program, const std::wstring& arguments, const std::wstring& workingDirectory) {
  watch(0);
  process_ = launch(program, arguments, workingDirectory);
}

void Driver::watch(DWORD processId) {
  // An earlier program of this scenario must have ended.
  if (running()) fail("the earlier program to have ended before the next one", "it still runs");
  endStarted(process_, *this, "the earlier program");
  process_.dwProcessId = processId;
}

PROCESS_INFORMATION Driver::launch(const std::wstring& program, const std::wstring& arguments,
                                   const std::wstring& workingDirectory) {
  std::wstring folder = workingDirectory;
  if (folder.empty()) {
    const auto slash = program.find_last_of(L'\\');
    if (slash != std::wstring::npos) folder = program.substr(0, slash);
  }
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  log("start " + utf8(commandLine) + " in " + quoted(folder));
  PROCESS_INFORMATION started{};
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &si, &started))
    return started;
  const DWORD error = GetLastError();
  if (error != kElevationRequired)
    fail("the program to start", "CreateProcessW error " + std::to_string(error));
  // A program whose manifest asks for administrator rights goes through the shell.
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info) || info.hProcess == nullptr)
    fail("the program to start (elevated)", "ShellExecuteExW error " + std::to_string(GetLastError()));
  started.hProcess = info.hProcess;
  started.dwProcessId = GetProcessId(info.hProcess);
  return started;
}

bool Driver::running() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Driver::waitExit() { return waitExitOf(process_.hProcess); }

DWORD Driver::waitExitOf(HANDLE process) {
  if (process == nullptr) fail("a started program", "none");
  if (WaitForSingleObject(process, timeouts.exit) != WAIT_OBJECT_0) {
    screenshot(nullptr, "failure");
    fail("the program to end within " + std::to_string(timeouts.exit) + " ms", "it still runs");
  }
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  log("  the program ended with exit code " + std::to_string(code));
  return code;
}

HWND Driver::findWindow(const WindowQuery& query) const { return findWindowOf(process_.dwProcessId, query); }

HWND Driver::waitWindow(const WindowQuery& query) { return waitWindowOf(process_.dwProcessId, query); }

HWND Driver::findWindowOf(DWORD processId, const WindowQuery& query) const {
  const auto found = topLevelWindows([&](HWND w) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    return owner == processId && matches(*this, w, query);
  });
  return found.empty() ? nullptr : found.front();
}

HWND Driver::waitWindowOf(DWORD processId, const WindowQuery& query) {
  HWND found = nullptr;
  waitUntil(
      "the window " + query.name + " (" + quoted(query.caption) + ") to be shown",
      [&] { return (found = findWindowOf(processId, query)) != nullptr; },
      [&] {
        DWORD code = STILL_ACTIVE;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
        if (process != nullptr) {
          GetExitCodeProcess(process, &code);
          CloseHandle(process);
        }
        std::string seen = code == STILL_ACTIVE ? "" : "the program has ended; ";
        const auto others = windowsWithCaption(query.caption);
        seen += std::to_string(others.size()) + " window(s) with that caption";
        for (HWND w : others) seen += "; " + utf8(describe(w));
        return seen;
      },
      timeouts.window);
  log("  found " + query.name + ": " + utf8(describe(found)));
  return found;
}

void Driver::waitGone(HWND window, const std::string& what) {
  waitUntil(
      what + " to close", [&] { return !IsWindow(window) || !IsWindowVisible(window); },
      [&] { return utf8(describe(window)); }, timeouts.window);
}

HWND Driver::control(HWND dialog, int id) const {
  HWND c = GetDlgItem(dialog, id);
  if (c == nullptr)
    throw StepFailure("scenario " + scenario_ + ", step \"" + step_ + "\": expected control " + std::to_string(id) +
                      " in " + utf8(describe(dialog)) + ", seen none");
  return c;
}

std::wstring Driver::windowText(HWND window) const {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           5000, &got))
    return L"";
  text.resize(std::min<std::size_t>(got, length));
  return text;
}

std::wstring Driver::text(HWND dialog, int id) const { return windowText(control(dialog, id)); }

bool Driver::visible(HWND dialog, int id) const { return IsWindowVisible(control(dialog, id)) != FALSE; }

bool Driver::checked(HWND dialog, int id) const {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(control(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

void Driver::click(HWND dialog, int id) {
  HWND button = control(dialog, id);
  log("  click " + std::to_string(id) + " " + quoted(windowText(button)));
  // Posted: a click that opens a modal dialog does not return until it closes.
  if (!PostMessageW(button, BM_CLICK, 0, 0)) fail("BM_CLICK to be posted", "error " + std::to_string(GetLastError()));
}

void Driver::setCheck(HWND dialog, int id, bool on) {
  if (checked(dialog, id) == on) return;
  click(dialog, id);
  waitUntil(
      std::string("check box ") + std::to_string(id) + (on ? " ticked" : " cleared"),
      [&] { return checked(dialog, id) == on; }, [&] { return checked(dialog, id) ? "ticked" : "clear"; },
      timeouts.text);
}

void Driver::key(HWND dialog, UINT virtualKey) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus != nullptr &&
      (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus)))
    target = info.hwndFocus;
  const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  log("  key " + std::to_string(virtualKey) + " to " + utf8(describe(target)));
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  const LPARAM up = static_cast<LPARAM>(static_cast<DWORD>(down) | 0xC0000000u);  // previous state, released
  if (!PostMessageW(target, WM_KEYDOWN, virtualKey, down))
    fail("the key to be posted", "error " + std::to_string(GetLastError()));
  // The key press may already have closed the window (Esc, Enter).
  if (!PostMessageW(target, WM_KEYUP, virtualKey, up)) log("  (the key's release found the window gone)");
}

void Driver::postClose(HWND window) {
  log("  close request to " + utf8(describe(window)));
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void Driver::waitText(HWND dialog, int id, const std::wstring& expected, DWORD timeout) {
  waitUntil(
      "control " + std::to_string(id) + " to read " + quoted(expected), [&] { return text(dialog, id) == expected; },
      [&] { return quoted(text(dialog, id)); }, timeout ? timeout : timeouts.text);
  log("  control " + std::to_string(id) + " reads " + quoted(expected));
}

void Driver::expectText(HWND dialog, int id, const std::wstring& expected) {
  const std::wstring seen = text(dialog, id);
  expect(seen == expected, "control " + std::to_string(id) + " reading " + quoted(expected), quoted(seen));
}

void Driver::expectVisible(HWND dialog, int id, bool expected) {
  const bool seen = visible(dialog, id);
  expect(seen == expected, "control " + std::to_string(id) + (expected ? " visible" : " hidden"),
         seen ? "visible" : "hidden");
}

void Driver::waitUntil(const std::string& expected, const std::function<bool()>& condition,
                       const std::function<std::string()>& seen, DWORD timeout) {
  const ULONGLONG until = GetTickCount64() + timeout;
  for (;;) {
    if (condition()) return;
    if (GetTickCount64() >= until) {
      screenshot(nullptr, "failure");
      fail(expected + " within " + std::to_string(timeout) + " ms", seen());
    }
    Sleep(50);
  }
}

std::wstring Driver::screenshot(HWND window, const std::string& name) {
  if (shots_.empty()) return L"";
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window != nullptr) {
    // What is still to paint is painted first: a page just shown may not
    // have had its turn yet (its transparent texts paint last).
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    if (GetWindowRect(window, &r) && IntersectRect(&r, &r, &area)) area = r;
  }
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) {
    log("  no screenshot: empty area");
    return L"";
  }
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02d-", ++shotNumber_);
  const std::wstring path = shots_ + L"\\" + widen(prefix + fileStem(name)) + L".png";
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  bool written = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    written = savePng(bitmap, path);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  log("  screenshot " + utf8(path) + (written ? "" : " (not written)"));
  return written ? path : L"";
}

OtherProgram::OtherProgram(Driver& d, const std::wstring& program) : d_(d) {
  process_ = d_.launch(program, L"", L"");
}

OtherProgram::~OtherProgram() { endStarted(process_, d_, "the other program"); }

bool OtherProgram::running() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

}  // namespace velkor::testlib
