// What the Cancel/Finish button (command 1001) means at the moment it is
// pressed, and the two ways of finishing: the log-off procedure after a first
// installation on Windows 6.0, the configuration procedure otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/font_step.h"
#include "engine/wizard_state.h"
#include "platform/file_system.h"
#include "platform/font_table.h"
#include "platform/main_window.h"
#include "platform/processes.h"
#include "platform/registry_port.h"
#include "platform/session.h"
#include "platform/shell_execute.h"
#include "platform/shell_notify.h"
#include "platform/system_info.h"

namespace velkor {

namespace finish {

// The first-run marker's text when the finish writes it (56 bytes).
inline constexpr char16_t kMarkerText[] = u"First install, don't delete!";

inline constexpr char16_t kLogoffStatus[] = u"稍后, 正准备注销. . .";
inline constexpr char16_t kConfigureStatus[] = u"稍后, 正在配置 . . .";

// Names the process scan compares, exactly and with case.
inline constexpr char16_t kDisExeName[] = u"VelkorCrypt.exe";
inline constexpr char16_t kDisName[] = u"explorer.exe";

inline constexpr std::uint32_t kWaitAfterStart = 800;     // ms
inline constexpr std::uint32_t kWaitBeforeTerminate = 360;  // ms

// The product's start: its file name in the install directory's path.
ShellExecuteRequest productStart(int showState);

}  // namespace finish

enum class FinishAction {
  Ignore,           // an installation is running
  ClearEnterFlag,   // the call right after an Enter-started Next
  EndAfterFailure,  // "确定" on the failure page: the wizard ends, nothing else
  LogOff,
  Configure,
  Close,            // before installing: the window's own close handling
};

// The decision table over the wizard state flags.
FinishAction decideFinish(const WizardState& state);

// The process the log-off ends: the last entry of the walk named exactly
// "VelkorCrypt.exe" or "explorer.exe"; 0 when none is.
std::uint32_t chooseProcessToEnd(const std::vector<ProcessEntry>& processes);

class Completion {
 public:
  struct Ports {
    FileSystem& fs;
    SystemInfo& info;
    FontTable& fonts;
    reg::RegistryPort& registry;
    ShellNotify& shell;
    ShellExecutor& executor;
    Processes& processes;
    Session& session;
    MainWindow& window;
  };

  Completion(const Ports& ports, WizardState& state)
      : p_(ports), state_(state), registrar_(ports.info, ports.fonts, ports.registry, ports.window) {}

  // The Cancel/Finish command, also called by the keyboard rules and the close
  // handling. Ends the dialog (effective when the caller's handler returns)
  // in every case but Ignore and ClearEnterFlag.
  void OnCancelOrFinish();

  void runLogoff(const VersionRecord& version);
  void runConfiguration(const VersionRecord& version);

 private:
  // Starts the product; a failed start ends the dialog with 0 and the
  // procedure goes on.
  void startProduct(int showState);
  void endChosenProcess();
  std::u16string besideSetupFile(const char16_t* fileName);

  Ports p_;
  WizardState& state_;
  FontRegistrar registrar_;
};

}  // namespace velkor
