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
  if (!m_ownedIdleWork.empty()) {
    const void* const owner = m_ownedIdleWork.front().first;
    // A copy runs: the work may be removed or another added while it runs.
    const std::function<bool()> work = CallAtBoundary(
        L"idle work", [&] { return m_ownedIdleWork.front().second; }, [] { return std::function<bool()>(); });
    const bool more = work && CallAtBoundary(L"idle work", [&] { return work(); }, [] { return false; });
    if (!more) RemoveIdleWork(owner);
    return true;
  }
  if (!m_idleWork) return false;
  const bool more = CallAtBoundary(L"idle work", [&] { return m_idleWork(); }, [] { return false; });
  if (!more) m_idleWork = nullptr;
  return more;
}

void CWinApp::AddIdleWork(const void* owner, std::function<bool()> work) {
  RemoveIdleWork(owner);
  m_ownedIdleWork.emplace_back(owner, std::move(work));
}

void CWinApp::RemoveIdleWork(const void* owner) noexcept {
  for (auto it = m_ownedIdleWork.begin(); it != m_ownedIdleWork.end(); ++it) {
    if (it->first != owner) continue;
    m_ownedIdleWork.erase(it);
    return;
  }
}

bool CWinApp::HasIdleWork(const void* owner) const noexcept {
  for (const auto& entry : m_ownedIdleWork)
    if (entry.first == owner) return true;
  return false;
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
