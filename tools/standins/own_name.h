// A stand-in is one program or library packed as several payload members; it
// learns which one it is from its own file name.
#pragma once

#include <windows.h>

namespace velkor::standin {

// The file name (without folder) of `module`, e.g. L"VelkorCrypt.exe".
inline void ownFileName(HMODULE module, wchar_t* name, DWORD capacity) {
  wchar_t path[MAX_PATH] = L"";
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  const wchar_t* base = path;
  for (DWORD i = 0; i < n && i < MAX_PATH; ++i)
    if (path[i] == L'\\' || path[i] == L'/') base = path + i + 1;
  lstrcpynW(name, base, static_cast<int>(capacity));
}

}  // namespace velkor::standin
