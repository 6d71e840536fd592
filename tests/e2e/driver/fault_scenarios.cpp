// Scenarios of bad setup files and faults of the machine: each prepares a copy
// of the setup file or the machine, drives the wizard like a user, and checks
// what the wizard reports and what it leaves behind.
#include <windows.h>
#include <aclapi.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/failure_display.h"
#include "engine/font_step.h"
#include "engine/install_paths.h"
#include "payload/layout.h"
#include "payload/pe_headers.h"
#include "engine/registry_config.h"
#include "engine/shortcuts.h"
#include "lib/crc_forge.h"
#include "lib/wine_env.h"
#include "scenarios.h"
#include "verify.h"
#include "win/finish_win_support.h"
#include "wizard_steps.h"

namespace velkor::e2e {
namespace {


// The font folder itself, for calls that take a folder.
std::wstring fontsFolderItself() {
  const std::wstring folder = fontsFolder();
  return folder.substr(0, folder.size() - 1);
}

std::string lastError() { return "error " + std::to_string(GetLastError()); }

// ---- The setup file and its damaged copies ---------------------------------

std::uint64_t fileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A change to a copy of the setup file, made with the file open for writing.
using Damage = std::function<bool(HANDLE file, std::uint64_t size)>;

bool seekTo(HANDLE f, std::uint64_t at) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(at);
  return SetFilePointerEx(f, to, nullptr, FILE_BEGIN) != FALSE;
}

Damage truncateBy(std::uint64_t bytes) {
  return [bytes](HANDLE f, std::uint64_t size) { return seekTo(f, size - bytes) && SetEndOfFile(f); };
}

Damage flipByteAt(std::int64_t fromEnd) {
  return [fromEnd](HANDLE f, std::uint64_t size) {
    const std::uint64_t at = size - static_cast<std::uint64_t>(-fromEnd);
    std::uint8_t byte = 0;
    DWORD n = 0;
    if (!seekTo(f, at) || !ReadFile(f, &byte, 1, &n, nullptr) || n != 1) return false;
    byte = static_cast<std::uint8_t>(~byte);
    return seekTo(f, at) && WriteFile(f, &byte, 1, &n, nullptr) && n == 1;
  };
}

Damage append(std::uint32_t bytes) {
  return [bytes](HANDLE f, std::uint64_t size) {
    const std::vector<std::uint8_t> tail(bytes, 0);
    DWORD n = 0;
    return seekTo(f, size) && WriteFile(f, tail.data(), bytes, &n, nullptr) && n == bytes;
  };
}

// One byte of the main program changed and four more chosen so that the
// payload's CRC-32 stays what it was: what a hostile copy would do.
Damage changeKeepingCrc32() {
  return [](HANDLE f, std::uint64_t size) {
    std::vector<std::uint8_t> payload(payload::kPayloadSize);
    DWORD n = 0;
    if (!seekTo(f, size - payload.size()) || !ReadFile(f, payload.data(), payload::kPayloadSize, &n, nullptr) ||
        n != payload::kPayloadSize)
      return false;
    const std::uint32_t crc = crc32(payload.data(), payload.size());
    const std::size_t at = payload::offsetInPayload(payload::kMembers[4]) + 0x1000;
    payload[at] ^= 0x5A;
    testing::restoreCrc32(payload.data(), payload.size(), at + 0x100, crc);
    if (crc32(payload.data(), payload.size()) != crc) return false;
    return seekTo(f, size - payload.size()) && WriteFile(f, payload.data(), payload::kPayloadSize, &n, nullptr) &&
           n == payload::kPayloadSize;
  };
}

void damageCopy(Driver& d, const std::wstring& copy, const Damage& damage) {
  HANDLE f = CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  d.expect(f != INVALID_HANDLE_VALUE, utf8(copy) + " open for writing", lastError());
  LARGE_INTEGER size{};
  const bool done = GetFileSizeEx(f, &size) && damage(f, static_cast<std::uint64_t>(size.QuadPart));
  CloseHandle(f);
  d.expect(done, "the damage made to " + utf8(copy), lastError());
}

// ---- What the wizard shows and leaves ------------------------------------------

// An installation here takes seconds; one that hangs on a fault fails the
// scenario well before the test's own time runs out.
constexpr DWORD kInstallTimeout = 60000;

// Start, welcome, licence accepted; returns the main window when the
// installation has ended.
HWND runToEnd(Driver& d, const std::wstring& setup) {
  d.timeouts.install = kInstallTimeout;
  Options started;
  started.program = setup;
  return install(d, toAcceptedLicence(d, started));
}

void expectFailurePage(Driver& d, HWND main, const std::wstring& named, const char16_t* reason) {
  d.step("the failure page names " + utf8(named));
  d.expectText(main, ctl::kTitle, wide(text::kFailureTitle));
  d.expectText(main, ctl::kLine1, named);
  d.expectText(main, ctl::kLine2, wide(reason));
  d.expectText(main, ctl::kLine3, wide(text::kClickOkToExit));
  d.expectText(main, ctl::kStatus, wide(text::kInstallFailedStatus));
  d.expectText(main, ctl::kCancelFinish, wide(text::kOkCaption));
  d.expectVisible(main, ctl::kNext, false);
}

// "确定" ends the wizard and starts nothing.
void closeFailurePage(Driver& d, HWND main) {
  d.step("\"确定\" ends the wizard");
  d.click(main, ctl::kCancelFinish);
  d.waitExit();
  d.expect(windowsWithCaption(L"VelkorCrypt.exe").empty(), "no product started after a failure", "its window");
}

HKEY rootKey(reg::RegKey root) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(root)); }

