// The removal of an earlier installation on a fake machine whose registry
// deletes only keys without subkeys: the call sequence on a clean machine,
// each generation's keys, links and files, and what must survive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/removal.h"
#include "unit/finish_support.h"

namespace velkor {
namespace {

using fakes::FakeRegistry;
using testing::FinishMachine;
using testing::kDesktop;
using testing::kInstall;
using testing::kPrograms;

const std::vector<std::u16string> kProgramFiles = {
    u"VelkorCrypt.exe", u"VelkorLock.exe", u"VelkorShredder.exe", u"Velkorsys.dll",
    u"Unins000.exe",    u"Uninstall.exe",  u"PALSCRI.TTF",        u"segoeui.ttf",
    u"USkin.dll",       u"USkin.u3",       u"RisingDragon.u3",    u"VistaCn.msstyles",
    u"skinh.she",       u"SkinHu.dll",     u"MediaInfo.dll",      u"ffmpeg.exe"};

std::vector<std::u16string> prefixed(const std::u16string& prefix,
                                     const std::vector<std::u16string>& names,
                                     const std::u16string& suffix = u"") {
  std::vector<std::u16string> out;
  for (const auto& n : names) out.push_back(prefix + n + suffix);
  return out;
}

void append(std::vector<std::u16string>& to, const std::vector<std::u16string>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

// The calls of one run on a machine that never had the product, on Windows 7:
// groups A, D (the install directory was just created) and E.
std::vector<std::u16string> cleanMachineCalls() {
  std::vector<std::u16string> calls = {
      u"removeFontResource " + kInstall + u"segoeui.ttf",
      u"addFontResource " + kInstall + u"simfang.ttf",
      u"Open HKCR\\*\\shellex\\ContextMenuHandlers\\VelkorCrypt failed",
      u"Open HKCR\\*\\shell\\Velkarencrypt or decrypt failed",
      u"findFirst C:\\Program Files\\VelkorCrypt",
  };
  append(calls, prefixed(u"Delete HKCR\\", {
      u"Folder\\shell\\VELKORCRYPT encrypt or decrypt\\command",
      u"Folder\\shell\\VELKORCRYPT encrypt or decrypt",
      u"Folder\\shell\\VELKORCRYPT super shredder\\command",
      u"Folder\\shell\\VELKORCRYPT super shredder",
      u"*\\shell\\VELKORCRYPT super shredder\\command",
      u"*\\shell\\VELKORCRYPT super shredder",
      u"*\\shell\\VELKORCRYPT encrypt or decrypt\\command",
      u"*\\shell\\VELKORCRYPT encrypt or decrypt",
      u"VKA archive\\shell\\open\\command", u"VKA archive\\shell\\open", u"VKA archive\\shell",
      u"VKA archive\\defaultIcon", u"VKA archive", u".vka"}, u" failed"));
  append(calls, {u"specialFolderPath 16", u"specialFolderPath 2"});
  append(calls, prefixed(u"deleteFile " + kDesktop, {u"\\VelkorCrypt.lnk", u"\\VelkorGuard.lnk",
                                                     u"\\Uninstall.lnk"}));
  append(calls, prefixed(u"deleteFile " + kPrograms, {
      u"\\VelkorCrypt\\Velkarsuper Encrypt.lnk", u"\\VelkorCrypt\\VelkorCrypt.lnk",
      u"\\VelkorCrypt\\VelkorGuard.lnk", u"\\VelkorCrypt\\Uninstall.lnk"}));
  calls.push_back(u"removeDirectory " + kPrograms + u"\\VelkorCrypt");
  append(calls, prefixed(u"deleteFile " + kInstall, kProgramFiles));
  append(calls, prefixed(u"Delete HKCR\\", {
      u"Folder\\shell\\Velkor超级文件加密器\\command", u"Folder\\shell\\Velkor超级文件加密器",
      u"Folder\\shell\\Velkor超级粉碎\\command", u"Folder\\shell\\Velkor超级粉碎",
      u"*\\shell\\Velkor超级粉碎\\command", u"*\\shell\\Velkor超级粉碎",
      u"*\\shell\\Velkor超级文件加密器\\command", u"*\\shell\\Velkor超级文件加密器",
      u"VKA 加密档案\\shell\\open\\command", u"VKA 加密档案\\shell\\open", u"VKA 加密档案\\shell",
      u"VKA 加密档案\\defaultIcon", u"VKA 加密档案", u".vka"}, u" failed"));
  calls.push_back(u"specialFolderPath 16");
  append(calls, prefixed(u"deleteFile " + kDesktop, {u"\\Velkor超级文件加密器.lnk",
                                                     u"\\Velkor系统锁.lnk", u"\\卸载Velkor软件.lnk"}));
  append(calls, {u"updateWindow", u"updateWindow", u"notifyAssociationsChanged"});
  return calls;
}

// Every registry key, shortcut and file that the four generations leave.
void seedEveryGeneration(FinishMachine& m) {
  for (const char16_t* key : {
           u"*\\shellex\\ContextMenuHandlers\\VelkorCrypt",
           u"Directory\\shellex\\ContextMenuHandlers\\VelkorCrypt",
           u"Folder\\ShellEx\\ContextMenuHandlers\\VelkorCrypt",
           u"VKA 加密档案\\shellex\\ContextMenuHandlers", u"VKA 加密档案\\shellex\\DropHandler",
           u"VKA 加密档案\\shellex\\PropertySheetHandlers",
           u"*\\shell\\Velkarencrypt or decrypt\\command", u"*\\shell\\Velkarsuper shredder\\command",
           u"Folder\\shell\\Velkarencrypt or decrypt\\command",
           u"Folder\\shell\\Velkarsuper shredder\\command",
           u"*\\shell\\VELKORCRYPT encrypt or decrypt\\command",
           u"*\\shell\\VELKORCRYPT super shredder\\command",
           u"Folder\\shell\\VELKORCRYPT encrypt or decrypt\\command",
           u"Folder\\shell\\VELKORCRYPT super shredder\\command",
           u"VKA archive\\shell\\open\\command", u"VKA archive\\defaultIcon", u".vka",
           u"*\\shell\\Velkor超级文件加密器\\command", u"*\\shell\\Velkor超级粉碎\\command",
           u"Folder\\shell\\Velkor超级文件加密器\\command", u"Folder\\shell\\Velkor超级粉碎\\command",
           u"VKA 加密档案\\shell\\open\\command", u"VKA 加密档案\\defaultIcon"})
    m.registry.putKey(reg::kClassesRoot, key);
  for (const char16_t* key : {u"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers\\VelkorCrypt",
                              u"SOFTWARE\\Classes\\Directory\\shellex\\ContextMenuHandlers\\VelkorCrypt",
                              u"SOFTWARE\\Classes\\VKA 加密档案\\shellex\\DropHandler"})
    m.registry.putKey(reg::kLocalMachine, key);
  for (const auto& name : kProgramFiles) m.system.addFileOfSize(kInstall + name, 16);
  m.system.addFileOfSize(kInstall + u"VelkorCryptMenuExt.dll", 16);
  for (const char16_t* link : {u"\\Velkarsuper Encrypt.lnk", u"\\VelkorGuard.lnk", u"\\Uninstall.lnk",
                               u"\\VelkorCrypt.lnk", u"\\Velkor超级文件加密器.lnk", u"\\Velkor系统锁.lnk",
                               u"\\卸载Velkor软件.lnk"})
    m.system.addFileOfSize(kDesktop + link, 16);
  for (const char16_t* link : {u"\\Velkarsuper Encrypt.lnk", u"\\VelkorGuard.lnk", u"\\Uninstall.lnk",
                               u"\\VelkorCrypt.lnk"})
    m.system.addFileOfSize(kPrograms + u"\\VelkorCrypt" + link, 16);
}

TEST(Removal, OnACleanMachineRunsGroupsADAndEInOrder) {
  FinishMachine m;
  m.setVersion(6, 1);
  m.removal().RemovePreviousInstallation();
  EXPECT_EQ(m.only({u"removeFont", u"addFont", u"Open", u"Delete", u"findFirst", u"special",
                    u"delete", u"removeDirectory", u"update", u"notify", u"load"}),
            cleanMachineCalls());
  EXPECT_TRUE(m.system.isDirectory(u"C:\\Program Files\\VelkorCrypt")) << "never removed";
}

TEST(Removal, WithdrawsSegoeUiOnlyOnSixOneAndLater) {
  struct Case {
    std::uint32_t major, minor;
    bool withdrawn;
  };
  for (const Case c : {Case{5, 1, false}, Case{6, 0, false}, Case{6, 1, true}, Case{6, 2, true},
                       Case{6, 3, true}, Case{5, 0, false}, Case{10, 0, false}}) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    FinishMachine m;
    m.setVersion(c.major, c.minor);
    m.removal().RemovePreviousInstallation();
    const auto fontCalls = m.only({u"removeFontResource", u"addFontResource"});
    std::vector<std::u16string> expected;
    if (c.withdrawn) expected.push_back(u"removeFontResource " + kInstall + u"segoeui.ttf");
    expected.push_back(u"addFontResource " + kInstall + u"simfang.ttf");
    EXPECT_EQ(fontCalls, expected);
  }
}

TEST(Removal, RemovesEveryGenerationsKeysLinksAndFiles) {
  FinishMachine m;
  seedEveryGeneration(m);
  m.system.addFileOfSize(kInstall + u"notes.txt", 3);
  m.removal().RemovePreviousInstallation();

  EXPECT_EQ(m.registry.leafKeys(reg::kClassesRoot),
            (std::vector<std::u16string>{u"*\\shell", u"*\\shellex\\ContextMenuHandlers",
                                         u"Directory\\shellex\\ContextMenuHandlers",
                                         u"Folder\\ShellEx\\ContextMenuHandlers", u"Folder\\shell",
                                         u"VKA 加密档案\\shellex"}))
      << "only parents that no list names, and the shellex keys themselves, are left";
  EXPECT_EQ(m.registry.leafKeys(reg::kLocalMachine),
            (std::vector<std::u16string>{u"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers",
                                         u"SOFTWARE\\Classes\\Directory\\shellex\\ContextMenuHandlers",
                                         u"SOFTWARE\\Classes\\VKA 加密档案\\shellex"}));
  for (const auto& name : kProgramFiles) EXPECT_FALSE(m.system.exists(kInstall + name));
  EXPECT_FALSE(m.system.exists(kInstall + u"VelkorCryptMenuExt.dll"));
  EXPECT_TRUE(m.system.exists(kInstall + u"notes.txt")) << "no file outside the list";
  for (const auto& [path, node] : m.system.tree()) {
    EXPECT_EQ(path.find(u"desktop\\"), std::u16string::npos) << "desktop emptied";
  }
  EXPECT_FALSE(m.system.exists(kPrograms + u"\\VelkorCrypt")) << "the emptied group folder goes";
  EXPECT_EQ(m.registry.openHandles(), 0u) << "the probe's key is closed on return";
}

TEST(Removal, TheHandlerLibraryIsLoadedAndReleasedWithoutCallingIt) {
  FinishMachine m;
  seedEveryGeneration(m);
  m.removal().RemovePreviousInstallation();
  EXPECT_EQ(m.only({u"loadLibrary", u"findEntryPoint", u"freeLibrary"}),
            (std::vector<std::u16string>{u"loadLibrary " + kInstall + u"VelkorCryptMenuExt.dll",
                                         u"findEntryPoint VelkorCryptMenuExt.dll", u"freeLibrary"}));
  EXPECT_EQ(m.libraries.loadedCount(), 0u);
}

TEST(Removal, AMissingHandlerLibraryIsNotLookedInto) {
  FinishMachine m;
  m.registry.putKey(reg::kClassesRoot, u"*\\shellex\\ContextMenuHandlers\\VelkorCrypt");
  m.removal().RemovePreviousInstallation();
  EXPECT_EQ(m.only({u"loadLibrary", u"findEntryPoint", u"freeLibrary"}),
            std::vector<std::u16string>{u"loadLibrary " + kInstall + u"VelkorCryptMenuExt.dll"});
  EXPECT_FALSE(m.registry.hasKey(reg::kClassesRoot, u"*\\shellex\\ContextMenuHandlers\\VelkorCrypt"));
}

TEST(Removal, VkaArchiveSurvivesWhileItsShellexKeyRemains) {
  FinishMachine m;
  m.registry.putKey(reg::kClassesRoot, u"*\\shellex\\ContextMenuHandlers\\VelkorCrypt");
  m.registry.putKey(reg::kClassesRoot, u"VKA archive\\shellex\\ContextMenuHandlers");
  m.registry.putKey(reg::kClassesRoot, u"VKA archive\\shellex\\DropHandler");
  m.registry.putKey(reg::kClassesRoot, u"VKA archive\\shell\\open\\command");
  m.registry.putKey(reg::kClassesRoot, u"VKA archive\\defaultIcon");
  m.registry.putKey(reg::kClassesRoot, u"*\\shell\\Velkarencrypt or decrypt\\command");
  m.removal().RemovePreviousInstallation();

  EXPECT_TRUE(m.registry.hasKey(reg::kClassesRoot, u"VKA archive\\shellex"));
  EXPECT_FALSE(m.registry.hasKey(reg::kClassesRoot, u"VKA archive\\shellex\\DropHandler"));
  EXPECT_FALSE(m.registry.hasKey(reg::kClassesRoot, u"VKA archive\\shell"));
  EXPECT_FALSE(m.registry.hasKey(reg::kClassesRoot, u"VKA archive\\defaultIcon"));
  // Groups C and D both try it; both times the remaining subkey stops the delete.
  const auto archiveDeletes = m.only({u"Delete HKCR\\VKA archive failed"});
  EXPECT_EQ(archiveDeletes.size(), 2u);
  EXPECT_TRUE(m.registry.hasKey(reg::kClassesRoot, u"VKA archive"));
}

TEST(Removal, GroupCRunsOnlyWhenItsKeyOpensAndRepeatsTheFileDeletionsWithD) {
  FinishMachine m;
  m.removal().RemovePreviousInstallation();
  EXPECT_EQ(m.system.countCalls(u"deleteFile", kInstall + u"VelkorCrypt.exe"), 1u) << "D only";

  FinishMachine both;
  both.registry.putKey(reg::kClassesRoot, u"*\\shell\\Velkarencrypt or decrypt");
  both.removal().RemovePreviousInstallation();
  EXPECT_EQ(both.system.countCalls(u"deleteFile", kInstall + u"VelkorCrypt.exe"), 2u) << "C and D";
  EXPECT_EQ(both.system.countCalls(u"removeDirectory"), 2u);
}

TEST(Removal, GroupDIsSkippedWithoutTheInstallDirectory) {
  FinishMachine m;
  m.system.removeDirectory(u"C:\\Program Files\\VelkorCrypt");
  m.journal.clear();
  m.removal().RemovePreviousInstallation();
  EXPECT_EQ(m.only({u"removeDirectory"}).size(), 0u);
  EXPECT_EQ(m.only({u"Delete HKCR\\*\\shell\\VELKORCRYPT"}).size(), 0u);
  EXPECT_EQ(m.only({u"Delete HKCR\\*\\shell\\Velkor超级文件加密器"}).size(), 2u) << "E still runs";
}

TEST(Removal, TheProgramGroupStaysWhileSomethingElseIsInIt) {
  FinishMachine m;
  m.system.addFileOfSize(kPrograms + u"\\VelkorCrypt\\Uninstall.lnk", 8);
  m.system.addFileOfSize(kPrograms + u"\\VelkorCrypt\\Readme.lnk", 8);
  m.removal().RemovePreviousInstallation();
  EXPECT_FALSE(m.system.exists(kPrograms + u"\\VelkorCrypt\\Uninstall.lnk"));
  EXPECT_TRUE(m.system.isDirectory(kPrograms + u"\\VelkorCrypt"));
}

TEST(Removal, ALinkNamedByBothOldGenerationsGoesWhicheverRuns) {
  FinishMachine m;
  m.system.removeDirectory(u"C:\\Program Files\\VelkorCrypt");  // no group D
  m.registry.putKey(reg::kClassesRoot, u"*\\shell\\Velkarencrypt or decrypt");
  m.system.addFileOfSize(kDesktop + u"\\VelkorGuard.lnk", 8);
  m.removal().RemovePreviousInstallation();
  EXPECT_FALSE(m.system.exists(kDesktop + u"\\VelkorGuard.lnk"));
}

TEST(Removal, AProgramInUseSurvivesItsDeletion) {
  FinishMachine m;
  m.system.addFileOfSize(kInstall + u"VelkorCrypt.exe", 8);
  m.system.addFileOfSize(kInstall + u"VelkorLock.exe", 8);
  const FileHandle running = m.system.openRead(kInstall + u"VelkorCrypt.exe");
  m.removal().RemovePreviousInstallation();
  EXPECT_TRUE(m.system.exists(kInstall + u"VelkorCrypt.exe"));
  EXPECT_FALSE(m.system.exists(kInstall + u"VelkorLock.exe"));
  m.system.close(running);
}

TEST(Removal, FoldersThatCannotBeLookedUpLoseNothing) {
  FinishMachine m;
  m.folders.folders.clear();
  m.registry.putKey(reg::kClassesRoot, u"*\\shell\\Velkarencrypt or decrypt");
  m.removal().RemovePreviousInstallation();
  for (const auto& call : m.system.calls())
    if (call.op == u"deleteFile" || call.op == u"removeDirectory")
      EXPECT_EQ(call.path.rfind(kInstall, 0), 0u) << "only the install directory's files";
  EXPECT_EQ(m.system.countCalls(u"deleteFile"), 32u) << "the program files of C and D";
}

TEST(Removal, TheProbeKeepsTheLastKeyItOpenedAndClosesItOnReturn) {
  FinishMachine m;
  m.registry.putKey(reg::kClassesRoot, u"*\\shellex\\ContextMenuHandlers\\VelkorCrypt");
  m.registry.putKey(reg::kClassesRoot, u"*\\shell\\Velkarencrypt or decrypt");
  m.removal().RemovePreviousInstallation();
  const auto probe = m.only({u"Open HKCR", u"Close HKCR"});
  EXPECT_EQ(probe, (std::vector<std::u16string>{
                       u"Open HKCR\\*\\shellex\\ContextMenuHandlers\\VelkorCrypt",
                       u"Open HKCR\\*\\shell\\Velkarencrypt or decrypt",
                       u"Close HKCR\\*\\shellex\\ContextMenuHandlers\\VelkorCrypt",
                       u"Close HKCR\\*\\shell\\Velkarencrypt or decrypt"}));
  EXPECT_EQ(m.registry.openHandles(), 0u);
}

}  // namespace
}  // namespace velkor
