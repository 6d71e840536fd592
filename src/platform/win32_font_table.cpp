#include <windows.h>

#include "platform/win32_finish_ports.h"
#include "framework/text.h"

namespace velkor {

int Win32FontTable::addFontResource(const std::u16string& path) {
  return AddFontResourceW(win32::wide(path));
}

bool Win32FontTable::removeFontResource(const std::u16string& path) {
  return RemoveFontResourceW(win32::wide(path)) != FALSE;
}

}  // namespace velkor
