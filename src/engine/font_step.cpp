#include "engine/font_step.h"

#include <cstdint>
#include <vector>

#include "engine/first_run_marker.h"
#include "engine/install_paths.h"

namespace velkor {
namespace fonts {

std::u16string installedFangSong() { return paths::inInstallDirectory(kFangSong.fileName); }
std::u16string installedPalaceScript() { return paths::inInstallDirectory(kPalaceScript.fileName); }
std::u16string transitFile(int part) {
  return paths::inInstallDirectory(u"Velkar") + static_cast<char16_t>(u'0' + part);
}

}  // namespace fonts

void FontRegistrar::RegisterFont(const std::u16string& fileName,
                                 const std::u16string& displayName) {
  fonts_.addFontResource(paths::fontFolder(info_.windowsDirectory()) + fileName);

  reg::RegKey key{};
  if (registry_.createKey(reg::kLocalMachine, fonts::kFontsKey, fonts::kFontsKeyClass,
                          reg::kOptionNonVolatile, reg::kKeyWrite, &key,
                          nullptr) != reg::kSuccess) {
    view_.messageBox(fonts::kRegisterFailedText, fonts::kRegisterFailedCaption,
                     fonts::kMessageBoxOk);
    return;
  }
  // The file name's own units, its terminator not counted.
  registry_.setValue(key, displayName.c_str(), reg::kSz,
                     reinterpret_cast<const std::uint8_t*>(fileName.c_str()),
                     static_cast<std::uint32_t>(fileName.size() * sizeof(char16_t)));
  registry_.closeKey(key);
}

void FontStep::run(VersionClass version, BlockCopier& copier, const BundleSource& bundle) {
  switch (version) {
    case VersionClass::SevenOrLater: runSevenOrLater(copier, bundle); break;
    case VersionClass::Vista: runVista(copier, bundle); break;
    case VersionClass::Xp: runXp(copier, bundle); break;
    case VersionClass::Other: break;
  }
}

bool FontStep::copyPart(BlockCopier& copier, const BundleSource& bundle, const payload::FontPart& part,
                        const std::u16string& destination) {
  // Without a source the destination is left as it is, not truncated.
  if (!bundle.file) return false;
  ScopedFile out(fs_, fs_.openReadWrite(destination));
  if (!out) return false;
  // Each part from its own offset, whatever was copied before.
  const bool positioned = fs_.seek(bundle.file, bundle.start + part.offset, SeekOrigin::Begin);
  const bool copied =
      positioned && copier.copy(bundle.file, out.get(), part.length) == CopyResult::Complete;
  const bool closed = out.close();
  if (copied && closed) return true;
  fs_.deleteFile(destination);
  return false;
}

void FontStep::runSevenOrLater(BlockCopier& copier, const BundleSource& bundle) {
  const FontFolder folder(fs_, paths::fontFolder(info_.windowsDirectory()));
  const bool palaceScriptMissing = folder.missing(fonts::kPalaceScript.fileName);
  const bool fangSongUnusable = folder.simfangUnusable();

  // The FangSong file holds one font, so on Windows this addition never
  // reports 2 and the install directory always receives its own copy. (Wine
  // reports 2 for it; the copy is then skipped there.)
  if (fonts_.addFontResource(fonts::installedFangSong()) != 2 &&
      copyPart(copier, bundle, fonts::kFangSong, fonts::installedFangSong()))
    fonts_.addFontResource(fonts::kFangSong.fileName);

  // Written to the font folder only; neither loaded nor registered here.
  if (fangSongUnusable) {
    view_.setText(ctl::kStatus, payload::kFontBundle.destination);
    copyPart(copier, bundle, fonts::kFangSong, folder.path() + fonts::kFangSong.fileName);
  }
  if (palaceScriptMissing) {
    view_.setText(ctl::kStatus, fonts::installedPalaceScript());
    copyPart(copier, bundle, fonts::kPalaceScript, folder.path() + fonts::kPalaceScript.fileName);
  }
}

void FontStep::runVista(BlockCopier& copier, const BundleSource& bundle) {
  const FontFolder folder(fs_, paths::fontFolder(info_.windowsDirectory()));
  const bool palaceScriptMissing = folder.missing(fonts::kPalaceScript.fileName);
  const bool fangSongUnusable = folder.simfangUnusable();
  if (!palaceScriptMissing && !fangSongUnusable) return;

  state_.bFirstInstall = 1;
  // Both files are written whichever of the two was needed.
  view_.setText(ctl::kStatus, payload::kFontBundle.destination);
  copyPart(copier, bundle, fonts::kFangSong, folder.path() + fonts::kFangSong.fileName);
  view_.setText(ctl::kStatus, fonts::installedPalaceScript());
  copyPart(copier, bundle, fonts::kPalaceScript, folder.path() + fonts::kPalaceScript.fileName);

  if (palaceScriptMissing)
    registrar_.RegisterFont(fonts::kPalaceScript.fileName, fonts::kPalaceScriptDisplayName);
  if (fangSongUnusable)
    registrar_.RegisterFont(fonts::kFangSong.fileName, fonts::kFangSongDisplayName);

  fonts_.addFontResource(fonts::kPalaceScript.fileName);
  fonts_.addFontResource(fonts::kFangSong.fileName);
  fonts_.addFontResource(fonts::kSimSunFile);
}

void FontStep::runXp(BlockCopier& copier, const BundleSource& bundle) {
  const FontFolder folder(fs_, paths::fontFolder(info_.windowsDirectory()));
  // Presence only on this class: no size test.
  const bool anyMissing = folder.missing(fonts::kFangSong.fileName) ||
                          folder.missing(fonts::kYaHei.fileName) ||
                          folder.missing(fonts::kPalaceScript.fileName);
  if (!anyMissing) return;

  for (const payload::FontPart& part : payload::kFontParts) {
    const std::u16string transit = fonts::transitFile(part.number);
    view_.setText(ctl::kStatus, transit);
    // Only a complete part reaches the font folder; a font already there is
    // never replaced.
    if (copyPart(copier, bundle, part, transit)) fs_.copyFile(transit, folder.path() + part.fileName, true);
    fs_.deleteFile(transit);
  }
  writeFirstRunMarker(fs_, kFirstInstallMarkerText);
  fs_.deleteFile(payload::kFontBundle.destination);
}

}  // namespace velkor
