#include "engine/removal.h"

#include <optional>
#include <string>

#include "engine/install_paths.h"
#include "engine/registry_key.h"
#include "engine/shortcuts.h"

namespace velkor {
namespace {

// A fixed list of names, in its order.
struct Names {
  const char16_t* const* first;
  std::size_t count;
  template <std::size_t N>
  constexpr Names(const char16_t* const (&names)[N]) : first(names), count(N) {}
  const char16_t* const* begin() const { return first; }
  const char16_t* const* end() const { return first + count; }
};

// The program files of groups C and D, in the install directory.
constexpr const char16_t* kProgramFiles[] = {
    u"VelkorCrypt.exe", u"VelkorLock.exe", u"VelkorShredder.exe", u"Velkorsys.dll",
    u"Unins000.exe",    u"Uninstall.exe",  u"PALSCRI.TTF",        u"segoeui.ttf",
    u"USkin.dll",       u"USkin.u3",       u"RisingDragon.u3",    u"VistaCn.msstyles",
    u"skinh.she",       u"SkinHu.dll",     u"MediaInfo.dll",      u"ffmpeg.exe",
};

// The file type of groups C and D, leaf first.
constexpr const char16_t* kFileTypeKeys[] = {
    u"VKA archive\\shell\\open\\command", u"VKA archive\\shell\\open", u"VKA archive\\shell",
    u"VKA archive\\defaultIcon",          u"VKA archive",              u".vka",
};

// Group B: the context-menu handler library and its registrations. Only the
// three handler kinds under "shellex" go; "shellex" itself stays.
constexpr char16_t kHandlerTestKey[] = u"*\\shellex\\ContextMenuHandlers\\VelkorCrypt";
constexpr char16_t kHandlerLibrary[] = u"VelkorCryptMenuExt.dll";
constexpr const char16_t* kHandlerKeys[] = {
    u"*\\shellex\\ContextMenuHandlers\\VelkorCrypt",
    u"Directory\\shellex\\ContextMenuHandlers\\VelkorCrypt",
    u"Folder\\ShellEx\\ContextMenuHandlers\\VelkorCrypt",
    u"VKA archive\\shellex\\ContextMenuHandlers",
    u"VKA archive\\shellex\\DropHandler",
    u"VKA archive\\shellex\\PropertySheetHandlers",
    u"VKA 加密档案\\shellex\\ContextMenuHandlers",
    u"VKA 加密档案\\shellex\\DropHandler",
    u"VKA 加密档案\\shellex\\PropertySheetHandlers",
};
constexpr char16_t kMachineClasses[] = u"SOFTWARE\\Classes\\";

// Groups C and D: two generations of command names, shortcuts and files.
struct Generation {
  Names commandKeys;   // under HKEY_CLASSES_ROOT, leaf first; the file type follows
  Names desktopLinks;  // appended to the desktop folder
  Names programLinks;  // appended to the Programs folder
};

constexpr char16_t kVelkarTestKey[] = u"*\\shell\\Velkarencrypt or decrypt";
constexpr const char16_t* kVelkarCommandKeys[] = {
    u"Folder\\shell\\Velkarencrypt or decrypt\\command", u"Folder\\shell\\Velkarencrypt or decrypt",
     u"Folder\\shell\\Velkarsuper shredder\\command", u"Folder\\shell\\Velkarsuper shredder",
     u"*\\shell\\Velkarsuper shredder\\command", u"*\\shell\\Velkarsuper shredder",
     u"*\\shell\\Velkarencrypt or decrypt\\command", u"*\\shell\\Velkarencrypt or decrypt"};
constexpr const char16_t* kVelkarDesktopLinks[] = {u"\\Velkarsuper Encrypt.lnk", u"\\VelkorGuard.lnk",
                                                   u"\\Uninstall.lnk"};
constexpr const char16_t* kVelkarProgramLinks[] = {u"\\VelkorCrypt\\Velkarsuper Encrypt.lnk",
                                                   u"\\VelkorCrypt\\VelkorGuard.lnk",
                                                   u"\\VelkorCrypt\\Uninstall.lnk"};
constexpr Generation kVelkarGeneration = {kVelkarCommandKeys, kVelkarDesktopLinks,
                                          kVelkarProgramLinks};

constexpr const char16_t* kUpperCaseCommandKeys[] = {
    u"Folder\\shell\\VELKORCRYPT encrypt or decrypt\\command",
     u"Folder\\shell\\VELKORCRYPT encrypt or decrypt",
     u"Folder\\shell\\VELKORCRYPT super shredder\\command", u"Folder\\shell\\VELKORCRYPT super shredder",
     u"*\\shell\\VELKORCRYPT super shredder\\command", u"*\\shell\\VELKORCRYPT super shredder",
     u"*\\shell\\VELKORCRYPT encrypt or decrypt\\command", u"*\\shell\\VELKORCRYPT encrypt or decrypt"};
constexpr const char16_t* kUpperCaseDesktopLinks[] = {u"\\VelkorCrypt.lnk", u"\\VelkorGuard.lnk",
                                                      u"\\Uninstall.lnk"};
constexpr const char16_t* kUpperCaseProgramLinks[] = {
    u"\\VelkorCrypt\\Velkarsuper Encrypt.lnk", u"\\VelkorCrypt\\VelkorCrypt.lnk",
    u"\\VelkorCrypt\\VelkorGuard.lnk", u"\\VelkorCrypt\\Uninstall.lnk"};
constexpr Generation kUpperCaseGeneration = {kUpperCaseCommandKeys, kUpperCaseDesktopLinks,
                                             kUpperCaseProgramLinks};

// Group E: the current names, which the installation writes again later.
constexpr const char16_t* kCurrentKeys[] = {
    u"Folder\\shell\\Velkor超级文件加密器\\command", u"Folder\\shell\\Velkor超级文件加密器",
    u"Folder\\shell\\Velkor超级粉碎\\command",       u"Folder\\shell\\Velkor超级粉碎",
    u"*\\shell\\Velkor超级粉碎\\command",            u"*\\shell\\Velkor超级粉碎",
    u"*\\shell\\Velkor超级文件加密器\\command",      u"*\\shell\\Velkor超级文件加密器",
    u"VKA 加密档案\\shell\\open\\command",           u"VKA 加密档案\\shell\\open",
    u"VKA 加密档案\\shell",                          u"VKA 加密档案\\defaultIcon",
    u"VKA 加密档案",                                 u".vka",
};
constexpr const char16_t* kCurrentDesktopLinks[] = {shortcuts::kMainLinkName, shortcuts::kLockLinkName,
                                        shortcuts::kUninstallLinkName};

constexpr char16_t kSegoeUi[] = u"segoeui.ttf";

class Run {
 public:
  Run(FileSystem& fs, reg::RegistryPort& registry, SpecialFolders& folders)
      : fs_(fs), registry_(registry), folders_(folders), probe_(registry) {}

