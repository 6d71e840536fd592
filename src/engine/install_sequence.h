// The installation from start to finish, called once by the Next handler after
// the licence was accepted, on the user-interface thread. It reports only
// through the wizard state flags and the texts it leaves on the main window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/block_copy.h"
#include "payload/layout.h"
#include "engine/setup_file.h"
#include "engine/version_class.h"
#include "engine/wizard_state.h"
#include "platform/main_window.h"
#include "platform/system.h"

namespace velkor {

// The operations of the other engine modules, each called at its fixed
// position in the sequence. Nothing in the sequence depends on their results.
class InstallOperations {
 public:
  virtual ~InstallOperations() = default;
  // Step 4: what earlier installations left behind (never the install directory).
  virtual void removePreviousInstallation() = 0;
  // Step 11, for Windows 5.1, 6.0 and 6.x (minor 1 or higher) only. Font copies
  // read the bundle from `bundle` (the held setup file) and go through
  // `copier`, which carries this installation's progress counter.
  virtual void provisionFonts(VersionClass version, BlockCopier& copier, const BundleSource& bundle) = 0;
  // Step 12: version marker, file type, lock password, commands.
  virtual void writeRegistryConfiguration() = 0;
  // Step 14: the shortcut operations, in their order.
  virtual void createShortcuts() = 0;
};

// The members the sequence extracts, in order; the real table unless a test
// hands in a smaller one of the same shape.
struct MemberTable {
  const payload::Member* first = payload::kMembers.data();
  std::size_t count = payload::kMembers.size();
  const payload::Member* begin() const { return first; }
  const payload::Member* end() const { return first + count; }
};

struct EngineConfig {
  MemberTable members;
  std::uint32_t payloadSize = payload::kPayloadSize;
  std::size_t blockSize = kDefaultCopyBlock;
};

class InstallSequence {
 public:
  // `setup` is the setup file the wizard has held since its start; the
  // sequence reads every payload byte through it and lets it go after the
  // last copy (the fonts), or when it fails.
  InstallSequence(System& system, MainWindow& view, WizardState& state,
                  InstallOperations& operations, SetupFile& setup, EngineConfig config = {})
      : system_(system), view_(view), state_(state), operations_(operations), setup_(setup),
        config_(config) {}

  // Preconditions (the Next handler's): bInstalling = 1, bConfigurePending = 1,
  // Next hidden, progress bar and status line shown. Afterwards either the
  // failure display is up with bInstallFailed = 1, or every step ran and the
  // bar stands full.
  void run();

 private:
  System& system_;
  MainWindow& view_;
  WizardState& state_;
  InstallOperations& operations_;
  SetupFile& setup_;
  EngineConfig config_;
};

}  // namespace velkor
