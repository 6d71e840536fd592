#include <windows.h>

#include "platform/win32_finish_ports.h"

namespace velkor {

void Win32Session::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

bool Win32Session::exitWindows(std::uint32_t flags, std::uint32_t reason) {
  return ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace velkor
