// The removal with the Win32 adapters on a prefix seeded with what each
// generation of the product leaves: keys under HKCR and HKLM, shortcuts in the
// user's folders, files in the install directory, a loaded font.
#include <gtest/gtest.h>

#include "engine/removal.h"
#include "fakes/fake_main_window.h"
#include "lib/wine_env.h"
#include "platform/win32_finish_ports.h"
#include "platform/win32_registry.h"
#include "platform/win32_system.h"
#include "win/finish_win_support.h"

namespace velkor {
namespace {

using namespace wintest;

const std::wstring kInstallDir = L"C:\\Program Files\\VelkorCrypt\\";

const wchar_t* const kProgramFiles[] = {
    L"VelkorCrypt.exe", L"VelkorLock.exe", L"VelkorShredder.exe", L"Velkorsys.dll",
    L"Unins000.exe",    L"Uninstall.exe",  L"PALSCRI.TTF",        L"USkin.dll",
    L"USkin.u3",        L"RisingDragon.u3", L"VistaCn.msstyles",  L"skinh.she",
    L"SkinHu.dll",      L"MediaInfo.dll",  L"ffmpeg.exe"};

const wchar_t* const kClassKeys[] = {
    L"*\\shellex\\ContextMenuHandlers\\VelkorCrypt",
    L"Directory\\shellex\\ContextMenuHandlers\\VelkorCrypt",
    L"Folder\\ShellEx\\ContextMenuHandlers\\VelkorCrypt",
    L"VKA archive\\shellex\\ContextMenuHandlers",
    L"VKA archive\\shellex\\DropHandler",
    L"VKA 加密档案\\shellex\\PropertySheetHandlers",
    L"*\\shell\\Velkarencrypt or decrypt\\command",
    L"Folder\\shell\\Velkarsuper shredder\\command",
    L"*\\shell\\VELKORCRYPT super shredder\\command",
    L"Folder\\shell\\VELKORCRYPT encrypt or decrypt\\command",
    L"VKA archive\\shell\\open\\command",
    L"VKA archive\\defaultIcon",
    L".vka",
    L"*\\shell\\Velkor超级文件加密器\\command",
    L"Folder\\shell\\Velkor超级粉碎\\command",
    L"VKA 加密档案\\shell\\open\\command",
    L"VKA 加密档案\\defaultIcon",
};

struct RealRemoval : ::testing::Test {
  Win32System system;
  Win32FontTable fonts;
  Win32Libraries libraries;
  Win32SpecialFolders folders;
  win32::Win32Registry registry;
  fakes::FakeMainWindow view;
  std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  std::wstring programs = specialFolder(CSIDL_PROGRAMS);

  void SetUp() override {
    ASSERT_FALSE(desktop.empty());
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    CreateDirectoryW(kInstallDir.c_str(), nullptr);
    for (const wchar_t* key : kClassKeys) makeKey(HKEY_CLASSES_ROOT, key);
    makeKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers\\VelkorCrypt");
    makeKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\VKA 加密档案\\shellex\\DropHandler");
    for (const wchar_t* name : kProgramFiles) ASSERT_TRUE(writeFile(kInstallDir + name, {'M', 'Z'}));
    const std::wstring library = hostPath("VELKOR_STANDIN_LIBRARY");
    ASSERT_TRUE(CopyFileW(library.c_str(), (kInstallDir + L"VelkorCryptMenuExt.dll").c_str(), FALSE));
    for (const wchar_t* link : {L"\\Velkarsuper Encrypt.lnk", L"\\VelkorGuard.lnk", L"\\Uninstall.lnk",
                                L"\\VelkorCrypt.lnk", L"\\Velkor超级文件加密器.lnk", L"\\Velkor系统锁.lnk",
                                L"\\卸载Velkor软件.lnk"})
      ASSERT_TRUE(writeFile(desktop + link, {'L'}));
    CreateDirectoryW((programs + L"\\VelkorCrypt").c_str(), nullptr);
    for (const wchar_t* link : {L"\\Velkarsuper Encrypt.lnk", L"\\VelkorCrypt.lnk", L"\\Uninstall.lnk"})
      ASSERT_TRUE(writeFile(programs + L"\\VelkorCrypt" + link, {'L'}));
  }

  void remove() {
    Removal(system, system, fonts, libraries, registry, folders, system, view).RemovePreviousInstallation();
  }
};

TEST_F(RealRemoval, EveryGenerationsKeysLinksAndFilesGo) {
  ASSERT_TRUE(writeFile(kInstallDir + L"notes.txt", {'n'}));
  remove();
  for (const wchar_t* key : kClassKeys) {
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key));
  }
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"*\\shell\\Velkarencrypt or decrypt"));
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"VKA 加密档案\\shell"));
  EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, L"VKA 加密档案\\shellex")) << "held up by nothing, but never named";
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers\\VelkorCrypt"));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\VKA 加密档案\\shellex\\DropHandler"));
  EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, L"VKA archive\\shellex")) << "shellex itself is never deleted";
  EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, L"VKA archive")) << "so its parent stays";

  for (const wchar_t* name : kProgramFiles) EXPECT_FALSE(fileExists(kInstallDir + name));
  EXPECT_FALSE(fileExists(kInstallDir + L"VelkorCryptMenuExt.dll")) << "loaded, released, deleted";
  EXPECT_TRUE(fileExists(kInstallDir + L"notes.txt"));
  EXPECT_TRUE(fileExists(kInstallDir)) << "the install directory stays";
  for (const wchar_t* link : {L"\\Velkarsuper Encrypt.lnk", L"\\VelkorGuard.lnk", L"\\Uninstall.lnk",
                              L"\\VelkorCrypt.lnk", L"\\Velkor超级文件加密器.lnk", L"\\Velkor系统锁.lnk",
                              L"\\卸载Velkor软件.lnk"})
    EXPECT_FALSE(fileExists(desktop + link));
  EXPECT_FALSE(fileExists(programs + L"\\VelkorCrypt")) << "the emptied program group goes";
  EXPECT_EQ(view.eventsOf(fakes::FakeMainWindow::Kind::UpdateWindow).size(), 2u);
}

TEST_F(RealRemoval, AProgramGroupWithOtherEntriesStays) {
  ASSERT_TRUE(writeFile(programs + L"\\VelkorCrypt\\Readme.txt", {'r'}));
  remove();
  EXPECT_FALSE(fileExists(programs + L"\\VelkorCrypt\\Uninstall.lnk"));
  EXPECT_TRUE(fileExists(programs + L"\\VelkorCrypt\\Readme.txt"));
  DeleteFileW((programs + L"\\VelkorCrypt\\Readme.txt").c_str());
}

TEST_F(RealRemoval, SegoeUiIsWithdrawnOnlyOnSixOneAndLater) {
  // A font loaded from the install directory, as an earlier product left it.
  const std::wstring segoe = kInstallDir + L"segoeui.ttf";
  const std::wstring parts = hostPath("VELKOR_FONT_PARTS");
  ASSERT_TRUE(CopyFileW((parts + L"\\PALSCRI.TTF").c_str(), segoe.c_str(), FALSE));
  ASSERT_EQ(AddFontResourceW(segoe.c_str()), 1);
  remove();
  const auto& version = testenv::currentWindowsVersion();
  const bool withdrawn = version.major == 6 && version.minor >= 1;
  // One addition was made; a withdrawal that already happened leaves none.
  EXPECT_EQ(RemoveFontResourceW(segoe.c_str()) != FALSE, !withdrawn);
}

}  // namespace
}  // namespace velkor
