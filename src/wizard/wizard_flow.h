// The main window's page machine, without windows: the version gate's
// refusal, the Next command with every text and show/hide it writes, the
// keyboard rules and the close rule. The wizard state flags say which page is
// up; the window shows them. Everything the flow does to the system goes
// through the ports below.
#pragma once

#include "engine/wizard_state.h"
#include "platform/main_window.h"
#include "platform/system_info.h"
#include "wizard/licence_logic.h"

namespace velkor::wizard {

// Runs the licence page modally (the main window is hidden meanwhile) and
// tells how it ended.
class LicencePage {
 public:
  virtual ~LicencePage() = default;
  virtual LicenceOutcome run() = 0;
};

// The installation sequence, run on the user-interface thread; it reports
// through the wizard state flags and the texts it writes.
class Installer {
 public:
  virtual ~Installer() = default;
  virtual void run() = 0;
};

// The Cancel/Finish command: what it does depends on the flags (leave before
// installing, nothing while installing, finish afterwards).
class Finisher {
 public:
  virtual ~Finisher() = default;
  virtual void onCancelOrFinish() = 0;
};

enum class Key { kEscape, kEnter, kOther };

class WizardFlow {
 public:
  struct Ports {
    MainWindow& window;
    SystemInfo& info;
    LicencePage& licence;
    Installer& installer;
    Finisher& finisher;
  };

  WizardFlow(const Ports& ports, WizardState& state) : p_(ports), state_(state) {}

  // At initialisation, after the fonts: on a refused system the welcome page
  // becomes the refusal page. Returns whether the system was accepted.
  bool applyVersionGate();

  // The Next command (button 1000, or Enter through the keyboard rules). It
  // does nothing while an installation runs, however it is delivered.
  void onNext();

  // WM_KEYDOWN as PreTranslateMessage sees it; true when the key is consumed
  // (Esc and Enter always are, so the dialog manager never sees them).
  bool onKeyDown(Key key);

  // A close request; true when it goes on to the dialog's default handling,
  // which ends the window with the cancel result.
  bool onClose();

  void onCancelOrFinish() { p_.finisher.onCancelOrFinish(); }

 private:
  // The Next command; `byEnter` when the Enter key started it.
  void runNext(bool byEnter);
  void startInstallation(bool byEnter);
  // Runs the installation. Anything unexpected that leaves it (an exception,
  // out of memory) ends it as a failed one: the failure page naming the
  // install directory, with the flags of a failed installation.
  void runInstaller();
  void endUnexpectedly(const char* what);
  void showFinishPage();

  Ports p_;
  WizardState& state_;
};

}  // namespace velkor::wizard
