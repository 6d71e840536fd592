// Font provisioning after the payload is on disk: the plan of the running
// Windows class decides which bundle parts go where, and whether they are
// registered and loaded. Every copy goes through the installation's copier,
// so it moves the same progress counter as the members.
#pragma once

#include <string>

#include "engine/block_copy.h"
#include "engine/font_conditions.h"
#include "payload/layout.h"
#include "engine/setup_file.h"
#include "engine/version_class.h"
#include "engine/wizard_state.h"
#include "platform/file_system.h"
#include "platform/font_table.h"
#include "platform/main_window.h"
#include "platform/registry_port.h"
#include "platform/system_info.h"

namespace velkor {

namespace fonts {

// Registry display names of the two fonts that are registered.
inline constexpr char16_t kFangSongDisplayName[] = u"仿宋_GB2312(TrueType)";
inline constexpr char16_t kPalaceScriptDisplayName[] = u"Palace Script MT(TrueType)";
// A system font the Vista plan loads but never copies.
inline constexpr char16_t kSimSunFile[] = u"simsun.ttc";

inline constexpr const payload::FontPart& kFangSong = payload::kFontParts[0];
inline constexpr const payload::FontPart& kPalaceScript = payload::kFontParts[1];
inline constexpr const payload::FontPart& kYaHei = payload::kFontParts[2];

// Where the font entries live, under HKEY_LOCAL_MACHINE.
inline constexpr char16_t kFontsKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline constexpr char16_t kFontsKeyClass[] = u"REG_SZ";

// The box shown when the fonts key cannot be created.
inline constexpr char16_t kRegisterFailedText[] = u"失败！";
inline constexpr char16_t kRegisterFailedCaption[] = u"提示";
inline constexpr unsigned kMessageBoxOk = 0;  // MB_OK

// The install directory's own FangSong copy, and the status texts of the
// font-folder copies.
std::u16string installedFangSong();   // "C:\Program Files\VelkorCrypt\simfang.ttf"
std::u16string installedPalaceScript();  // "C:\Program Files\VelkorCrypt\PALSCRI.TTF"
// The XP plan's transit file for part n: "C:\Program Files\VelkorCrypt\Velkar<n>".
std::u16string transitFile(int part);

}  // namespace fonts

// Loads a font from the font folder and records it under HKLM's fonts key.
class FontRegistrar {
 public:
  FontRegistrar(SystemInfo& info, FontTable& fonts, reg::RegistryPort& registry, MainWindow& view)
      : info_(info), fonts_(fonts), registry_(registry), view_(view) {}

  // AddFontResourceW(font folder + fileName), then the value displayName =
  // fileName (REG_SZ, its characters x 2 bytes, no terminator counted). When
  // the key cannot be created the "失败！" box is shown and nothing is written.
  void RegisterFont(const std::u16string& fileName, const std::u16string& displayName);

 private:
  SystemInfo& info_;
  FontTable& fonts_;
  reg::RegistryPort& registry_;
  MainWindow& view_;
};

class FontStep {
 public:
  FontStep(FileSystem& fs, SystemInfo& info, FontTable& fonts, reg::RegistryPort& registry,
           MainWindow& view, WizardState& state)
      : fs_(fs), info_(info), fonts_(fonts), view_(view), state_(state),
        registrar_(info, fonts, registry, view) {}

  // The plan of `version`; nothing for any other version. The parts are read
  // from `bundle`, never from the extracted bundle file, which the setup does
  // not hold.
  void run(VersionClass version, BlockCopier& copier, const BundleSource& bundle);

 private:
  void runSevenOrLater(BlockCopier& copier, const BundleSource& bundle);
  void runVista(BlockCopier& copier, const BundleSource& bundle);
  void runXp(BlockCopier& copier, const BundleSource& bundle);

  // Copies one part of the bundle into `destination` ("wb+"); skipped when the
  // destination cannot be opened. An incomplete copy is deleted, so no
  // truncated font is ever left behind. Returns whether the copy is complete.
  bool copyPart(BlockCopier& copier, const BundleSource& bundle, const payload::FontPart& part,
                const std::u16string& destination);

  FileSystem& fs_;
  SystemInfo& info_;
  FontTable& fonts_;
  MainWindow& view_;
  WizardState& state_;
  FontRegistrar registrar_;
};

}  // namespace velkor
