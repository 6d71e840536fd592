// Loading a library by its full path and releasing it again.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

// A loaded library; the zero value is "not loaded".
struct LibraryHandle {
  std::uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
};

class Libraries {
 public:
  virtual ~Libraries() = default;
  // LoadLibraryW(path).
  virtual LibraryHandle loadLibrary(const std::u16string& path) = 0;
  // GetProcAddress(library, name): whether the entry point exists.
  virtual bool findEntryPoint(LibraryHandle library, const char* name) = 0;
  // FreeLibrary(library).
  virtual bool freeLibrary(LibraryHandle library) = 0;
};

}  // namespace velkor
