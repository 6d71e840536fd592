// Win32 adapters of the ports that the font step, the removal, the shortcuts
// and the finish use: each method is one platform call (the process snapshot
// walks and closes its snapshot). No logic lives here.
#pragma once

#include "platform/font_table.h"
#include "platform/libraries.h"
#include "platform/processes.h"
#include "platform/session.h"
#include "platform/shell_execute.h"
#include "platform/shell_links.h"
#include "platform/special_folders.h"

namespace velkor {

class Win32FontTable : public FontTable {
 public:
  int addFontResource(const std::u16string& path) override;
  bool removeFontResource(const std::u16string& path) override;
};

class Win32Libraries : public Libraries {
 public:
  LibraryHandle loadLibrary(const std::u16string& path) override;
  bool findEntryPoint(LibraryHandle library, const char* name) override;
  bool freeLibrary(LibraryHandle library) override;
};

class Win32SpecialFolders : public SpecialFolders {
 public:
  std::optional<std::u16string> specialFolderPath(int folder) override;
};

class Win32ShellLinks : public ShellLinks {
 public:
  std::int32_t coInitialize() override;
  void coUninitialize() override;
  ShellLinkHandle createLink() override;
  bool setPath(ShellLinkHandle link, const std::u16string& target) override;
  PersistFileHandle queryPersistFile(ShellLinkHandle link) override;
  bool save(PersistFileHandle persist, const std::u16string& path) override;
  void release(PersistFileHandle persist) override;
  void release(ShellLinkHandle link) override;
};

class Win32Processes : public Processes {
 public:
  std::vector<ProcessEntry> snapshot() override;
  ProcessHandle openForTerminate(std::uint32_t processId) override;
  bool terminate(ProcessHandle process, std::uint32_t exitCode) override;
  bool closeHandle(ProcessHandle process) override;
};

class Win32ShellExecutor : public ShellExecutor {
 public:
  ShellExecuteResult shellExecute(const ShellExecuteRequest& request) override;
};

class Win32Session : public Session {
 public:
  void sleep(std::uint32_t milliseconds) override;
  bool exitWindows(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace velkor
