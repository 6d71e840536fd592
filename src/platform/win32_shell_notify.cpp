#include <windows.h>
#include <shlobj.h>

#include "platform/win32_system.h"

namespace velkor {

void Win32System::notifyAssociationsChanged() {
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace velkor