// No member, font, registry entry or shortcut of an installation, and no
// install directory.
void verifyMachineUntouched(Driver& d) {
  verifyNothingInstalled(d);
  for (const auto& entry : regconfig::registryEntries(0))
    d.expect(!wintest::keyExists(rootKey(entry.root), wide(entry.key)), "no key " + utf8(wide(entry.key)),
             "it exists");
  const std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  for (const char16_t* name : {shortcuts::kMainLinkName, shortcuts::kLockLinkName})
    expectAbsent(d, desktop + wide(name));
  expectAbsent(d, specialFolder(CSIDL_PROGRAMS) + wide(shortcuts::kProgramGroup));
  for (const auto& part : payload::kFontParts)
    expectAbsent(d, fontsFolder() + wide(part.fileName));
}

// ---- Damaged setup files ----------------------------------------------------------

struct DamageCase {
  std::string name;
  Damage damage;
};

// Each damaged copy is refused before anything changes: the failure page
// names the setup file, and the machine stays as it was.
void refuseEach(Driver& d, const Options& o, const std::vector<DamageCase>& cases) {
  for (const auto& c : cases) {
    const std::wstring copy = L"C:\\faults\\" + widen(c.name) + L"\\Velkorsetup.exe";
    d.step("a copy " + c.name);
    copyFile(d, o.program, copy);
    damageCopy(d, copy, c.damage);
    HWND main = runToEnd(d, copy);
    expectFailurePage(d, main, copy, text::kSetupDamaged);
    d.screenshot(main, "refused-" + c.name);
    closeFailurePage(d, main);
    verifyMachineUntouched(d);
    DeleteFileW(copy.c_str());
  }
}

// One byte flipped in each member: refused, the machine unchanged.
TEST_F(Faults, damaged_members) {
  std::vector<DamageCase> cases;
  for (const auto& m : payload::kMembers)
    cases.push_back({"member-" + std::to_string(m.number) + "-flipped",
                     flipByteAt(static_cast<std::int64_t>(m.start) + m.length / 2)});
  refuseEach(d, o, cases);
}

// The setup file cut short or with bytes behind it: refused.
TEST_F(Faults, damaged_length) {
  refuseEach(d, o,
             {
                 {"last-byte-cut", truncateBy(1)},
                 // Less than a payload is left.
                 {"half-cut", truncateBy(fileSize(o.program) - payload::kPayloadSize / 2)},
                 // Data behind the payload that is no declared certificate table.
                 {"one-byte-appended", append(1)},
                 {"block-appended", append(4096)},
             });
}

// The payload changed with its CRC-32 kept: the digest still tells.
TEST_F(Faults, damaged_crc_kept) {
  refuseEach(d, o, {{"main-program-changed-crc32-kept", changeKeepingCrc32()}});
}

// The setup file as given is refused before anything changes (a damaged file
// made outside the prefix).
TEST_F(Faults, refused) {
  HWND main = runToEnd(d, o.program);
  expectFailurePage(d, main, o.program, text::kSetupDamaged);
  d.screenshot(main, "refused");
  closeFailurePage(d, main);
  verifyMachineUntouched(d);
}

