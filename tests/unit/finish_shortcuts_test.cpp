// The six shortcut operations on a fake shell: their calls in order, the COM
// pairing around every link call, the links' targets, and the skips.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/shortcuts.h"
#include "unit/finish_support.h"

namespace velkor {
namespace {

using testing::FinishMachine;
using testing::kDesktop;
using testing::kInstall;
using testing::kPrograms;

const std::u16string kMain = kInstall + u"VelkorCrypt.exe";
const std::u16string kLock = kInstall + u"VelkorLock.exe";
const std::u16string kUninstaller = kInstall + u"Unins000.exe";
const std::u16string kGroup = kPrograms + u"\\VelkorCrypt";

struct ShortcutMachine : FinishMachine {
  ShortcutMachine() { system.addFileOfSize(kLock, 64); }
  void createAll() {
    CShortcuts shortcuts(system, folders, links);
    shortcuts.CreateAll();
    EXPECT_FALSE(shortcuts.heldLink()) << "every link object released after use";
  }
  std::vector<std::u16string> shellCalls() const {
    return only({u"co", u"createLink", u"setPath", u"query", u"save", u"release", u"special",
                 u"createDirectory", u"findFirst"});
  }
};

// One link made by the common sequence.
std::vector<std::u16string> linkCalls(const std::u16string& target, const std::u16string& folderCall,
                                      const std::u16string& groupFolder, const std::u16string& path) {
  std::vector<std::u16string> calls = {u"coInitialize", u"createLink", u"setPath " + target, folderCall};
  if (!groupFolder.empty()) calls.push_back(u"createDirectory " + groupFolder);
  for (const std::u16string& c : {std::u16string(u"queryPersistFile"), u"save " + path,
                                 std::u16string(u"release persist"), std::u16string(u"release link"),
                                 std::u16string(u"coUninitialize")})
    calls.push_back(c);
  return calls;
}

TEST(Shortcuts, TheSixOperationsMakeTheirCallsInOrder) {
  ShortcutMachine m;
  m.createAll();
  std::vector<std::u16string> expected = {
      // 1: prepared, not saved; COM stays open for operation 2.
      u"createDirectory C:\\Program Files\\VelkorCrypt", u"coInitialize", u"createLink",
      u"setPath " + kMain,
      // 2: the path first, then its own pairing; both pairings end after the save.
      u"specialFolderPath 16", u"coInitialize", u"queryPersistFile",
      u"save " + kDesktop + u"\\Velkor超级文件加密器.lnk", u"release persist", u"release link",
      u"coUninitialize", u"coUninitialize"};
  for (const auto& part :
       {linkCalls(kLock, u"specialFolderPath 16", u"", kDesktop + u"\\Velkor系统锁.lnk"),
        linkCalls(kMain, u"specialFolderPath 2", kGroup, kGroup + u"\\Velkor超级文件加密器.lnk")})
    expected.insert(expected.end(), part.begin(), part.end());
  expected.push_back(u"findFirst " + kLock);
  for (const auto& part :
       {linkCalls(kLock, u"specialFolderPath 2", u"", kGroup + u"\\Velkor系统锁.lnk"),
        linkCalls(kUninstaller, u"specialFolderPath 2", kGroup, kGroup + u"\\卸载Velkor软件.lnk")})
    expected.insert(expected.end(), part.begin(), part.end());
  EXPECT_EQ(m.shellCalls(), expected);
}

TEST(Shortcuts, EveryLinkCallRunsInsideACOMPairingAndEverythingIsReleased) {
  ShortcutMachine m;
  m.createAll();
  EXPECT_EQ(m.links.callsOutsideCom, 0);
  EXPECT_EQ(m.links.badCalls, 0) << "no call on a released or unloaded object";
  EXPECT_EQ(m.links.unbalancedUninitialize, 0);
  EXPECT_EQ(m.links.comDepth(), 0);
  EXPECT_EQ(m.links.createdLinks(), 5u);
  EXPECT_EQ(m.links.liveLinks(), 0u);
  EXPECT_EQ(m.links.livePersists(), 0u);
  EXPECT_EQ(m.only({u"coInitialize"}).size(), 6u);
  EXPECT_EQ(m.only({u"coUninitialize"}).size(), 6u);
}

TEST(Shortcuts, TheLinksPointAtTheirPrograms) {
  ShortcutMachine m;
  m.createAll();
  EXPECT_EQ(m.links.targetOf(kDesktop + u"\\Velkor超级文件加密器.lnk"), kMain);
  EXPECT_EQ(m.links.targetOf(kDesktop + u"\\Velkor系统锁.lnk"), kLock);
  EXPECT_EQ(m.links.targetOf(kGroup + u"\\Velkor超级文件加密器.lnk"), kMain);
  EXPECT_EQ(m.links.targetOf(kGroup + u"\\Velkor系统锁.lnk"), kLock);
  EXPECT_EQ(m.links.targetOf(kGroup + u"\\卸载Velkor软件.lnk"), kUninstaller);
  EXPECT_EQ(m.only({u"specialFolderPath 16", u"specialFolderPath 2"}).size(), 5u)
      << "the current user's desktop and Programs folders only";
  EXPECT_EQ(m.only({u"specialFolderPath"}).size(), 5u);
}

TEST(Shortcuts, WithoutTheLockProgramTheGroupGetsNoLockShortcut) {
  ShortcutMachine m;
  m.system.deleteFile(kLock);
  m.createAll();
  EXPECT_EQ(m.links.targetOf(kDesktop + u"\\Velkor系统锁.lnk"), kLock) << "the desktop keeps it";
  EXPECT_FALSE(m.system.exists(kGroup + u"\\Velkor系统锁.lnk"));
  EXPECT_TRUE(m.system.exists(kGroup + u"\\卸载Velkor软件.lnk"));
  EXPECT_EQ(m.only({u"coInitialize"}).size(), 5u) << "operation 5 returns before any COM call";
  EXPECT_EQ(m.links.comDepth(), 0);
}

TEST(Shortcuts, ASecondRunOverwritesTheLinksAndReusesTheGroup) {
  ShortcutMachine m;
  m.system.addFileOfSize(kDesktop + u"\\Velkor超级文件加密器.lnk", 3);  // stale
  m.createAll();
  const auto first = m.system.tree();
  m.createAll();
  EXPECT_TRUE(m.system.tree() == first) << "the same files with the same contents";
  EXPECT_EQ(m.links.targetOf(kDesktop + u"\\Velkor超级文件加密器.lnk"), kMain);
}

TEST(Shortcuts, ALinkObjectThatCannotBeCreatedSkipsEveryShortcut) {
  ShortcutMachine m;
  m.links.failCreate = true;
  m.createAll();
  EXPECT_EQ(m.only({u"save", u"setPath", u"query"}).size(), 0u);
  EXPECT_FALSE(m.system.exists(kDesktop + u"\\Velkor超级文件加密器.lnk"));
  EXPECT_EQ(m.links.comDepth(), 0);
  EXPECT_EQ(m.links.unbalancedUninitialize, 0);
  EXPECT_EQ(m.links.badCalls, 0);
}

TEST(Shortcuts, AFolderThatCannotBeLookedUpSkipsItsShortcuts) {
  ShortcutMachine m;
  m.folders.folders.erase(csidl::kPrograms);
  m.createAll();
  EXPECT_TRUE(m.system.exists(kDesktop + u"\\Velkor超级文件加密器.lnk"));
  EXPECT_TRUE(m.system.exists(kDesktop + u"\\Velkor系统锁.lnk"));
  EXPECT_EQ(m.only({u"createDirectory"}),
            std::vector<std::u16string>{u"createDirectory C:\\Program Files\\VelkorCrypt"})
      << "no group folder made at a guessed place";
  EXPECT_EQ(m.only({u"save"}).size(), 2u);
  EXPECT_EQ(m.links.liveLinks(), 0u);
  EXPECT_EQ(m.links.comDepth(), 0);

  ShortcutMachine noDesktop;
  noDesktop.folders.folders.erase(csidl::kDesktopDirectory);
  noDesktop.createAll();
  EXPECT_EQ(noDesktop.only({u"save"}).size(), 3u) << "the program group still gets its three";
  EXPECT_EQ(noDesktop.links.liveLinks(), 0u) << "the prepared link released unsaved";
  EXPECT_EQ(noDesktop.links.comDepth(), 0);
}

TEST(Shortcuts, COMInitialisedElsewhereInAnotherModeIsNeverUninitialisedHere) {
  ShortcutMachine m;
  m.links.failCoInitialize = true;
  m.createAll();
  EXPECT_EQ(m.only({u"coUninitialize"}).size(), 0u);
  EXPECT_EQ(m.links.unbalancedUninitialize, 0);
}

TEST(Shortcuts, APreparedLinkThatIsNeverSavedIsReleasedWithItsPairing) {
  ShortcutMachine m;
  {
    CShortcuts shortcuts(m.system, m.folders, m.links);
    shortcuts.PrepareMainLink();
    EXPECT_EQ(m.links.comDepth(), 1) << "held open for the save";
    EXPECT_TRUE(shortcuts.heldLink());
  }
  EXPECT_EQ(m.links.liveLinks(), 0u);
  EXPECT_EQ(m.links.comDepth(), 0);
  EXPECT_EQ(m.links.badCalls, 0);
}

}  // namespace
}  // namespace velkor
