// Fonts on the real system of the prefix: the font table's counts, the HKLM
// entry RegisterFont writes, and the font plan of the version Wine reports,
// run on a bundle made of the demo font parts.
#include <gtest/gtest.h>

#include "engine/block_copy.h"
#include "engine/font_step.h"
#include "engine/install_paths.h"
#include "engine/planned_total.h"
#include "engine/progress_meter.h"
#include "engine/version_class.h"
#include "fakes/fake_main_window.h"
#include "lib/wine_env.h"
#include "platform/win32_finish_ports.h"
#include "platform/win32_registry.h"
#include "platform/win32_system.h"
#include "win/finish_win_support.h"

namespace velkor {
namespace {

using namespace wintest;

const std::wstring kFonts = L"C:\\windows\\Fonts\\";
const std::wstring kInstallDir = L"C:\\Program Files\\VelkorCrypt\\";
const std::wstring kFontsKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// The demo font part of a number, as the native tree made it.
std::vector<std::uint8_t> demoPart(const payload::FontPart& part) {
  const std::wstring folder = hostPath("VELKOR_FONT_PARTS");
  return readFile(folder + L"\\" + wide(part.fileName));
}

struct RealFonts : ::testing::Test {
  Win32System system;
  Win32FontTable fonts;
  win32::Win32Registry registry;
  fakes::FakeMainWindow view;
  WizardState state;
  std::vector<std::uint8_t> bundle;

