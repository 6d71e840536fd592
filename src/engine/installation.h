// One whole installation: the sequence with the real operations of the other
// engine modules behind it. The main window builds one with its ports and
// calls run() from its Next command.
#pragma once

#include <cstdint>

#include "engine/font_step.h"
#include "engine/install_sequence.h"
#include "engine/removal.h"
#include "engine/shortcuts.h"
#include "platform/font_table.h"
#include "platform/libraries.h"
#include "platform/main_window.h"
#include "platform/registry_port.h"
#include "platform/shell_links.h"
#include "platform/special_folders.h"
#include "platform/system.h"

namespace velkor {

// Every port an installation reaches the system through.
struct InstallationPorts {
  System& system;
  reg::RegistryPort& registry;
  FontTable& fonts;
  Libraries& libraries;
  SpecialFolders& folders;
  ShellLinks& links;
};

class Installation final : private InstallOperations {
 public:
  // `setup` is the setup file held since the wizard started (holdSetupFile).
  Installation(const InstallationPorts& ports, MainWindow& view, WizardState& state,
               std::int32_t machineNumber, SetupFile& setup, EngineConfig config = {});

  // The installation sequence, steps 1 to 17.
  void run();

 private:
  void removePreviousInstallation() override;
  void provisionFonts(VersionClass version, BlockCopier& copier, const BundleSource& bundle) override;
  void writeRegistryConfiguration() override;
  void createShortcuts() override;

  InstallationPorts ports_;
  MainWindow& view_;
  std::int32_t machineNumber_;
  Removal removal_;
  FontStep fontStep_;
  InstallSequence sequence_;
};

}  // namespace velkor
