#include <windows.h>

#include "platform/win32_finish_ports.h"
#include "framework/text.h"

namespace velkor {

LibraryHandle Win32Libraries::loadLibrary(const std::u16string& path) {
  return LibraryHandle{reinterpret_cast<std::uintptr_t>(LoadLibraryW(win32::wide(path)))};
}

bool Win32Libraries::findEntryPoint(LibraryHandle library, const char* name) {
  return GetProcAddress(reinterpret_cast<HMODULE>(library.value), name) != nullptr;
}

bool Win32Libraries::freeLibrary(LibraryHandle library) {
  return FreeLibrary(reinterpret_cast<HMODULE>(library.value)) != FALSE;
}

}  // namespace velkor
