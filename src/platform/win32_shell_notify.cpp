#include <windows.h>
#include <shlobj.h>

#include "framework/system_library.h"
#include "platform/win32_system.h"

namespace velkor {

void Win32System::notifyAssociationsChanged() {
  static const auto notify = fw::SystemFunction<decltype(&SHChangeNotify)>(L"shell32.dll", "SHChangeNotify");
  if (notify != nullptr) notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace velkor
