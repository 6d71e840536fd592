// Removal of what earlier installations left behind: handler registrations,
// context-menu commands, the file type, shortcuts, the program group and the
// program files, for four generations of names. Runs on every installation,
// right after the install directory was created; the install directory itself
// is never removed. Nothing is reported: what cannot be removed stays.
#pragma once

#include "platform/file_system.h"
#include "platform/font_table.h"
#include "platform/libraries.h"
#include "platform/main_window.h"
#include "platform/registry_port.h"
#include "platform/shell_notify.h"
#include "platform/special_folders.h"
#include "platform/system_info.h"

namespace velkor {

class Removal {
 public:
  Removal(FileSystem& fs, SystemInfo& info, FontTable& fonts, Libraries& libraries,
          reg::RegistryPort& registry, SpecialFolders& folders, ShellNotify& shell,
          MainWindow& view)
      : fs_(fs), info_(info), fonts_(fonts), libraries_(libraries), registry_(registry),
        folders_(folders), shell_(shell), view_(view) {}

  void RemovePreviousInstallation();

 private:
  FileSystem& fs_;
  SystemInfo& info_;
  FontTable& fonts_;
  Libraries& libraries_;
  reg::RegistryPort& registry_;
  SpecialFolders& folders_;
  ShellNotify& shell_;
  MainWindow& view_;
};

}  // namespace velkor