  // Whether the key opens under HKEY_CLASSES_ROOT; the probe keeps the last
  // key it opened until the removal returns.
  bool keyOpens(const char16_t* path) {
    return probe_.Open(reg::kClassesRoot, path, reg::kKeyAllAccess) == reg::kSuccess;
  }

  void deleteKeys(reg::RegKey root, Names keys, const char16_t* prefix = u"") {
    for (const char16_t* key : keys) registry_.deleteKey(root, (std::u16string(prefix) + key).c_str());
  }

  void deleteProgramFiles() {
    for (const char16_t* name : kProgramFiles) fs_.deleteFile(paths::inInstallDirectory(name));
  }

  // Links are deleted only from a folder that was found: a failed look-up
  // must not turn "\Uninstall.lnk" into a path at the root of the drive.
  void deleteLinks(const std::optional<std::u16string>& folder, Names names) {
    if (!folder) return;
    for (const char16_t* name : names) fs_.deleteFile(*folder + name);
  }

  void removeGeneration(const Generation& generation) {
    deleteKeys(reg::kClassesRoot, generation.commandKeys);
    deleteKeys(reg::kClassesRoot, kFileTypeKeys);
    const auto desktop = folders_.specialFolderPath(csidl::kDesktopDirectory);
    const auto programs = folders_.specialFolderPath(csidl::kPrograms);
    deleteLinks(desktop, generation.desktopLinks);
    deleteLinks(programs, generation.programLinks);
    // Goes only when nothing else is left in it.
    if (programs) fs_.removeDirectory(*programs + shortcuts::kProgramGroup);
    deleteProgramFiles();
  }

 private:
  FileSystem& fs_;
  reg::RegistryPort& registry_;
  SpecialFolders& folders_;
  CRegistryKey probe_;
};

}  // namespace

void Removal::RemovePreviousInstallation() {
  Run run(fs_, registry_, folders_);

  // A: fonts.
  const VersionRecord version = info_.versionRecord();
  if (version.major == 6 && version.minor >= 1)
    fonts_.removeFontResource(paths::inInstallDirectory(kSegoeUi));
  fonts_.addFontResource(paths::inInstallDirectory(payload::kFontParts[0].fileName));

  // B: the context-menu handler library.
  if (run.keyOpens(kHandlerTestKey)) {
    const std::u16string library = paths::inInstallDirectory(kHandlerLibrary);
    if (const LibraryHandle handle = libraries_.loadLibrary(library)) {
      // Only looked up, never called: the registrations go below in any case.
      libraries_.findEntryPoint(handle, "VelkorCryptMenuExt.dll");
      libraries_.freeLibrary(handle);
    }
    run.deleteKeys(reg::kClassesRoot, kHandlerKeys);
    run.deleteKeys(reg::kLocalMachine, kHandlerKeys, kMachineClasses);
    fs_.deleteFile(library);
  }

  // C: command names with the Velkar prefix.
  if (run.keyOpens(kVelkarTestKey)) run.removeGeneration(kVelkarGeneration);

  // D: upper-case command names, whenever the install directory exists.
  if (fs_.findFirst(paths::kInstallDirectory)) run.removeGeneration(kUpperCaseGeneration);

  // E: the current names.
  run.deleteKeys(reg::kClassesRoot, kCurrentKeys);
  run.deleteLinks(folders_.specialFolderPath(csidl::kDesktopDirectory), kCurrentDesktopLinks);
  view_.updateWindow();
  view_.updateWindow();
  shell_.notifyAssociationsChanged();
}

}  // namespace velkor
