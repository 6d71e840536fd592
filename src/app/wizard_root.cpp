#include "app/wizard_root.h"

#include <windows.h>

#include "engine/completion.h"
#include "engine/installation.h"
#include "engine/machine_number.h"
#include "engine/paced_progress.h"
#include "framework/app.h"
#include "pages/ts.h"
#include "platform/win32_finish_ports.h"
#include "platform/win32_registry.h"
#include "platform/win32_system.h"

namespace velkor {

namespace {

void EnableShutdownPrivilege() {
  // The privilege stays enabled for the rest of the process, so that a
  // log-off at the finish is allowed. The token is opened once and held until
  // the process ends, the privilege block written once beside it; a later
  // initialisation adjusts through the same handle rather than opening
  // another.
  static HANDLE token = nullptr;
  static TOKEN_PRIVILEGES privileges{};
  if (token == nullptr) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return;
    token = opened;
    ::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  }
  ::AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
}

}  // namespace

// Every port of the installation and the finish, on the real system, and the
// setup file.
struct WizardRoot::RealPorts {
  RealPorts() : setup(holdSetupFile(system)) {}
  Win32System system;
  SetupFile setup;
  win32::Win32Registry registry;
  Win32FontTable fonts;
  Win32Libraries libraries;
  Win32SpecialFolders folders;
  Win32ShellLinks links;
  Win32ShellExecutor executor;
  Win32Processes processes;
  Win32Session session;
};

// The licence page, run modally with the main window hidden.
class WizardRoot::RealLicence : public wizard::LicencePage {
 public:
  explicit RealLicence(SystemInfo& info) : info_(info) {}
  wizard::LicenceOutcome run() override {
    CTs page(info_);
    page.DoModal();
    return page.outcome();
  }

 private:
  SystemInfo& info_;
};

// The engine's whole installation behind the flow's Installer.
class WizardRoot::RealInstaller : public wizard::Installer {
 public:
  RealInstaller(RealPorts& ports, MainWindow& window, WizardState& state, const std::int32_t& machineNumber)
      : ports_(ports), window_(window), state_(state), machineNumber_(machineNumber) {}
  void run() override {
    // The bar repaints at its pace, not at each of its hundreds of steps.
    PacedProgressView paced(window_);
    Installation(InstallationPorts{ports_.system, ports_.registry, ports_.fonts, ports_.libraries,
                                   ports_.folders, ports_.links},
                 paced, state_, machineNumber_, ports_.setup)
        .run();
  }

 private:
  RealPorts& ports_;
  MainWindow& window_;
  WizardState& state_;
  // Known from the dialog's initialisation on, before any installation.
  const std::int32_t& machineNumber_;
};

// The engine's Cancel/Finish command.
class WizardRoot::RealFinisher : public wizard::Finisher {
 public:
  RealFinisher(RealPorts& p, MainWindow& window, WizardState& state)
      : completion_(Completion::Ports{p.system, p.system, p.fonts, p.registry, p.system, p.executor,
                                      p.processes, p.session, window},
                    state) {}
  void onCancelOrFinish() override { completion_.OnCancelOrFinish(); }

 private:
  Completion completion_;
};

WizardRoot::WizardRoot(const Win32MainWindow::Parts& window, WizardState& state, const Overrides& overrides)
    : ports_(std::make_unique<RealPorts>()),
      window_(window),
      info_(overrides.info != nullptr ? overrides.info : &ports_->system),
      licence_(std::make_unique<RealLicence>(*info_)),
      installer_(std::make_unique<RealInstaller>(*ports_, window_, state, machineNumber_)),
      finisher_(std::make_unique<RealFinisher>(*ports_, window_, state)),
      flow_(std::make_unique<wizard::WizardFlow>(
          wizard::WizardFlow::Ports{
              window_, *info_, overrides.licence != nullptr ? *overrides.licence : *licence_,
              overrides.installer != nullptr ? *overrides.installer : *installer_,
              overrides.finisher != nullptr ? *overrides.finisher : *finisher_},
          state)) {}

WizardRoot::~WizardRoot() {
  // The idle check reads through these ports.
  if (fw::CWinApp* app = fw::AfxGetApp()) app->m_idleWork = nullptr;
}

void WizardRoot::start() {
  EnableShutdownPrivilege();
  machineNumber_ = computeMachineNumber(ports_->system.volumeSerial(kMachineNumberVolume));
  flow_->applyVersionGate();
  // The setup file's check runs a block at a time while the window waits for
  // the user, so that the installation finds it done.
  if (fw::CWinApp* app = fw::AfxGetApp())
    app->m_idleWork = [this] { return advanceSetupCheck(ports_->system, ports_->setup); };
}

}  // namespace velkor
