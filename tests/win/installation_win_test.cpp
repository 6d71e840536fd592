// A whole installation on the real system of a Wine prefix: the test program
// is the image of a setup file with the demo payload (real stand-in programs
// and fonts), and the installation runs through every Win32 adapter. What it
// leaves is read back with the system's own calls.
#include <gtest/gtest.h>

#include <string>

#include "engine/installation.h"
#include "engine/machine_number.h"
#include "payload/layout.h"
#include "payload/pe_headers.h"
#include "lib/pumping_view.h"
#include "lib/wine_env.h"
#include "platform/win32_finish_ports.h"
#include "platform/win32_registry.h"
#include "platform/win32_system.h"
#include "win/finish_win_support.h"

namespace velkor {
namespace {

using namespace wintest;

const std::wstring kInstallDir = L"C:\\Program Files\\VelkorCrypt\\";

std::wstring fontsFolder() {
  wchar_t dir[MAX_PATH] = {};
  GetWindowsDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\Fonts\\";
}

struct RealInstallation : ::testing::Test {
  Win32System system;
  win32::Win32Registry registry;
  Win32FontTable fonts;
  Win32Libraries libraries;
  Win32SpecialFolders folders;
  Win32ShellLinks links;
  testlib::PumpingView view;
  WizardState state;
  std::vector<std::uint8_t> setup;
  std::size_t payloadEnd = 0;  // a signed setup file has its certificate table behind it

  void SetUp() override {
    setup = readFile(wide(system.modulePath()));
    ASSERT_GT(setup.size(), payload::kPayloadSize);
    std::optional<pe::CertificateTable> table;
    if (auto nt = pe::ntHeadersOffset(setup.data(), setup.size()))
      table = pe::certificateTable(setup.data() + *nt, setup.size() - *nt);
    payloadEnd = static_cast<std::size_t>(pe::payloadEnd(setup.size(), table));
    state.bInstalling = state.bConfigurePending = state.bSetupStarted = state.bBusy = 1;
  }

  void install() {
    SetupFile held = holdSetupFile(system);
    Installation(InstallationPorts{system, registry, fonts, libraries, folders, links}, view, state,
                 computeMachineNumber(system.volumeSerial(u"c:\\")), held)
        .run();
  }

