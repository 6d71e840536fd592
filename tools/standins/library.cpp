// Stand-in for the product's libraries: loads, and exports one function that
// names the file it was loaded from.
#include <windows.h>

#include "own_name.h"

namespace {
wchar_t g_name[MAX_PATH];
}

extern "C" __declspec(dllexport) const wchar_t* VelkorStandinName() { return g_name; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) velkor::standin::ownFileName(instance, g_name, MAX_PATH);
  return TRUE;
}
