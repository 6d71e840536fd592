#include "engine/installation.h"

#include "engine/registry_config.h"

namespace velkor {

Installation::Installation(const InstallationPorts& ports, MainWindow& view, WizardState& state,
                           std::int32_t machineNumber, SetupFile& setup, EngineConfig config)
    : ports_(ports),
      view_(view),
      machineNumber_(machineNumber),
      removal_(ports.system, ports.system, ports.fonts, ports.libraries, ports.registry,
               ports.folders, ports.system, view),
      fontStep_(ports.system, ports.system, ports.fonts, ports.registry, view, state),
      sequence_(ports.system, view, state, *this, setup, config) {}

void Installation::run() { sequence_.run(); }

void Installation::removePreviousInstallation() { removal_.RemovePreviousInstallation(); }

void Installation::provisionFonts(VersionClass version, BlockCopier& copier,
                                  const BundleSource& bundle) {
  fontStep_.run(version, copier, bundle);
}

void Installation::writeRegistryConfiguration() {
  regconfig::writeRegistryConfiguration(ports_.registry, view_, machineNumber_);
}

void Installation::createShortcuts() {
  // One object per installation: the link prepared by the first operation is
  // saved by the second, and nothing outlives the six.
  CShortcuts shortcuts(ports_.system, ports_.folders, ports_.links);
  shortcuts.CreateAll();
}

}  // namespace velkor
