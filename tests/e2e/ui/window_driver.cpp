#include "window_driver.h"

#include <cstdlib>
#include <vector>

#include "lib/wine_env.h"
#include "png_stored.h"

namespace velkor::e2e {
namespace {

constexpr wchar_t kWizardCaption[] = L"安装 - VelkorCrypt6.0";
constexpr wchar_t kAboutCaption[] = L"?? VelkarSetup";

struct Search {
  DWORD pid;
  Page page;
  HWND found;
};

std::wstring caption(HWND hwnd) {
  wchar_t buffer[256] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

bool isPage(HWND hwnd, Page page) {
  switch (page) {
    case Page::kAbout: return caption(hwnd) == kAboutCaption;
    case Page::kMain: return caption(hwnd) == kWizardCaption && GetDlgItem(hwnd, 1000) != nullptr;
    case Page::kLicence: return caption(hwnd) == kWizardCaption && GetDlgItem(hwnd, 1017) != nullptr;
    case Page::kExit:
      return caption(hwnd) == kWizardCaption && GetDlgItem(hwnd, 1013) != nullptr &&
             GetDlgItem(hwnd, 1000) == nullptr;
  }
  return false;
}

BOOL CALLBACK searchWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && IsWindowVisible(hwnd) && isPage(hwnd, search->page)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring windowsPath(const std::string& unixPath) {
  std::wstring out = L"Z:";
  const int n = MultiByteToWideChar(CP_UTF8, 0, unixPath.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, unixPath.c_str(), -1, wide.data(), n);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  return out + wide;
}

std::wstring pathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? windowsPath(value) : std::wstring();
}

bool installYahei(const wchar_t* fileName) {
  const std::wstring target = std::wstring(L"C:\\WINDOWS\\Fonts\\") + fileName;
  return CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc", target.c_str(), FALSE) != FALSE;
}

SetupRun::~SetupRun() {
  if (process_ != nullptr) {
    if (running()) TerminateProcess(process_, 1);
    CloseHandle(process_);
  }
}

bool SetupRun::start() {
  const size_t slash = path_.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? L"." : path_.substr(0, slash);
  std::wstring command = L"\"" + path_ + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

HWND SetupRun::find(Page page) const {
  Search search{pid_, page, nullptr};
  EnumWindows(&searchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND SetupRun::waitFor(Page page, DWORD timeoutMs) const {
  HWND found = nullptr;
  waitUntil([&] { return (found = find(page)) != nullptr; }, timeoutMs);
  return found;
}

bool SetupRun::running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool SetupRun::waitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  if (exitCode != nullptr) *exitCode = code;
  return true;
}

std::wstring text(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return L"<no control>";
  return windowText(item);
}

std::wstring windowText(HWND item) {
  wchar_t buffer[1024] = {};
  SendMessageTimeoutW(item, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer;
}

bool visible(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr && (GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool exists(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }

bool enabled(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr && IsWindowEnabled(item);
}

void click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void key(HWND target, UINT vk) {
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
  PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

int checkState(HWND dialog, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<int>(result);
}

RECT clientRectOf(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT windowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

bool waitText(HWND dialog, int id, const std::wstring& want, DWORD timeoutMs) {
  return waitUntil([&] { return text(dialog, id) == want; }, timeoutMs);
}

std::wstring screenshot(HWND hwnd, const std::string& name) {
  const std::wstring folder = pathFromEnvironment("VELKOR_SHOTS");
  if (folder.empty()) return {};
  CreateDirectoryW(folder.c_str(), nullptr);
  // Let the window finish painting (the picture controls draw on their own
  // threads).
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(400);
  const RECT r = windowRect(hwnd);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  std::vector<std::uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  const auto* px = static_cast<const std::uint8_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    rgb[i * 3] = px[i * 4 + 2];
    rgb[i * 3 + 1] = px[i * 4 + 1];
    rgb[i * 3 + 2] = px[i * 4];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const std::string version = velkor::testenv::currentWindowsVersion().name;
  std::wstring file = folder + L"\\" + std::wstring(version.begin(), version.end()) + L"-" +
                      std::wstring(name.begin(), name.end()) + L".png";
  return writePng(file, width, height, rgb) ? file : std::wstring();
}

}  // namespace velkor::e2e
