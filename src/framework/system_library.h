// Libraries beyond the few that the system always takes from its own folder
// are loaded at run time by their full path in the system directory, never by
// a bare name that the setup's own folder could answer.
#pragma once

#include <windows.h>

#include <string>

namespace velkor::fw {

// The first thing at start: the library search leaves out the program's folder
// and the working directory (system directory only where the system offers
// that, else at least no current directory).
void RestrictLibrarySearch() noexcept;

// GetSystemDirectoryW, without a trailing backslash; empty on failure.
std::wstring SystemDirectory();

// LoadLibraryW of <system directory>\<fileName>. The module stays loaded for
// the rest of the process (window classes and asynchronous sounds live in it).
HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept;

// The rich-edit library (its "RICHEDIT" class), loaded on the first call from
// the system directory and kept; false when it cannot be loaded.
bool AfxInitRichEdit() noexcept;

// OLE for the calling thread, initialised on the first call and kept for the
// process; false when that failed.
bool AfxOleInit() noexcept;

// A function of <system directory>\<fileName>, looked up by name on first use;
// null when either is missing. For libraries that must not be linked at load
// time: a load-time import's own dependencies are resolved before the search
// is restricted, and Wine then searches the program's folder for them (shell32
// brings shlwapi, whose forwarders bring shcore).
template <typename Function>
Function SystemFunction(const wchar_t* fileName, const char* name) noexcept {
  HMODULE module = LoadSystemLibrary(fileName);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace velkor::fw