  std::vector<std::uint8_t> slice(std::int64_t start, std::uint32_t length) const {
    const auto from = setup.begin() + static_cast<std::ptrdiff_t>(payloadEnd + start);
    return std::vector<std::uint8_t>(from, from + length);
  }
  std::vector<std::uint8_t> fontPart(int n) const {
    const auto& part = payload::kFontParts[n - 1];
    return slice(payload::kFontBundle.start + part.offset, part.length);
  }
};

TEST_F(RealInstallation, InstallsFilesFontsRegistryAndShortcuts) {
  const auto& version = testenv::currentWindowsVersion();
  install();
  ASSERT_EQ(state.bInstallFailed, 0) << "failure text: " << wide(view.text(1004).value_or(u"")).size();

  for (const auto& member : payload::kMembers) {
    SCOPED_TRACE(::testing::Message() << "member " << member.number);
    const std::wstring path = wide(member.destination);
    if (&member == &payload::kFontBundle) {
      EXPECT_FALSE(fileExists(path)) << "the bundle is removed after the installation";
      continue;
    }
    EXPECT_TRUE(readFile(path) == slice(member.start, member.length));
  }

  // Fonts as the version's plan says, on a prefix that has none.
  const std::wstring fontDir = fontsFolder();
  if (version.major == 6 && version.minor >= 1) {
    EXPECT_TRUE(readFile(kInstallDir + L"simfang.ttf") == fontPart(1));
    EXPECT_TRUE(readFile(fontDir + L"simfang.ttf") == fontPart(1));
    EXPECT_TRUE(readFile(fontDir + L"PALSCRI.TTF") == fontPart(2));
    EXPECT_FALSE(fileExists(fontDir + L"MSYH.TTF"));
    EXPECT_EQ(state.bLogoffPending, 0);
  } else if (version.major == 6) {
    EXPECT_TRUE(readFile(fontDir + L"simfang.ttf") == fontPart(1));
    EXPECT_TRUE(readFile(fontDir + L"PALSCRI.TTF") == fontPart(2));
    EXPECT_EQ(state.bFirstInstall, 1);
    EXPECT_EQ(state.bLogoffPending, 1);
    const auto palace = readValue(HKEY_LOCAL_MACHINE,
                                  L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                                  L"Palace Script MT(TrueType)");
    EXPECT_EQ(palace.type, static_cast<DWORD>(REG_SZ));
  } else {
    EXPECT_TRUE(readFile(fontDir + L"simfang.ttf") == fontPart(1));
    EXPECT_TRUE(readFile(fontDir + L"PALSCRI.TTF") == fontPart(2));
    EXPECT_TRUE(readFile(fontDir + L"MSYH.TTF") == fontPart(3));
    EXPECT_EQ(readFile(kInstallDir + L"FirstRun.txt"), utf16le(u"首次安装，请勿删除！"));
    EXPECT_FALSE(fileExists(kInstallDir + L"Velkar1"));
  }

  // The registry configuration, read back with the raw calls.
  const auto marker = readValue(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions");
  EXPECT_EQ(marker.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(marker.bytes, utf16le(u"5.0", true));
  const auto open = readValue(HKEY_CLASSES_ROOT, L"VKA 加密档案\\shell\\open\\command", L"");
  EXPECT_EQ(open.bytes,
            utf16le(u"\"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe\" \"%1\"", true));
  EXPECT_EQ(readValue(HKEY_CLASSES_ROOT, L".vka", L"").bytes, utf16le(u"VKA 加密档案", true));

  // The shortcuts, in the user's own folders.
  const std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring group = specialFolder(CSIDL_PROGRAMS) + L"\\VelkorCrypt";
  EXPECT_TRUE(readLink(desktop + L"\\Velkor超级文件加密器.lnk").target == kInstallDir + L"VelkorCrypt.exe");
  EXPECT_TRUE(readLink(desktop + L"\\Velkor系统锁.lnk").target == kInstallDir + L"VelkorLock.exe");
  EXPECT_TRUE(readLink(group + L"\\卸载Velkor软件.lnk").target == kInstallDir + L"Unins000.exe");

  // The bar stands at its maximum.
  EXPECT_EQ(view.position(), static_cast<int>(view.upperBound()));
}

// Every font already in the font folder (simfang.ttf of the bundle's size):
// nothing is copied there, nothing asks for a log-off, no first-run marker.
TEST_F(RealInstallation, WithEveryFontPresentTheFontFolderIsLeftAlone) {
  const auto& version = testenv::currentWindowsVersion();
  const std::wstring fontDir = fontsFolder();
  const std::vector<std::uint8_t> mine(3'996'872, 0x11);
  ASSERT_TRUE(writeFile(fontDir + L"simfang.ttf", mine));
  ASSERT_TRUE(writeFile(fontDir + L"PALSCRI.TTF", std::vector<std::uint8_t>(100, 0x22)));
  ASSERT_TRUE(writeFile(fontDir + L"MSYH.TTF", std::vector<std::uint8_t>(100, 0x33)));
  install();
  ASSERT_EQ(state.bInstallFailed, 0);
  EXPECT_TRUE(readFile(fontDir + L"simfang.ttf") == mine);
  EXPECT_EQ(readFile(fontDir + L"PALSCRI.TTF").size(), 100u);
  EXPECT_EQ(readFile(fontDir + L"MSYH.TTF").size(), 100u);
  EXPECT_EQ(state.bFirstInstall, 0);
  EXPECT_EQ(state.bLogoffPending, 0);
  EXPECT_FALSE(fileExists(kInstallDir + L"FirstRun.txt"));
  EXPECT_FALSE(fileExists(wide(payload::kFontBundle.destination)));
  const bool sevenOrLater = version.major == 6 && version.minor >= 1;
  // Only 6.1 and later keep a FangSong copy of their own in the install directory.
  EXPECT_EQ(fileExists(kInstallDir + L"simfang.ttf"), sevenOrLater);
  EXPECT_EQ(view.position(), sevenOrLater ? 615 : 575);
}

TEST_F(RealInstallation, ASecondInstallationOverTheFirstSucceedsToo) {
  install();
  ASSERT_EQ(state.bInstallFailed, 0);
  WizardState again;
  again.bInstalling = again.bConfigurePending = again.bSetupStarted = again.bBusy = 1;
  state = again;
  install();
  EXPECT_EQ(state.bInstallFailed, 0);
  EXPECT_TRUE(readFile(wide(payload::kMembers[4].destination)) ==
              slice(payload::kMembers[4].start, payload::kMembers[4].length));
}

}  // namespace
}  // namespace velkor

int main(int argc, char** argv) {
  CoInitialize(nullptr);
  testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  CoUninitialize();
  return rc;
}
