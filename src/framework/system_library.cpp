#include "framework/system_library.h"

#include <ole2.h>

namespace velkor::fw {

void RestrictLibrarySearch() noexcept {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  // Both are looked up: the oldest accepted systems have neither.
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  auto setDirectory = reinterpret_cast<SetDllDirectoryFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
  if (setDirectory != nullptr) setDirectory(L"");
}

std::wstring SystemDirectory() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return std::wstring();
  std::wstring directory(buffer, length);
  if (!directory.empty() && directory.back() == L'\\') directory.pop_back();
  return directory;
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept {
  try {
    const std::wstring directory = SystemDirectory();
    if (directory.empty()) return nullptr;
    return ::LoadLibraryW((directory + L"\\" + fileName).c_str());
  } catch (...) {
    return nullptr;
  }
}

bool AfxInitRichEdit() noexcept {
  static const bool loaded = LoadSystemLibrary(L"riched32.dll") != nullptr;
  return loaded;
}

bool AfxOleInit() noexcept {
  static const bool initialised = SUCCEEDED(::OleInitialize(nullptr));
  return initialised;
}

}  // namespace velkor::fw
