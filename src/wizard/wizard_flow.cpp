#include "wizard/wizard_flow.h"

#include <exception>
#include <string>

#include "engine/failure_display.h"
#include "engine/install_paths.h"
#include "engine/trace.h"
#include "wizard/texts.h"
#include "wizard/version_gate.h"

namespace velkor::wizard {

bool WizardFlow::applyVersionGate() {
  const VersionRecord version = p_.info.versionRecord();
  const SystemVerdict verdict = versionGate(version.platform, version.major, version.minor);
  if (verdict == SystemVerdict::kAccepted) return true;
  // The welcome layout stays; only texts and the buttons change.
  p_.window.setText(ctl::kTitle, velkor::text::kFailureTitle);
  p_.window.setText(ctl::kLine1, text::kRefusalNotice);
  p_.window.setText(ctl::kLine2, refusalMessage(verdict));
  p_.window.setText(ctl::kLine3, velkor::text::kInstallFailedStatus);
  p_.window.show(ctl::kNext, false);
  p_.window.setText(ctl::kCancelFinish, velkor::text::kOkCaption);
  return false;
}

void WizardFlow::onNext() { runNext(false); }

void WizardFlow::runNext(bool byEnter) {
  // The hidden Next button can still be clicked (another program may send it
  // BM_CLICK while the copy pumps messages): no second licence page and no
  // nested installation.
  if (state_.bInstalling == 1) return;
  state_.bSetupStarted = 0;
  p_.window.showWindow(false);
  const LicenceOutcome outcome = p_.licence.run();
  p_.window.updateWindow();
  p_.window.showWindow(true);
  if (outcome == LicenceOutcome::kCancelled) {
    p_.window.endWithOk();
    return;
  }
  if (outcome == LicenceOutcome::kAccepted) startInstallation(byEnter);
  // Neither: the window is back on the page it showed before.
}

void WizardFlow::runInstaller() {
  try {
    p_.installer.run();
  } catch (const std::exception& error) {
    endUnexpectedly(error.what());
  } catch (...) {
    endUnexpectedly("unknown exception");
  }
}

void WizardFlow::endUnexpectedly(const char* what) {
  // Whatever was left half done, the user gets the failure page and a
  // button that closes the wizard.
  showInstallFailure(p_.window, state_, paths::kInstallDirectory, velkor::text::kWriteFailed);
  try {
    std::u16string line = u"velkor: the installation stopped on an unexpected error: ";
    for (const char* c = what; *c != '\0'; ++c) line += static_cast<char16_t>(static_cast<unsigned char>(*c));
    trace::emit(line);
  } catch (...) {
    // Out of memory for the diagnostic: the failure page is what counts.
  }
}

void WizardFlow::startInstallation(bool byEnter) {
  p_.window.enableCloseItem(false);
  state_.bInstalling = 1;
  state_.bConfigurePending = 1;
  state_.bSetupStarted = 1;

  p_.window.show(ctl::kAnimation, false);
  p_.window.show(ctl::kStatus, true);
  p_.window.show(ctl::kProgress, true);
  p_.window.show(ctl::kNext, false);
  p_.window.setText(ctl::kCancelFinish, text::kLaterCaption);
  state_.bBusy = 1;

  p_.window.setText(ctl::kTitle, text::kInstallTitle);
  p_.window.setText(ctl::kLine1, text::kInstallLine1);
  p_.window.setText(ctl::kLine2, text::kInstallLine2);
  p_.window.setText(ctl::kLine3, text::kInstallLine3);
  p_.window.setText(ctl::kStatus, text::kInstallStatus);

  runInstaller();

  if (state_.bInstallFailed == 1) {
    // The failure texts are the installation's; the Close item stays grey.
    p_.window.playSound();
    p_.window.updateWindow();
    state_.bBusy = 0;
    p_.window.setText(ctl::kCancelFinish, velkor::text::kOkCaption);
    // Only the Cancel/Finish call that this Enter key itself makes next may
    // pass over the failure page; a flag left by an earlier Enter (one that
    // opened the licence page and went back) must not cost "确定" a press.
    if (!byEnter) state_.bStartedByEnter = 0;
    return;
  }
  showFinishPage();
}

void WizardFlow::showFinishPage() {
  const VersionRecord version = p_.info.versionRecord();
  p_.window.setText(ctl::kCancelFinish, text::kFinishCaption);
  p_.window.setText(ctl::kLine1, text::kDoneLine1);
  p_.window.setText(ctl::kLine2, text::kDoneLine2);
  if (version.major == 6 && version.minor >= 1) {
    p_.window.moveControl(ctl::kLine3, 0, 2);
    p_.window.setText(ctl::kLine3, text::kAntivirusWarning);
    p_.window.setText(ctl::kStatus, text::kLayoutHint);
  } else {
    p_.window.setText(ctl::kStatus, text::kAntivirusWarning);
    p_.window.setText(ctl::kLine3, u"");
  }
  if (state_.bLogoffPending == 1) {
    p_.window.setText(ctl::kLine2, text::kLogoffLine2);
    p_.window.setText(ctl::kLine3, text::kLogoffLine3);
  }
  p_.window.enableCloseItem(true);
  state_.bInstallDone = 1;
  state_.bInstalling = 0;
  p_.window.playSound();
  p_.window.updateWindow();
}

bool WizardFlow::onKeyDown(Key key) {
  switch (key) {
    case Key::kEscape:
      if (state_.bInstalling == 0) onCancelOrFinish();
      return true;
    case Key::kEnter:
      if (state_.bSetupStarted == 0) {
        state_.bStartedByEnter = 1;
        runNext(true);
      }
      // Tested again: the Next command may have started the installation.
      if (state_.bSetupStarted == 1) onCancelOrFinish();
      return true;
    case Key::kOther:
      break;
  }
  return false;
}

bool WizardFlow::onClose() {
  if (state_.bInstallDone == 1) onCancelOrFinish();
  return state_.bBusy != 1;
}

}  // namespace velkor::wizard
