// Where the wizard is put together: the real ports and the setup file, held
// from the wizard's start so that nobody can change or swap it before the
// installation has read it; the main window's port on the dialog; the licence
// page, the installation and the finish behind the flow's ports; the flow.
// The main dialog makes one and hands its messages to the flow.
#pragma once

#include <cstdint>
#include <memory>

#include "app/win32_main_window.h"
#include "engine/wizard_state.h"
#include "platform/system_info.h"
#include "wizard/wizard_flow.h"

namespace velkor {

class WizardRoot {
 public:
  // What a test may put in place of the real licence page, installation,
  // finish and version source; null members take the real ones.
  struct Overrides {
    wizard::LicencePage* licence = nullptr;
    wizard::Installer* installer = nullptr;
    wizard::Finisher* finisher = nullptr;
    SystemInfo* info = nullptr;
  };

  WizardRoot(const Win32MainWindow::Parts& window, WizardState& state, const Overrides& overrides);
  ~WizardRoot();

  WizardRoot(const WizardRoot&) = delete;
  WizardRoot& operator=(const WizardRoot&) = delete;

  wizard::WizardFlow& flow() { return *flow_; }
  SystemInfo& info() { return *info_; }
  MainWindow& window() { return window_; }

  // At the dialog's initialisation, after its layout and fonts: the shutdown
  // privilege, the machine number, the version gate, and the setup file's
  // check in the idle time of the dialog's loop.
  void start();

 private:
  struct RealPorts;
  class RealLicence;
  class RealInstaller;
  class RealFinisher;

  std::unique_ptr<RealPorts> ports_;
  Win32MainWindow window_;
  SystemInfo* info_;
  std::int32_t machineNumber_ = 0;
  std::unique_ptr<RealLicence> licence_;
  std::unique_ptr<RealInstaller> installer_;
  std::unique_ptr<RealFinisher> finisher_;
  std::unique_ptr<wizard::WizardFlow> flow_;
};

}  // namespace velkor
