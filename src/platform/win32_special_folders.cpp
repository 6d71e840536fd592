#include <windows.h>
#include <shlobj.h>

#include "framework/system_library.h"
#include "platform/win32_finish_ports.h"
#include "framework/text.h"

namespace velkor {

std::optional<std::u16string> Win32SpecialFolders::specialFolderPath(int folder) {
  static const auto getPath = fw::SystemFunction<decltype(&SHGetSpecialFolderPathW)>(
      L"shell32.dll", "SHGetSpecialFolderPathW");
  wchar_t path[MAX_PATH] = {};
  if (getPath == nullptr || !getPath(nullptr, path, folder, FALSE)) return std::nullopt;
  return win32::utf16(path, wcsnlen(path, MAX_PATH));
}

}  // namespace velkor
