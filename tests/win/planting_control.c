/* The naive control: what a program that takes no care gets from its folder.
   It imports plainly one function of each library the setup links to at load
   time and of a few others, and loads every library lying in its folder by
   bare name. It writes one line per library to the report named on its
   command line: the name, a tab and the path the module came from (empty
   when the name did not load). Like the planted library it needs no runtime,
   so a planted msvcrt.dll cannot keep it from starting. */
#include <windows.h>
#include <commctrl.h>
#include <dwmapi.h>
#include <mmsystem.h>
#include <shlobj.h>
#include <userenv.h>
#include <uxtheme.h>

__declspec(dllimport) int __cdecl _wcsicmp(const wchar_t*, const wchar_t*);

/* Referenced, never called: the loader must resolve them at start. */
const void* volatile plainImports[] = {
    (const void*)GetDesktopWindow, (const void*)GetStockObject,    (const void*)RegCloseKey,
    (const void*)SHGetSpecialFolderPathW, (const void*)CoTaskMemFree, (const void*)SysFreeString,
    (const void*)_wcsicmp,         (const void*)timeGetTime,       (const void*)GetFileVersionInfoSizeW,
    (const void*)IsThemeActive,    (const void*)InitCommonControls, (const void*)DwmIsCompositionEnabled,
    (const void*)GetUserProfileDirectoryW, (const void*)GradientFill,
};

static int length(const wchar_t* s) {
  int n = 0;
  while (s[n]) ++n;
  return n;
}

static void put(HANDLE report, const wchar_t* text) {
  DWORD written = 0;
  WriteFile(report, text, (DWORD)length(text) * sizeof(wchar_t), &written, NULL);
}

void WINAPI ControlMain(void) {
  /* The report's path is everything after the program name on the command line. */
  const wchar_t* args = GetCommandLineW();
  if (*args == L'"') {
    ++args;
    while (*args && *args != L'"') ++args;
    if (*args) ++args;
  } else {
    while (*args && *args != L' ') ++args;
  }
  while (*args == L' ') ++args;
  HANDLE report = CreateFileW(args, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (report == INVALID_HANDLE_VALUE) ExitProcess(2);

  wchar_t pattern[MAX_PATH + 8];
  const DWORD n = GetModuleFileNameW(NULL, pattern, MAX_PATH);
  DWORD slash = 0;
  for (DWORD i = 0; i < n; ++i)
    if (pattern[i] == L'\\') slash = i + 1;
  const wchar_t* mask = L"*.dll";
  for (int i = 0; i <= 5; ++i) pattern[slash + i] = mask[i];

  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern, &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      wchar_t path[MAX_PATH];
      path[0] = 0;
      HMODULE module = LoadLibraryW(found.cFileName);
      if (module) GetModuleFileNameW(module, path, MAX_PATH);
      put(report, found.cFileName);
      put(report, L"\t");
      put(report, path);
      put(report, L"\r\n");
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  CloseHandle(report);
  ExitProcess(plainImports[0] ? 0 : 3);
}
