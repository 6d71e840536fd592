// The product's shortcuts: two on the current user's desktop and up to three
// in the program group "VelkorCrypt" under the user's Start-menu Programs
// folder. Each link carries only the path of a program in the install
// directory. Six operations, called in their fixed order.
#pragma once

#include <string_view>

#include "payload/layout.h"
#include "platform/file_system.h"
#include "platform/shell_links.h"
#include "platform/special_folders.h"

namespace velkor {

namespace shortcuts {

// Names appended to a folder path; each begins with a backslash.
inline constexpr char16_t kMainLinkName[] = u"\\Velkor超级文件加密器.lnk";
inline constexpr char16_t kLockLinkName[] = u"\\Velkor系统锁.lnk";
inline constexpr char16_t kUninstallLinkName[] = u"\\卸载Velkor软件.lnk";
inline constexpr char16_t kProgramGroup[] = u"\\VelkorCrypt";

// The programs the links point at, as the payload installs them.
inline constexpr const payload::Member& kMainProgram = payload::kMembers[4];
inline constexpr const payload::Member& kLockProgram = payload::kMembers[3];
inline constexpr const payload::Member& kUninstaller = payload::kMembers[0];
static_assert(std::u16string_view(kMainProgram.fileName) == u"VelkorCrypt.exe");
static_assert(std::u16string_view(kLockProgram.fileName) == u"VelkorLock.exe");
static_assert(std::u16string_view(kUninstaller.fileName) == u"Unins000.exe");

}  // namespace shortcuts

class CShortcuts {
 public:
  CShortcuts(FileSystem& fs, SpecialFolders& folders, ShellLinks& links)
      : fs_(fs), folders_(folders), links_(links) {}
  // Releases a prepared link that was never saved, and its COM pairing.
  ~CShortcuts();
  CShortcuts(const CShortcuts&) = delete;
  CShortcuts& operator=(const CShortcuts&) = delete;

  // The six operations in their order.
  void CreateAll();

  // 1: creates the install directory and a link to the main program; nothing
  // is saved. COM stays initialised until operation 2 has saved the link.
  void PrepareMainLink();
  // 2: saves the prepared link on the desktop.
  void CreateDesktopMainShortcut();
  // 3: the lock program, on the desktop (whether or not it is installed).
  void CreateDesktopLockShortcut();
  // 4: creates the program group; the main program in it.
  void CreateProgramsMainShortcut();
  // 5: the lock program in the program group, only when it is installed.
  void CreateProgramsLockShortcut();
  // 6: the uninstaller in the program group (created again if needed).
  void CreateProgramsUninstallShortcut();

  // The link object held between operations, none when nothing is held.
  ShellLinkHandle heldLink() const { return m_pShellLink; }

 private:
  bool beginCom();
  void endCom(bool initialised);
  // Creates a link to `target` in folder + group (made first when asked) + name.
  void createLinkFile(const char16_t* target, int folder, bool inProgramGroup,
                      bool createGroup, const char16_t* name);
  void saveHeldLink(const std::u16string& path);
  void releaseHeldLink();

  FileSystem& fs_;
  SpecialFolders& folders_;
  ShellLinks& links_;
  ShellLinkHandle m_pShellLink;
  // COM pairings of operation 1 still open for its link.
  int m_preparedPairings = 0;
};

}  // namespace velkor
