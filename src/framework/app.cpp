#include "framework/app.h"

#include "framework/boundary.h"

namespace velkor::fw {
namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp() noexcept { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() noexcept { return g_app; }

HINSTANCE AfxGetResourceHandle() noexcept {
  if (g_app != nullptr && g_app->m_hInstance != nullptr) return g_app->m_hInstance;
  return ::GetModuleHandleW(nullptr);
}

bool CWinApp::InitInstance() { return false; }

bool CWinApp::RunIdleWork() noexcept {
  if (!m_idleWork) return false;
  const bool more = CallAtBoundary(L"idle work", [&] { return m_idleWork(); }, [] { return false; });
  if (!more) m_idleWork = nullptr;
  return more;
}

HICON CWinApp::LoadIcon(UINT id) const noexcept {
  return ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(id));
}

std::wstring BaseNameWithoutExtension(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

int CWinApp::Run(HINSTANCE instance) noexcept {
  CallAtBoundary(
      L"the application's start",
      [&] {
        m_hInstance = instance;
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
        m_pszAppName = BaseNameWithoutExtension(std::wstring(path, length < MAX_PATH ? length : MAX_PATH));
        InitInstance();
      },
      [] {});
  return 0;
}

bool PreTranslateThroughFramework(MSG* msg) noexcept {
  for (HWND hwnd = msg->hwnd; hwnd != nullptr;) {
    CWnd* object = CWnd::FromHandlePermanent(hwnd);
    if (object != nullptr &&
        CallAtBoundary(L"PreTranslateMessage", [&] { return object->PreTranslateMessage(msg); },
                       [] { return false; }))
      return true;
    // Stop at the top-level window: its owner is another dialog.
    if ((::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0) break;
    hwnd = ::GetParent(hwnd);
  }
  return false;
}

void DispatchThroughFramework(MSG* msg) noexcept {
  if (PreTranslateThroughFramework(msg)) return;
  ::TranslateMessage(msg);
  ::DispatchMessageW(msg);
}

bool PumpWaitingMessages() noexcept {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    DispatchThroughFramework(&msg);
  }
  return true;
}

}  // namespace velkor::fw