// What another program of the same user tries on the running setup file.
void expectHeld(Driver& d, const std::wstring& setup) {
  const std::wstring away = setup + L".away";
  const auto refusedWith32 = [&](bool done, const std::string& what) {
    const DWORD error = GetLastError();
    d.expect(!done && error == ERROR_SHARING_VIOLATION, what + " refused with a sharing violation (32)",
             done ? std::string("it succeeded") : "error " + std::to_string(error));
  };
  refusedWith32(MoveFileExW(setup.c_str(), away.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE, "a rename");
  refusedWith32(DeleteFileW(setup.c_str()) != FALSE, "a delete");
  HANDLE writer = CreateFileW(setup.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  const bool opened = writer != INVALID_HANDLE_VALUE;
  refusedWith32(opened, "an open for writing");
  if (opened) CloseHandle(writer);
}

// The wizard holds its setup file from its start to its last copy: another
// program can neither rename, delete nor rewrite it on the welcome or the
// licence page, and the installation is the usual one. Afterwards it is let go.
TEST_F(Faults, held) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring setup = L"C:\\users\\Public\\Downloads\\Velkorsetup.exe";
  copyFile(d, o.program, setup);
  d.step("start " + utf8(setup));
  d.start(setup);
  HWND main = d.waitWindow(kMainWindow);
  expectWelcome(d, main);
  d.step("on the welcome page another program tries to change the setup file");
  expectHeld(d, setup);
  HWND licence = openLicence(d, main, false);
  d.step("on the licence page it tries again");
  expectHeld(d, setup);
  tickAgree(d, licence, true);
  main = install(d, licence);
  expectFinishPage(d, main, v);
  verifyInstallation(d, setup, v);
  d.step("after the last copy the setup file is let go");
  const std::wstring away = setup + L".away";
  d.expect(MoveFileExW(setup.c_str(), away.c_str(), 0) != FALSE, "a rename on the finish page", lastError());
  d.expect(MoveFileExW(away.c_str(), setup.c_str(), 0) != FALSE, "and back", lastError());
  finishAndVerify(d, main, v, Finish::Button);
}

// A setup packed with mkpayload --members from the nine files in
// VELKOR_MEMBERS_DIR installs each of them byte for byte.
TEST_F(Faults, members) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring members = wintest::hostPath("VELKOR_MEMBERS_DIR");
  d.step("the members the setup was packed from");
  d.expect(!members.empty(), "VELKOR_MEMBERS_DIR naming the folder of the nine files", "not set");
  HWND main = installToFinishPage(d, o, v);
  d.step("every installed member is its input file");
  for (const auto& m : payload::kMembers) {
    const auto input = readFile(members + L"\\" + wide(m.fileName));
    if (&m == &payload::kFontBundle) {
      // Gone after the font step, which installed its parts from the setup
      // file's slice (checked on the way): that slice is the input file.
      d.expect(setupSlice(d, o.program, m.start, m.length) == input, "the setup's font bundle equal to its input",
               "it differs");
      continue;
    }
    const auto installed = readFile(wide(m.destination));
    d.expect(input.size() == m.length && installed == input, utf8(wide(m.destination)) + " equal to its input",
             std::to_string(installed.size()) + " bytes installed, " + std::to_string(input.size()) + " given");
  }
  finishAndVerify(d, main, v, Finish::Button);
}

// Started under another name from its own folder, beside a damaged file of
// the original name: it installs from its own file.
TEST_F(Faults, renamed) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring folder = L"C:\\users\\Public\\Downloads\\";
  d.step("a renamed copy beside a damaged one of the first name");
  Options renamed = o;
  renamed.program = folder + L"Velkorsetup (1).exe";
  copyFile(d, o.program, renamed.program);
  copyFile(d, o.program, folder + L"Velkorsetup.exe");
  damageCopy(d, folder + L"Velkorsetup.exe", truncateBy(1));
  finishAndVerify(d, installToFinishPage(d, renamed, v), v, Finish::Button);
}

