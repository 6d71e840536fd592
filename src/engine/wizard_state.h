// The wizard state flags: process-wide integers used as booleans, zero at
// start, touched only by the user-interface thread. The engine's sequence, the
// wizard flow and the finish handler share one instance.
#pragma once

#include <cstdint>

namespace velkor {

struct WizardState {
  std::int32_t bSetupStarted = 0;
  std::int32_t bStartedByEnter = 0;
  std::int32_t bInstalling = 0;
  std::int32_t bBusy = 0;
  std::int32_t bInstallFailed = 0;
  std::int32_t bInstallDone = 0;
  std::int32_t bFirstInstall = 0;
  std::int32_t bConfigurePending = 0;
  std::int32_t bLogoffPending = 0;
};

}  // namespace velkor
