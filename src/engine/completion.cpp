#include "engine/completion.h"

#include "engine/first_run_marker.h"
#include "engine/install_paths.h"
#include "engine/shortcuts.h"

namespace velkor {

namespace finish {

ShellExecuteRequest productStart(int showState) {
  ShellExecuteRequest request;
  request.mask = kMaskNoCloseProcess;
  request.file = shortcuts::kMainProgram.fileName;
  request.directory = paths::folderOf(shortcuts::kMainProgram.destination);
  request.show = showState;
  return request;
}

}  // namespace finish

FinishAction decideFinish(const WizardState& s) {
  if (s.bInstalling == 1) return FinishAction::Ignore;
  // Before the failure test: the failure page stays up until the user acts.
  if (s.bSetupStarted == 1 && s.bStartedByEnter == 1) return FinishAction::ClearEnterFlag;
  if (s.bInstallFailed == 1) return FinishAction::EndAfterFailure;
  if (s.bLogoffPending == 1) return FinishAction::LogOff;
  if (s.bConfigurePending == 1) return FinishAction::Configure;
  return FinishAction::Close;
}

std::uint32_t chooseProcessToEnd(const std::vector<ProcessEntry>& processes) {
  std::uint32_t chosen = 0;
  for (const ProcessEntry& entry : processes)
    if (entry.exeFile == finish::kDisExeName || entry.exeFile == finish::kDisName)
      chosen = entry.processId;
  return chosen;
}

void Completion::OnCancelOrFinish() {
  switch (decideFinish(state_)) {
    case FinishAction::Ignore:
      return;
    case FinishAction::ClearEnterFlag:
      state_.bStartedByEnter = 0;
      return;
    case FinishAction::EndAfterFailure:
      // The failure page asks the user to exit: no product, no fonts.
      p_.window.endWithOk();
      return;
    case FinishAction::LogOff:
      runLogoff(p_.info.versionRecord());
      return;
    case FinishAction::Configure:
      runConfiguration(p_.info.versionRecord());
      return;
    case FinishAction::Close:
      p_.window.sendCloseCommand();
      return;
  }
}

void Completion::startProduct(int showState) {
  const ShellExecuteResult started = p_.executor.shellExecute(finish::productStart(showState));
  if (started.process) p_.processes.closeHandle(started.process);
  if (started.instApp <= 32) p_.window.endDialog(0);
}

std::u16string Completion::besideSetupFile(const char16_t* fileName) {
  return paths::folderOf(p_.info.modulePath()) + fileName;
}

void Completion::endChosenProcess() {
  const std::uint32_t chosen = chooseProcessToEnd(p_.processes.snapshot());
  // No match opens nothing; the wait is kept either way.
  const ProcessHandle process = chosen != 0 ? p_.processes.openForTerminate(chosen) : ProcessHandle{};
  p_.session.sleep(finish::kWaitBeforeTerminate);
  if (!process) return;
  p_.processes.terminate(process, 0);
  p_.processes.closeHandle(process);
}

void Completion::runLogoff(const VersionRecord& version) {
  p_.window.stopAnimation(ctl::kBanner);
  if (version.major == 6 && version.minor == 0) writeFirstRunMarker(p_.fs, finish::kMarkerText);
  p_.window.setText(ctl::kStatus, finish::kLogoffStatus);
  p_.shell.notifyAssociationsChanged();
  startProduct(show::kMinimize);
  p_.session.sleep(finish::kWaitAfterStart);
  p_.window.updateWindow();
  endChosenProcess();
  p_.shell.notifyAssociationsChanged();

  p_.fs.deleteFile(payload::kFontBundle.destination);
  p_.fs.deleteFile(fonts::installedPalaceScript());
  // Left beside the setup file by an earlier setup.
  p_.fs.deleteFile(besideSetupFile(fonts::kPalaceScript.fileName));
  p_.fs.deleteFile(besideSetupFile(fonts::kFangSong.fileName));
  p_.fs.deleteFile(std::u16string(u"C:\\") + fonts::kFangSong.fileName);

  p_.window.updateWindow();
  p_.shell.notifyAssociationsChanged();
  state_.bBusy = 0;
  p_.session.exitWindows(kExitLogoff, kLogoffReason);
  p_.window.endWithOk();
}

void Completion::runConfiguration(const VersionRecord& version) {
  p_.window.setText(ctl::kStatus, finish::kConfigureStatus);
  if (version.major == 6 && version.minor == 0) writeFirstRunMarker(p_.fs, finish::kMarkerText);

  if (version.major == 6 && version.minor >= 1) {
    const std::u16string folder = paths::fontFolder(p_.info.windowsDirectory());
    const bool palaceScriptMissing = !p_.fs.findFirst(folder + fonts::kPalaceScript.fileName);
    if (p_.fonts.addFontResource(fonts::installedFangSong()) != 2)
      registrar_.RegisterFont(fonts::kFangSong.fileName, fonts::kFangSongDisplayName);
    if (palaceScriptMissing)
      registrar_.RegisterFont(fonts::kPalaceScript.fileName, fonts::kPalaceScriptDisplayName);
    writeFirstRunMarker(p_.fs, finish::kMarkerText);
  }
  if (version.major == 5 && version.minor == 1) {
    p_.fonts.addFontResource(fonts::kYaHei.fileName);
    p_.fonts.addFontResource(fonts::kPalaceScript.fileName);
  }

  p_.shell.notifyAssociationsChanged();
  p_.fs.deleteFile(payload::kFontBundle.destination);
  p_.fonts.addFontResource(fonts::kPalaceScript.fileName);
  startProduct(show::kShow);
  p_.shell.notifyAssociationsChanged();
  p_.fs.deleteFile(besideSetupFile(fonts::kPalaceScript.fileName));
  state_.bBusy = 0;
  p_.window.endWithOk();
}

}  // namespace velkor
