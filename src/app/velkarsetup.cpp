#include "app/velkarsetup.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/velkarsetupdlg.h"
#include "platform/win32_trace.h"

namespace velkor {

void InitSystemLibraries() {
  // COM for this thread, kept: the pictures' decoder (OleLoadPicture) sets
  // it up and tears it down around every frame it decodes on a thread
  // without it, which doubles a frame's decoding time. OLE proper waits for
  // the licence page.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // By name, so that the manifest's activation context maps it to the
  // system's common controls 6.0; the search is already restricted to the
  // system directory.
  if (HMODULE common = ::LoadLibraryW(L"comctl32.dll")) {
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFn>(
        reinterpret_cast<void*>(::GetProcAddress(common, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    if (init != nullptr) init(&controls);
  }
}

bool CVelkarSetupApp::InitInstance() {
  win32::routeTraceToDebugger();
  InitSystemLibraries();

  // A second copy of the same setup ends silently.
  m_hInstanceMutex = ::CreateMutexW(nullptr, TRUE, m_pszAppName.c_str());
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;

  CVelkarSetupDlg dialog(m_state);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return false;
}

}  // namespace velkor