// A vendor's signature behind the payload: the setup installs the same bytes
// as the unsigned file.
TEST_F(Faults, signed) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring unsignedSetup = wintest::hostPath("VELKOR_UNSIGNED_SETUP");
  d.step("the setup file carries a signature");
  d.expect(!unsignedSetup.empty(), "VELKOR_UNSIGNED_SETUP naming the unsigned setup file", "not set");
  const auto bytes = readFile(o.program);
  std::optional<pe::CertificateTable> table;
  if (auto nt = pe::ntHeadersOffset(bytes.data(), bytes.size()))
    table = pe::certificateTable(bytes.data() + *nt, bytes.size() - *nt);
  d.expect(table && table->offset + static_cast<std::uint64_t>(table->size) == bytes.size() &&
               table->offset == fileSize(unsignedSetup),
           "a certificate table that begins where the unsigned file ends and ends with the file",
           table ? "offset " + std::to_string(table->offset) + ", size " + std::to_string(table->size)
                 : std::string("none"));
  HWND main = installToFinishPage(d, o, v);
  // installToFinishPage compared the members with the signed file's slices.
  verifyMembers(d, unsignedSetup);
  finishAndVerify(d, main, v, Finish::Button);
}

// The install directory is a small disk: a member's write fails midway.
std::uint64_t installDiskFree(Driver& d) {
  d.step("the install directory is a small disk");
  ULARGE_INTEGER free{};
  d.expect(GetDiskFreeSpaceExW(kInstallDir.c_str(), &free, nullptr, nullptr) != FALSE,
           "the free space of " + utf8(kInstallDir), lastError());
  d.log("  " + std::to_string(free.QuadPart) + " bytes free");
  return free.QuadPart;
}

// A member's write fails on a full disk: the failure page, the file deleted.
TEST_F(Faults, disk_full) {
  const std::uint64_t free = installDiskFree(d);
  // The first member that no longer fits is the one whose write fails.
  std::uint64_t used = 0;
  const payload::Member* failing = nullptr;
  for (const auto& m : payload::kMembers) {
    used += m.length;
    if (used > free) {
      failing = &m;
      break;
    }
  }
  d.expect(failing != nullptr && failing->number > 1, "room for member 1 but not for the whole payload",
           std::to_string(free) + " bytes free");
  const std::wstring destination = wide(failing->destination);

  HWND main = runToEnd(d, o.program);
  expectFailurePage(d, main, destination, text::kWriteFailed);
  closeFailurePage(d, main);

  d.step("the members before stay, the incomplete one is deleted, nothing else is written");
  for (const auto& m : payload::kMembers) {
    const std::wstring path = wide(m.destination);
    if (m.number < failing->number)
      d.expect(readFile(path) == setupSlice(d, o.program, m.start, m.length), utf8(path) + " complete",
               fileExists(path) ? "it differs" : "no file");
    else
      expectAbsent(d, path);
  }
  d.expect(!wintest::keyExists(HKEY_CLASSES_ROOT, L"SMVersions"), "no registry configuration", "the version marker");
  expectAbsent(d, specialFolder(CSIDL_DESKTOPDIRECTORY) + wide(shortcuts::kMainLinkName));
  expectAbsent(d, specialFolder(CSIDL_PROGRAMS) + wide(shortcuts::kProgramGroup));
}

// The disk holds the members but not the install directory's FangSong copy
// (6.1 and later): that copy is deleted again and the installation finishes,
// reporting nothing, as for any font copy that cannot be made.
TEST_F(Faults, disk_full_fonts) {
  const auto& v = testenv::currentWindowsVersion();
  const std::uint64_t free = installDiskFree(d);
  d.expect(v.major == 6 && v.minor >= 1 && free >= payload::kPayloadSize &&
               free < payload::kPayloadSize + fonts::kFangSong.length,
           "a 6.1 or later system with room for the payload but not for the FangSong copy as well",
           std::to_string(free) + " bytes free");
  HWND main = runToEnd(d, o.program);
  expectFinishPage(d, main, v);
  verifyMembers(d, o.program);
  d.step("the incomplete FangSong copy is deleted; the font folder has its fonts");
  expectAbsent(d, wide(fonts::installedFangSong()));
  for (const auto* part : {&fonts::kFangSong, &fonts::kPalaceScript})
    d.expect(readFile(fontsFolder() + wide(part->fileName)) == fontPart(d, o.program, *part),
             utf8(wide(part->fileName)) + " in the font folder", "missing or different");
  verifyRegistry(d);
  verifyShortcuts(d);
  // The finish then registers FangSong, its installed copy being absent.
  finishAndVerify(d, main, v, Finish::Button);
}

