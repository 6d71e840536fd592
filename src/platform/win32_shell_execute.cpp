#include <windows.h>
#include <shellapi.h>

#include "framework/system_library.h"
#include "platform/win32_finish_ports.h"
#include "framework/text.h"

namespace velkor {

ShellExecuteResult Win32ShellExecutor::shellExecute(const ShellExecuteRequest& request) {
  SHELLEXECUTEINFOW ShExecInfo{};
  ShExecInfo.cbSize = sizeof(ShExecInfo);
  ShExecInfo.fMask = request.mask;
  ShExecInfo.hwnd = nullptr;
  ShExecInfo.lpVerb = nullptr;
  ShExecInfo.lpFile = win32::wide(request.file);
  ShExecInfo.lpParameters = win32::wide(request.parameters);
  ShExecInfo.lpDirectory = win32::wide(request.directory);
  ShExecInfo.nShow = request.show;
  static const auto execute = fw::SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  if (execute != nullptr) execute(&ShExecInfo);
  return ShellExecuteResult{reinterpret_cast<std::intptr_t>(ShExecInfo.hInstApp),
                            ProcessHandle{reinterpret_cast<std::uintptr_t>(ShExecInfo.hProcess)}};
}

}  // namespace velkor
