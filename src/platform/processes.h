// The running processes: a toolhelp snapshot walked from first to last, and
// ending one process by its identifier.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor {

struct ProcessEntry {
  std::u16string exeFile;  // PROCESSENTRY32W::szExeFile, as the system reports it
  std::uint32_t processId = 0;
};

// An open process; zero is "none".
struct ProcessHandle {
  std::uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
};

class Processes {
 public:
  virtual ~Processes() = default;
  // CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS), Process32FirstW and
  // Process32NextW to the end, CloseHandle: the entries in snapshot order.
  virtual std::vector<ProcessEntry> snapshot() = 0;
  // OpenProcess(PROCESS_TERMINATE, FALSE, id).
  virtual ProcessHandle openForTerminate(std::uint32_t processId) = 0;
  // TerminateProcess(process, exitCode).
  virtual bool terminate(ProcessHandle process, std::uint32_t exitCode) = 0;
  // CloseHandle(process).
  virtual bool closeHandle(ProcessHandle process) = 0;
};

}  // namespace velkor
