#include <windows.h>
#include <tlhelp32.h>

#include "platform/win32_finish_ports.h"
#include "framework/text.h"

namespace velkor {

std::vector<ProcessEntry> Win32Processes::snapshot() {
  std::vector<ProcessEntry> entries;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return entries;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry))
    entries.push_back({win32::utf16(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH)),
                       static_cast<std::uint32_t>(entry.th32ProcessID)});
  CloseHandle(snap);
  return entries;
}

ProcessHandle Win32Processes::openForTerminate(std::uint32_t processId) {
  return ProcessHandle{reinterpret_cast<std::uintptr_t>(OpenProcess(PROCESS_TERMINATE, FALSE, processId))};
}

bool Win32Processes::terminate(ProcessHandle process, std::uint32_t exitCode) {
  return TerminateProcess(reinterpret_cast<HANDLE>(process.value), exitCode) != FALSE;
}

bool Win32Processes::closeHandle(ProcessHandle process) {
  return CloseHandle(reinterpret_cast<HANDLE>(process.value)) != FALSE;
}

}  // namespace velkor
