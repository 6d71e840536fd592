// Every system port the engine uses, in one object: the Win32 adapter
// implements them all, the unit tests' FakeSystem likewise.
#pragma once

#include "platform/file_system.h"
#include "platform/shell_notify.h"
#include "platform/system_info.h"

namespace velkor {

class System : public FileSystem, public SystemInfo, public ShellNotify {};

}  // namespace velkor
