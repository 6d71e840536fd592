#include "engine/install_sequence.h"

#include "engine/extraction.h"
#include "engine/failure_display.h"
#include "engine/font_conditions.h"
#include "engine/install_paths.h"
#include "engine/planned_total.h"
#include "engine/progress_meter.h"
#include "engine/setup_file.h"

namespace velkor {

void InstallSequence::run() {
  const VersionClass version = classify(system_.versionRecord());
  view_.stopAnimation(ctl::kAnimation);

  // Nothing on the machine changes before the setup file has proved whole.
  const SetupFileCheck check =
      checkSetupFile(system_, view_, setup_, config_.payloadSize, config_.blockSize);
  if (check.result != SetupCheck::Sound) {
    setup_.stream.close();
    showInstallFailure(view_, state_, setup_.path, text::kSetupDamaged);
    return;
  }

  system_.createDirectory(paths::kInstallDirectory);
  operations_.removePreviousInstallation();

  const FontFolder fonts(system_, paths::fontFolder(system_.windowsDirectory()));
  ProgressMeter progress(view_);
  progress.begin(plannedByteTotal(version, fonts, config_.payloadSize));
  system_.createDirectory(paths::kInstallDirectory);

  state_.bInstallFailed = 0;
  BlockCopier copier(system_, view_, progress, config_.blockSize);
  BundleSource bundle{setup_.stream.get(), 0};
  for (const payload::Member& member : config_.members) {
    if (member.kind == payload::MemberKind::FontBundle) bundle.start = check.payloadEnd + member.start;
    const ExtractResult result =
        extractMember(copier, view_, setup_.stream.get(), check.payloadEnd, member);
    if (result == ExtractResult::Written) continue;
    setup_.stream.close();
    showInstallFailure(view_, state_, member.destination,
                       result == ExtractResult::DestinationUnopenable ? text::kProgramInUse
                                                                      : text::kWriteFailed);
    return;
  }

  if (version != VersionClass::Other) operations_.provisionFonts(version, copier, bundle);
  // The fonts were the last bytes read from the setup file.
  setup_.stream.close();
  operations_.writeRegistryConfiguration();

  // Left over from the font step; an earlier setup may have left PALSCRI.TTF
  // beside the setup file.
  system_.deleteFile(payload::kFontBundle.destination);
  system_.deleteFile(paths::folderOf(setup_.path) + payload::kFontParts[1].fileName);

  operations_.createShortcuts();
  system_.notifyAssociationsChanged();

  if (state_.bFirstInstall == 1 && version == VersionClass::Vista) {
    progress.finish();
    state_.bLogoffPending = 1;
  } else {
    state_.bConfigurePending = 1;
    progress.finish();
  }
}

}  // namespace velkor