// ---- Font folder and fonts key -------------------------------------------------

bool fontEntryIs(const std::u16string& displayName, const std::u16string& fileName) {
  const auto v = wintest::readValue(HKEY_LOCAL_MACHINE, kFontsKey, wide(displayName));
  // Wine's registry keeps a terminator behind data handed over without one.
  return v.status == ERROR_SUCCESS && v.type == REG_SZ &&
         (v.bytes == wintest::utf16le(fileName) || v.bytes == wintest::utf16le(fileName, true));
}

// Start to finish page with the checks that do not depend on the fonts.
HWND installWithoutFontChecks(Driver& d, const Options& o, const testenv::WindowsVersion& v) {
  HWND main = runToEnd(d, o.program);
  expectFinishPage(d, main, v);
  verifyMembers(d, o.program);
  verifyRegistry(d);
  verifyShortcuts(d);
  return main;
}

void moveFontFolderAway(Driver& d) {
  d.step("the font folder is renamed away");
  d.expect(MoveFileW(fontsFolderItself().c_str(), (fontsFolderItself() + L".away").c_str()) != FALSE, "the font folder moved",
           lastError());
}

// The font folder takes no file (unwritable or gone): every font copy is
// skipped and the installation finishes as usual, reporting nothing.
void fontFolderFault(Driver& d, const Options& o, bool removed) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring folder = fontsFolderItself();
  if (removed) {
    moveFontFolderAway(d);
  } else {
    d.step("the font folder is read-only");
    // Neither Windows nor Wine refuses files in a folder for its read-only
    // attribute; the folder here is a read-only file system as well.
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring probe = folder + L"\\probe.ttf";
    HANDLE f = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const bool writable = f != INVALID_HANDLE_VALUE;
    if (writable) {
      CloseHandle(f);
      DeleteFileW(probe.c_str());
    }
    d.expect(!writable, "no file can be created in " + utf8(folder), "one was");
  }
  HWND main = installWithoutFontChecks(d, o, v);
  d.step("no font reached the font folder");
  d.expect(removed != fileExists(folder), removed ? "the font folder still gone" : "the font folder still there",
           removed ? "it was made again" : "it is gone");
  for (const auto& part : payload::kFontParts)
    expectAbsent(d, folder + L"\\" + wide(part.fileName));
  if (v.major == 6 && v.minor >= 1) {
    d.expect(readFile(wide(fonts::installedFangSong())) == fontPart(d, o.program, fonts::kFangSong),
             "the install directory's own FangSong copy", "it differs");
  } else if (v.major == 5) {
    for (int n = 1; n <= 3; ++n)
      expectAbsent(d, wide(fonts::transitFile(n)));
  }
  const bool fangSongAddsTwo = v.major == 6 && v.minor >= 1 && installedFangSongAddsTwo(d);

  d.step("\"完成\" finishes");
  d.click(main, ctl::kCancelFinish);
  waitProductWindow(d);
  d.waitExit();
  if (v.major == 6 && v.minor >= 1) {
    d.step("the finish registers both fonts, neither being in the font folder");
    d.expect(fangSongAddsTwo != fontEntryIs(fonts::kFangSongDisplayName, fonts::kFangSong.fileName),
             fangSongAddsTwo ? "no FangSong entry" : "the FangSong entry", "the other way round");
    d.expect(fontEntryIs(fonts::kPalaceScriptDisplayName, fonts::kPalaceScript.fileName),
             "the Palace Script entry", "none");
  }
  verifyMarkerAfterFinish(d, v);
}

// A font folder that takes no file: fonts skipped, installed.
TEST_F(Faults, fonts_readonly) { fontFolderFault(d, o, false); }
// No font folder: fonts skipped, installed.
TEST_F(Faults, fonts_missing) { fontFolderFault(d, o, true); }

