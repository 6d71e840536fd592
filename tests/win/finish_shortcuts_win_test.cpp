// The shortcut operations with the Win32 adapters: real .lnk files in the
// prefix's desktop and Programs folders, loaded again through IShellLinkW.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/shortcuts.h"
#include "platform/win32_finish_ports.h"
#include "platform/win32_system.h"
#include "win/finish_win_support.h"

namespace velkor {
namespace {

using namespace wintest;

const std::wstring kInstallDir = L"C:\\Program Files\\VelkorCrypt";
const std::wstring kMain = kInstallDir + L"\\VelkorCrypt.exe";
const std::wstring kLock = kInstallDir + L"\\VelkorLock.exe";
const std::wstring kUninstaller = kInstallDir + L"\\Unins000.exe";

struct RealShortcuts : ::testing::Test {
  Win32System system;
  Win32SpecialFolders folders;
  Win32ShellLinks links;
  std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  std::wstring group = specialFolder(CSIDL_PROGRAMS) + L"\\VelkorCrypt";

  void SetUp() override {
    ASSERT_FALSE(desktop.empty());
    ASSERT_FALSE(group.empty());
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    CreateDirectoryW(kInstallDir.c_str(), nullptr);
    // Links from an earlier test of this run go first.
    for (const auto* name : {L"\\Velkor超级文件加密器.lnk", L"\\Velkor系统锁.lnk"})
      DeleteFileW((desktop + name).c_str());
    for (const auto& name : folderEntries(group)) DeleteFileW((group + L"\\" + name).c_str());
  }

  void createAll() { CShortcuts(system, folders, links).CreateAll(); }

  void expectLink(const std::wstring& path, const std::wstring& target) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    const LinkFile link = readLink(path);
    ASSERT_TRUE(link.loaded);
    EXPECT_TRUE(link.target == target) << "target read back in Unicode";
    EXPECT_TRUE(link.arguments.empty());
    EXPECT_TRUE(link.workingDirectory.empty());
    EXPECT_TRUE(link.description.empty());
  }
};

TEST_F(RealShortcuts, FiveLinksInTheUsersFoldersWithTheirTargets) {
  ASSERT_TRUE(writeFile(kLock, {'M', 'Z'}));
  createAll();
  expectLink(desktop + L"\\Velkor超级文件加密器.lnk", kMain);
  expectLink(desktop + L"\\Velkor系统锁.lnk", kLock);
  expectLink(group + L"\\Velkor超级文件加密器.lnk", kMain);
  expectLink(group + L"\\Velkor系统锁.lnk", kLock);
  expectLink(group + L"\\卸载Velkor软件.lnk", kUninstaller);

  const std::wstring common = specialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  if (!common.empty() && common != desktop) {
    EXPECT_FALSE(fileExists(common + L"\\Velkor超级文件加密器.lnk")) << "nothing for all users";
  }
}

TEST_F(RealShortcuts, ASecondRunLeavesOneCopyOfEach) {
  ASSERT_TRUE(writeFile(kLock, {'M', 'Z'}));
  createAll();
  createAll();
  auto entries = folderEntries(group);
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::wstring>{L"Velkor系统锁.lnk", L"Velkor超级文件加密器.lnk",
                                                L"卸载Velkor软件.lnk"}));
  expectLink(desktop + L"\\Velkor超级文件加密器.lnk", kMain);
}

TEST_F(RealShortcuts, WithoutTheLockProgramTheGroupHasNoLockLink) {
  DeleteFileW(kLock.c_str());
  createAll();
  expectLink(desktop + L"\\Velkor系统锁.lnk", kLock);
  EXPECT_FALSE(fileExists(group + L"\\Velkor系统锁.lnk"));
  expectLink(group + L"\\卸载Velkor软件.lnk", kUninstaller);
}

}  // namespace
}  // namespace velkor