  void SetUp() override {
    // Entries an earlier test of this run wrote.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kFontsKey.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"Palace Script MT(TrueType)");
      RegDeleteValueW(key, L"仿宋_GB2312(TrueType)");
      RegCloseKey(key);
    }
    for (const auto& part : payload::kFontParts) {
      const auto bytes = demoPart(part);
      ASSERT_EQ(bytes.size(), part.length) << "demo font part missing: build the native tree";
      bundle.insert(bundle.end(), bytes.begin(), bytes.end());
    }
  }
  std::vector<std::uint8_t> slice(const payload::FontPart& part) const {
    return std::vector<std::uint8_t>(bundle.begin() + part.offset, bundle.begin() + part.offset + part.length);
  }
};

TEST_F(RealFonts, AddFontResourceCountsTheFontsOfAFile) {
  const std::wstring file = kFonts + L"VelkorProbe.ttf";
  ASSERT_TRUE(writeFile(file, slice(payload::kFontParts[1])));
  EXPECT_EQ(fonts.addFontResource(utf16(file)), 1);
  EXPECT_EQ(fonts.addFontResource(u"C:\\windows\\Fonts\\NoSuchFont.ttf"), 0);
  EXPECT_TRUE(fonts.removeFontResource(utf16(file)));
}

TEST_F(RealFonts, RegisterFontWritesTheFileNameUnderHklm) {
  ASSERT_TRUE(writeFile(kFonts + L"PALSCRI.TTF", slice(payload::kFontParts[1])));
  FontRegistrar(system, fonts, registry, view).RegisterFont(u"PALSCRI.TTF", u"Palace Script MT(TrueType)");
  const StoredValue v = readValue(HKEY_LOCAL_MACHINE, kFontsKey, L"Palace Script MT(TrueType)");
  ASSERT_EQ(v.status, ERROR_SUCCESS);
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
  // 22 bytes handed over; the registry adds the terminator that follows them.
  EXPECT_EQ(v.bytes, utf16le(u"PALSCRI.TTF", true));
  EXPECT_TRUE(view.boxCaptions.empty()) << "no failure box";
}

TEST_F(RealFonts, ThePlanOfThisVersionInstallsFromTheBundle) {
  CreateDirectoryW(L"C:\\Program Files", nullptr);
  CreateDirectoryW(kInstallDir.c_str(), nullptr);
  ASSERT_TRUE(writeFile(wide(payload::kFontBundle.destination), bundle));
  for (const auto& part : payload::kFontParts) DeleteFileW((kFonts + wide(part.fileName)).c_str());

  const VersionClass version = classify(system.versionRecord());
  const auto& expected = testenv::currentWindowsVersion();
  ASSERT_EQ(system.versionRecord().major, expected.major);

  ProgressMeter progress(view);
  BlockCopier copier(system, view, progress);
  const FontFolder folder(system, paths::fontFolder(system.windowsDirectory()));
  const std::int64_t planned = plannedByteTotal(version, folder) - std::int64_t{payload::kPayloadSize};
  // The parts come from the held setup file; a copy of the bundle stands in for it.
  const std::wstring source = L"C:\\bundle-source.bin";
  ASSERT_TRUE(writeFile(source, bundle));
  ScopedFile held(system, system.openReadHeld(utf16(source)));
  ASSERT_TRUE(held);
  FontStep(system, system, fonts, registry, view, state).run(version, copier, BundleSource{held.get(), 0});
  EXPECT_EQ(static_cast<std::int64_t>(view.stepIts) * kBytesPerStep + progress.counter(), planned);

  const auto& fangSong = payload::kFontParts[0];
  const auto& palace = payload::kFontParts[1];
  const auto& yaHei = payload::kFontParts[2];
  const auto fangSongValue = readValue(HKEY_LOCAL_MACHINE, kFontsKey, L"仿宋_GB2312(TrueType)");
  const auto palaceValue = readValue(HKEY_LOCAL_MACHINE, kFontsKey, L"Palace Script MT(TrueType)");
  switch (version) {
    case VersionClass::Xp:
      EXPECT_EQ(readFile(kFonts + L"simfang.ttf"), slice(fangSong));
      EXPECT_EQ(readFile(kFonts + L"PALSCRI.TTF"), slice(palace));
      EXPECT_EQ(readFile(kFonts + L"MSYH.TTF"), slice(yaHei));
      for (int n = 1; n <= 3; ++n) EXPECT_FALSE(fileExists(wide(fonts::transitFile(n))));
      EXPECT_FALSE(fileExists(wide(payload::kFontBundle.destination)));
      EXPECT_EQ(readFile(L"C:\\Program Files\\VelkorCrypt\\FirstRun.txt"),
                utf16le(u"首次安装，请勿删除！"));
      EXPECT_NE(palaceValue.status, ERROR_SUCCESS) << "nothing registered on XP";
      break;
    case VersionClass::Vista:
      EXPECT_EQ(state.bFirstInstall, 1);
      EXPECT_EQ(readFile(kFonts + L"simfang.ttf"), slice(fangSong));
      EXPECT_EQ(readFile(kFonts + L"PALSCRI.TTF"), slice(palace));
      EXPECT_EQ(fangSongValue.bytes, utf16le(u"simfang.ttf", true));
      EXPECT_EQ(palaceValue.bytes, utf16le(u"PALSCRI.TTF", true));
      EXPECT_EQ(fonts.addFontResource(u"C:\\windows\\Fonts\\PALSCRI.TTF"), 1) << "a usable font";
      break;
    case VersionClass::SevenOrLater:
      EXPECT_EQ(readFile(kInstallDir + L"simfang.ttf"), slice(fangSong));
      EXPECT_EQ(readFile(kFonts + L"simfang.ttf"), slice(fangSong));
      EXPECT_EQ(readFile(kFonts + L"PALSCRI.TTF"), slice(palace));
      EXPECT_FALSE(fileExists(kFonts + L"MSYH.TTF"));
      EXPECT_NE(palaceValue.status, ERROR_SUCCESS) << "nothing registered on this class";
      EXPECT_NE(fangSongValue.status, ERROR_SUCCESS);
      EXPECT_TRUE(fileExists(wide(payload::kFontBundle.destination))) << "the sequence deletes it later";
      break;
    case VersionClass::Other:
      FAIL() << "no font plan for this version";
  }
}

}  // namespace
}  // namespace velkor