// Dismisses every "失败！" box the wizard shows until `done` holds; returns how
// many there were.
int dismissFailureBoxes(Driver& d, HWND main, const std::string& until, const std::function<bool()>& done,
                        DWORD timeout) {
  const WindowQuery box{wide(fonts::kRegisterFailedCaption), {IDOK}, {ctl::kNext}, "the \"失败！\" box"};
  return answerWindows(
      d, box,
      [&](HWND w, int number) {
        d.step("the \"失败！\" box, number " + std::to_string(number));
        std::wstring message;
        for (HWND c = GetWindow(w, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
          wchar_t cls[32] = {};
          GetClassNameW(c, cls, 32);
          if (_wcsicmp(cls, L"Static") == 0) message += d.windowText(c);
        }
        d.expect(message == wide(fonts::kRegisterFailedText), "the text \"失败！\"", "\"" + utf8(message) + "\"");
        d.expect(GetWindow(w, GW_OWNER) == main, "the box owned by the main window",
                 utf8(describe(GetWindow(w, GW_OWNER))));
        d.screenshot(w, "failure-box");
        d.click(w, IDOK);
        d.waitGone(w, "the box");
      },
      until, done, [&] { return installationTexts(d, main); }, timeout);
}

void denyFontsKeyWrites(Driver& d) {
  d.step("the fonts key refuses writes");
  HKEY key = nullptr;
  d.expect(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kFontsKey.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS,
           "the fonts key open for its access list", lastError());
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(DWORD) std::uint8_t aclBytes[256];
  ACL* acl = reinterpret_cast<ACL*>(aclBytes);
  InitializeAcl(acl, sizeof aclBytes, ACL_REVISION);
  AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone);
  AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  const LONG set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
  RegCloseKey(key);
  FreeSid(everyone);
  d.expect(set == ERROR_SUCCESS, "the denying access list set", "status " + std::to_string(set));
  // The call the font registration makes.
  HKEY probe = nullptr;
  const LONG created = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kFontsKey.c_str(), 0, const_cast<wchar_t*>(L"REG_SZ"), 0,
                                       KEY_WRITE, nullptr, &probe, nullptr);
  if (created == ERROR_SUCCESS) RegCloseKey(probe);
  d.expect(created != ERROR_SUCCESS, "RegCreateKeyExW of the fonts key to fail",
           "status " + std::to_string(created));
  d.log("  RegCreateKeyExW reports " + std::to_string(created));
}

// The fonts key cannot be created: each font registration shows "失败！" and
// the installation goes on. On Vista with only Palace Script missing the plan
// registers it once; on 6.1 and later the finish registers Palace Script when
// the font folder lacks it (here: there is no font folder) and FangSong unless
// this system counts two fonts in the installed copy.
TEST_F(Faults, fonts_key) {
  const auto& v = testenv::currentWindowsVersion();
  const bool vista = v.major == 6 && v.minor == 0;
  if (vista) {
    d.step("a usable FangSong in the font folder, so only Palace Script is registered");
    d.expect(wintest::writeFile(fontsFolder() + wide(fonts::kFangSong.fileName),
                                fontPart(d, o.program, fonts::kFangSong)),
             "simfang.ttf written", lastError());
  } else {
    moveFontFolderAway(d);
  }
  denyFontsKeyWrites(d);

  HWND licence = toAcceptedLicence(d, o);
  d.step("accept and install");
  HWND main = leaveLicencePage(d, licence);
  const int duringInstall = dismissFailureBoxes(
      d, main, "the installation to end", [&] { return installationEnded(d, main); }, kInstallTimeout);
  d.expect(duringInstall == (vista ? 1 : 0), std::to_string(vista ? 1 : 0) + " box(es) during the installation",
           std::to_string(duringInstall));
  d.screenshot(main, "finish");
  expectFinishPage(d, main, v);
  verifyMembers(d, o.program);
  verifyRegistry(d);
  verifyShortcuts(d);

  if (vista) {
    const std::wstring folder = fontsFolder();
    for (const auto* part : {&fonts::kFangSong, &fonts::kPalaceScript})
      d.expect(readFile(folder + wide(part->fileName)) == fontPart(d, o.program, *part),
               utf8(wide(part->fileName)) + " in the font folder", "missing or different");
    finishAndVerify(d, main, v, Finish::Button);
  } else {
    const int expected = installedFangSongAddsTwo(d) ? 1 : 2;
    d.step("\"完成\" finishes");
    d.click(main, ctl::kCancelFinish);
    const int atFinish = dismissFailureBoxes(
        d, main, "the product to start", [] { return !windowsWithCaption(L"VelkorCrypt.exe").empty(); },
        d.timeouts.window);
    d.expect(atFinish == expected, std::to_string(expected) + " box(es) at the finish", std::to_string(atFinish));
    d.waitExit();
    verifyMarkerAfterFinish(d, v);
  }
  d.step("no font entry written");
  for (const auto* name : {fonts::kFangSongDisplayName, fonts::kPalaceScriptDisplayName})
    d.expect(wintest::readValue(HKEY_LOCAL_MACHINE, kFontsKey, wide(name)).status != ERROR_SUCCESS,
             "no entry " + utf8(wide(name)), "one");
}

