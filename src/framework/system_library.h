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

}  // namespace velkor::fw
