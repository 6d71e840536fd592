// The executable's entry: the library search is restricted before anything
// else runs, then the application object takes over.
#include <windows.h>

#include "app/velkarsetup.h"
#include "framework/system_library.h"

namespace {
velkor::CVelkarSetupApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  velkor::fw::RestrictLibrarySearch();
  return theApp.Run(instance);
}