// ---- Special folders -----------------------------------------------------------------

// The user's shell folders point at a path that does not exist, so the
// lookup fails: those shortcuts are skipped, and nothing is made there.
void unreachableFolders(Driver& d, const Options& o, bool programsToo) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring programs = specialFolder(CSIDL_PROGRAMS);
  const std::wstring nowhere = L"C:\\不存在的目录";
  d.step(programsToo ? "the desktop and Programs folders cannot be looked up" : "the desktop folder cannot be looked up");
  HKEY key = nullptr;
  d.expect(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                         0, KEY_SET_VALUE, &key) == ERROR_SUCCESS,
           "the user's shell folders key", lastError());
  const struct {
    const wchar_t* value;
    int csidl;
    bool broken;
  } folders[] = {{L"Desktop", CSIDL_DESKTOPDIRECTORY, true}, {L"Programs", CSIDL_PROGRAMS, programsToo}};
  for (const auto& f : folders) {
    if (!f.broken) continue;
    const std::wstring path = nowhere + L"\\" + f.value;
    RegSetValueExW(key, f.value, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    wchar_t seen[MAX_PATH] = {};
    d.expect(!SHGetSpecialFolderPathW(nullptr, seen, f.csidl, FALSE), "the lookup of " + utf8(f.value) + " to fail",
             "it gave \"" + utf8(seen) + "\"");
  }
  RegCloseKey(key);

  // Started from drive C:, so that a link at the root of the current drive
  // lands in the prefix (Wine's Z: is the host's root).
  const std::wstring setup = L"C:\\setup\\Velkorsetup.exe";
  copyFile(d, o.program, setup);
  HWND main = runToEnd(d, setup);
  expectFinishPage(d, main, v);
  verifyMembers(d, setup);
  verifyFonts(d, setup, v);
  verifyRegistry(d);
  d.step("the shortcuts of the folders that cannot be looked up are skipped");
  expectAbsent(d, nowhere);
  for (const char16_t* name : {shortcuts::kMainLinkName, shortcuts::kLockLinkName})
    expectAbsent(d, desktop + wide(name));
  // A lookup's result used without its status can leave an empty folder path,
  // which puts the links at the root of the current drive.
  for (const char16_t* name : {shortcuts::kMainLinkName, shortcuts::kLockLinkName, shortcuts::kProgramGroup})
    expectAbsent(d, L"C:" + wide(name));
  const std::wstring group = programs + wide(shortcuts::kProgramGroup);
  if (programsToo) {
    expectAbsent(d, group);
  } else {
    const struct {
      const char16_t* name;
      const payload::Member& target;
    } links[] = {{shortcuts::kMainLinkName, shortcuts::kMainProgram},
                 {shortcuts::kLockLinkName, shortcuts::kLockProgram},
                 {shortcuts::kUninstallLinkName, shortcuts::kUninstaller}};
    for (const auto& link : links) {
      const std::wstring path = group + wide(link.name);
      const std::wstring target = wide(link.target.destination);
      const std::wstring seen = wintest::readLink(path).rawPath;
      d.expect(_wcsicmp(seen.c_str(), target.c_str()) == 0, utf8(path) + " pointing at " + utf8(target),
               "\"" + utf8(seen) + "\"");
    }
  }
  finishAndVerify(d, main, v, Finish::Button);
}

// The desktop cannot be looked up: its shortcuts skipped.
TEST_F(Faults, folders_desktop) { unreachableFolders(d, o, false); }
// Desktop and Programs cannot be looked up: no shortcuts.
TEST_F(Faults, folders_all) { unreachableFolders(d, o, true); }



}  // namespace


}  // namespace velkor::e2e
