// Scenarios of installations over prepared machines: the driver first puts
// fonts, registry values or a running program in place the way an earlier
// installation or the system would have, then drives the wizard like a user and
// reads back what the installation did with them.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/failure_display.h"
#include "engine/first_run_marker.h"
#include "engine/font_conditions.h"
#include "engine/font_step.h"
#include "engine/install_paths.h"
#include "payload/layout.h"
#include "engine/progress_meter.h"
#include "engine/registry_config.h"
#include "lib/wine_env.h"
#include "scenarios.h"
#include "verify.h"
#include "win/finish_win_support.h"
#include "wizard/texts.h"
#include "wizard_steps.h"

namespace velkor::e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::wstring kMainProgram = wide(payload::kMembers[4].destination);
const std::wstring kProductCaption = wide(payload::kMembers[4].fileName);

bool sevenOrLater(const testenv::WindowsVersion& v) { return v.major == 6 && v.minor >= 1; }
bool vista(const testenv::WindowsVersion& v) { return v.major == 6 && v.minor == 0; }

// ---- Files: prepared with an old time stamp, so any rewrite shows ------------

FILETIME preparedTime() {
  const SYSTEMTIME t{2009, 1, 4, 1, 10, 0, 0, 0};  // 1 January 2009, 10:00
  FILETIME f{};
  SystemTimeToFileTime(&t, &f);
  return f;
}

struct FileState {
  std::wstring path;
  bool exists = false;
  Bytes bytes;
  FILETIME written{};
};

FileState fileState(const std::wstring& path) {
  FileState s;
  s.path = path;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return s;
  s.exists = true;
  GetFileTime(f, nullptr, nullptr, &s.written);
  CloseHandle(f);
  s.bytes = readFile(path);
  return s;
}

std::string timeText(const FILETIME& f) {
  SYSTEMTIME t{};
  FileTimeToSystemTime(&f, &t);
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

// A file that was not there before the installation.
FileState absentFile(const std::wstring& path) {
  FileState s;
  s.path = path;
  return s;
}

void placeFile(Driver& d, const std::wstring& path, const Bytes& bytes) {
  d.expect(wintest::writeFile(path, bytes), "prepared " + utf8(path) + " (" + sizeText(bytes) + ")", "not written");
  HANDLE f = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const FILETIME old = preparedTime();
  const bool stamped = f != INVALID_HANDLE_VALUE && SetFileTime(f, &old, &old, &old);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  d.expect(stamped, "the prepared file's time stamp set", "error " + std::to_string(GetLastError()));
}

// Neither rewritten nor removed: the same bytes and the same time stamp.
void expectKept(Driver& d, const FileState& before) {
  const FileState now = fileState(before.path);
  d.expect(now.exists && now.bytes == before.bytes && CompareFileTime(&now.written, &before.written) == 0,
           utf8(before.path) + " untouched (" + sizeText(before.bytes) + ", written " + timeText(before.written) + ")",
           now.exists ? sizeText(now.bytes) + ", written " + timeText(now.written) : "no file");
}

// Written again by this installation, with these bytes.
void expectRewritten(Driver& d, const FileState& before, const Bytes& expected) {
  const FileState now = fileState(before.path);
  d.expect(now.exists && now.bytes == expected && CompareFileTime(&now.written, &before.written) > 0,
           utf8(before.path) + " written again (" + sizeText(expected) + ", later than " + timeText(before.written) +
               ")",
           now.exists ? sizeText(now.bytes) + (now.bytes == expected ? " as expected" : " that differ") +
                            ", written " + timeText(now.written)
                      : "no file");
}

// ---- Registry values: prepared and read back raw ------------------------------

HKEY rootOf(reg::RegKey root) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(root)); }

// A value as an earlier installation or another program left it. `size` may
// stop short of the buffer, so a value can be stored without its terminator
// while a non-zero unit follows in memory (the registry would otherwise count
// the terminator in itself).
struct PreparedValue {
  HKEY root;
  std::wstring key, name;
  DWORD type;
  Bytes buffer;
  DWORD size;
};

PreparedValue stringValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::u16string& data) {
  Bytes bytes = utf16le(data, true);
  const auto size = static_cast<DWORD>(bytes.size());
  return {root, key, name, REG_SZ, bytes, size};
}
PreparedValue stringValue(const regconfig::RegistryEntry& entry, const std::u16string& data) {
  return stringValue(rootOf(entry.root), wide(entry.key), wide(entry.valueName), data);
}

void prepareValue(Driver& d, const PreparedValue& p) {
  const std::string where = utf8(p.key + L" [" + p.name + L"]");
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(p.root, p.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExW(key, p.name.c_str(), 0, p.type, p.buffer.data(), p.size);
    RegCloseKey(key);
  }
  d.expect(status == ERROR_SUCCESS, "prepared " + where, "status " + std::to_string(status));
  const auto stored = readValue(p.root, p.key, p.name);
  const Bytes expected(p.buffer.begin(), p.buffer.begin() + p.size);
  d.expect(stored.type == p.type && stored.bytes == expected,
           where + " stored as prepared: type " + std::to_string(p.type) + ", " + sizeText(expected),
           "type " + std::to_string(stored.type) + ", " + sizeText(stored.bytes));
}

void expectValue(Driver& d, HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                 const Bytes& expected) {
  const auto v = readValue(root, key, name);
  d.expect(v.status == ERROR_SUCCESS && v.type == type && v.bytes == expected,
           utf8(key + L" [" + name + L"]") + " type " + std::to_string(type) + ", " + sizeText(expected),
           v.status != ERROR_SUCCESS ? "status " + std::to_string(v.status)
                                     : "type " + std::to_string(v.type) + ", " + sizeText(v.bytes));
}

void expectNoValue(Driver& d, HKEY root, const std::wstring& key, const std::wstring& name) {
  const auto v = readValue(root, key, name);
  d.expect(v.status != ERROR_SUCCESS, utf8(key + L" [" + name + L"]") + " absent", sizeText(v.bytes));
}

// ---- The wizard's pages --------------------------------------------------------

const WindowQuery kNotice{wide(regconfig::kNoticeCaption), {IDOK}, {}, "lock-password notice"};

BOOL CALLBACK collectChildren(HWND child, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(child);
  return TRUE;
}

void answerNotice(Driver& d, HWND box, HWND main) {
  d.step("the lock-password notice");
  std::vector<HWND> children;
  EnumChildWindows(box, collectChildren, reinterpret_cast<LPARAM>(&children));
  bool found = false;
  std::string all;
  for (HWND child : children) {
    const std::wstring t = d.windowText(child);
    found = found || t == wide(regconfig::kNoticeText);
    all += "\"" + utf8(t) + "\" ";
  }
  d.expect(found, "the text \"" + utf8(wide(regconfig::kNoticeText)) + "\"", all);
  d.expect(GetWindow(box, GW_OWNER) == main, "the notice owned by the main window", utf8(describe(GetWindow(box, GW_OWNER))));
  d.screenshot(box, "notice");
  d.click(box, IDOK);
  d.waitGone(box, "the notice");
}

enum class Notice { Never, Once };

// From the licence page with the box ticked to the end of the installation
// (1001 "完成" or "确定"), answering the lock-password notice when it is due
// and failing at once when it comes unasked or twice.
HWND installWatchingNotice(Driver& d, HWND licence, Notice notice) {
  d.step("accept and install");
  HWND main = leaveLicencePage(d, licence);
  const int shown = answerWindows(
      d, kNotice,
      [&](HWND box, int number) {
        d.screenshot(main, "progress-under-notice");
        d.expect(notice == Notice::Once && number == 1, notice == Notice::Once ? "one notice only" : "no notice",
                 "a notice");
        answerNotice(d, box, main);
        d.step("the installation goes on");
      },
      "the installation to end", [&] { return installationEnded(d, main); },
      [&] { return installationTexts(d, main); }, d.timeouts.install);
  d.expect(shown == (notice == Notice::Once ? 1 : 0), notice == Notice::Once ? "the notice shown" : "no notice shown",
           std::to_string(shown) + " notices");
  d.screenshot(main, "finish");
  return main;
}

// The finish page, also on 6.0 when the installation needed no fonts (no log-off).
void expectFinish(Driver& d, HWND main, const testenv::WindowsVersion& v, bool logoff) {
  if (logoff == vista(v)) return expectFinishPage(d, main, v);
  d.step("the finish page without log-off on 6.0");
  d.expectText(main, 1001, wide(wizard::text::kFinishCaption));
  d.expectVisible(main, 1000, false);
  d.expectText(main, 1002, wide(wizard::text::kDoneLine1));
  d.expectText(main, 1004, wide(wizard::text::kDoneLine2));
  d.expectText(main, 1005, L"");
  d.expectText(main, 1012, wide(wizard::text::kAntivirusWarning));
}

// The bar stands full at the range the installation planned: the payload and
// the font parts its font step copies.
void expectProgress(Driver& d, HWND main, std::uint32_t fontBytes) {
  d.step("the progress bar");
  HWND bar = d.control(main, 1011);
  const auto high = static_cast<long>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  const auto pos = static_cast<long>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  const long steps = static_cast<long>((payload::kPayloadSize + fontBytes) / kBytesPerStep);
  d.expect(high == steps && pos == steps, "the bar full at " + std::to_string(steps) + " steps",
           "position " + std::to_string(pos) + " of " + std::to_string(high));
}

// ---- 1, 2: fonts already in the font folder -------------------------------------

struct FontCase {
  bool simfangOtherSize;  // simfang.ttf present with another length than the bundle's part
  bool alternative;       // simfang_0.ttf present
};

// Font entries as a system that has the fonts records them (display names with
// a space, unlike the wizard's own), so the wizard's entries stand apart.
struct SystemFontEntry {
  const wchar_t* name;
  const payload::FontPart& part;
};
const SystemFontEntry kSystemFontEntries[] = {
    {L"仿宋_GB2312 (TrueType)", fonts::kFangSong},
    {L"Palace Script MT (TrueType)", fonts::kPalaceScript},
    {L"Microsoft YaHei (TrueType)", fonts::kYaHei},
};

// What the font step of the running class does with the prepared folder.
struct FontOutcome {
  bool simfangWritten = false;  // the folder's simfang.ttf replaced by part 1
  bool palaceWritten = false;   // the folder's PALSCRI.TTF replaced by part 2
  bool fangSongRegistered = false;  // the wizard's "仿宋_GB2312(TrueType)" entry by the font step
  bool logoff = false;
  std::uint32_t fontBytes = 0;  // bytes the font step copies
};

FontOutcome expectedFontOutcome(const testenv::WindowsVersion& v, const FontCase& c) {
  FontOutcome out;
  // The FangSong face counts as unusable with another size unless the
  // alternative name is there (no size test on 5.1).
  const bool unusable = c.simfangOtherSize && !c.alternative;
  if (sevenOrLater(v)) {
    out.fontBytes = fonts::kFangSong.length;  // the install directory's own copy, always
    if (unusable) {
      out.simfangWritten = true;
      out.fontBytes += fonts::kFangSong.length;
    }
  } else if (vista(v) && unusable) {
    // Both files are written, the unusable one registered, and the finish logs off.
    out.simfangWritten = out.palaceWritten = out.fangSongRegistered = out.logoff = true;
    out.fontBytes = fonts::kFangSong.length + fonts::kPalaceScript.length;
  }
  return out;
}

void fontsPrepared(Driver& d, const Options& o, const FontCase& c) {
  const auto& v = testenv::currentWindowsVersion();
  const bool xp = v.major == 5;
  const std::wstring folder = fontsFolder();
  const FontOutcome expected = expectedFontOutcome(v, c);

  d.step("prepare the font folder and its entries");
  const Bytes fangSong = fontPart(d, o.program, fonts::kFangSong);
  const Bytes palace = fontPart(d, o.program, fonts::kPalaceScript);
  Bytes otherFangSong = fangSong;
  otherFangSong.resize(otherFangSong.size() + 4096);  // the same face with another length
  placeFile(d, folder + wide(fonts::kFangSong.fileName), c.simfangOtherSize ? otherFangSong : fangSong);
  placeFile(d, folder + wide(fonts::kPalaceScript.fileName), palace);
  if (xp) placeFile(d, folder + wide(fonts::kYaHei.fileName), fontPart(d, o.program, fonts::kYaHei));
  if (c.alternative) placeFile(d, folder + wide(kSimfangAlternative), fangSong);
  std::vector<PreparedValue> entries;
  for (const auto& e : kSystemFontEntries) {
    if (&e.part == &fonts::kYaHei && !xp) continue;  // the 6.x plans know only two fonts
    entries.push_back(stringValue(HKEY_LOCAL_MACHINE, kFontsKey, e.name, e.part.fileName));
    prepareValue(d, entries.back());
  }
  std::vector<FileState> before;
  for (const auto& name : wintest::folderEntries(folder.substr(0, folder.size() - 1)))
    before.push_back(fileState(folder + name));
  d.log("  " + std::to_string(before.size()) + " files in the font folder");

  std::wstring setup;
  HWND main = installWatchingNotice(d, toAcceptedLicence(d, o, &setup), Notice::Never);
  expectFinish(d, main, v, expected.logoff);
  expectProgress(d, main, expected.fontBytes);
  verifyMembers(d, setup);
  verifyRegistry(d);
  verifyShortcuts(d);

  d.step("the font folder after the font step");
  const auto checkFolder = [&] {
    for (const auto& file : before) {
      const bool isFangSong = _wcsicmp(file.path.c_str(), (folder + wide(fonts::kFangSong.fileName)).c_str()) == 0;
      const bool isPalace = _wcsicmp(file.path.c_str(), (folder + wide(fonts::kPalaceScript.fileName)).c_str()) == 0;
      if (isFangSong && expected.simfangWritten)
        expectRewritten(d, file, fangSong);
      else if (isPalace && expected.palaceWritten)
        expectRewritten(d, file, palace);
      else
        expectKept(d, file);
    }
    for (const auto& e : entries) expectValue(d, e.root, e.key, e.name, e.type, e.buffer);
    expectNoValue(d, HKEY_LOCAL_MACHINE, kFontsKey, wide(fonts::kPalaceScriptDisplayName));
  };
  checkFolder();
  for (int n = 1; n <= 3; ++n) expectAbsent(d, kInstallDir + L"Velkar" + std::to_wstring(n));  // 5.1 transit files
  // Only 6.1 and later keep a FangSong copy of their own.
  if (sevenOrLater(v))
    expectRewritten(d, absentFile(kInstallDir + wide(fonts::kFangSong.fileName)), fangSong);
  else
    expectAbsent(d, kInstallDir + wide(fonts::kFangSong.fileName));
  // Nothing was missing on 5.1, so the sequence wrote no first-run marker.
  if (xp) expectAbsent(d, wide(paths::kFirstRunMarker));
  const std::wstring fangSongEntry = wide(fonts::kFangSongDisplayName);
  if (expected.fangSongRegistered) {
    // The wizard counts the file name's units alone; the registry adds the
    // terminator that follows them in memory.
    const auto entry = readValue(HKEY_LOCAL_MACHINE, kFontsKey, fangSongEntry);
    const std::u16string name = fonts::kFangSong.fileName;
    d.expect(entry.type == REG_SZ && (entry.bytes == utf16le(name) || entry.bytes == utf16le(name, true)),
             "the wizard's entry \"" + utf8(fangSongEntry) + "\" = simfang.ttf", sizeText(entry.bytes));
  } else {
    expectNoValue(d, HKEY_LOCAL_MACHINE, kFontsKey, fangSongEntry);
  }

  d.step("\"完成\" finishes");
  d.click(main, 1001);
  if (!expected.logoff) waitProductWindow(d);
  d.waitExit();
  verifyFinishFonts(d, v);
  if (xp) {
    d.step("no first-run marker on 5.1 with every font present");
    expectAbsent(d, wide(paths::kFirstRunMarker));
    expectAbsent(d, wide(payload::kFontBundle.destination));
  } else {
    verifyMarkerAfterFinish(d, v);
  }
  d.step("the font folder after the finish");
  checkFolder();
}

// The version's fonts already installed: what the font plan skips stays untouched.
TEST_F(Variants, fonts_present) { fontsPrepared(d, o, {false, false}); }
// Simfang.ttf of another size, no simfang_0.ttf: the plan's rewrite.
TEST_F(Variants, fonts_simfang_size) { fontsPrepared(d, o, {true, false}); }
// Simfang.ttf of another size beside simfang_0.ttf: kept.
TEST_F(Variants, fonts_simfang_size_alt) { fontsPrepared(d, o, {true, true}); }

// ---- 3, 5: an earlier installation's registry configuration ---------------------

const auto kEntries = regconfig::registryEntries(0);
const regconfig::RegistryEntry& kMarkerEntry = kEntries[0];
const regconfig::RegistryEntry& kLockPasswordEntry = kEntries[2];
const regconfig::RegistryEntry& kLockFlagEntry = kEntries[3];

PreparedValue marker(const std::u16string& data) { return stringValue(kMarkerEntry, data); }
PreparedValue lockFlag(const std::u16string& data) { return stringValue(kLockFlagEntry, data); }
// A lock password the user set with the earlier version.
const PreparedValue kUsersLockPassword = stringValue(kLockPasswordEntry, u"an earlier user's own password");

enum class Lock { Reset, Kept };

void registryPrepared(Driver& d, const Options& o, const std::vector<PreparedValue>& earlier, Notice notice,
                      Lock lock) {
  const auto& v = testenv::currentWindowsVersion();
  d.step("prepare an earlier installation's registry values");
  for (const auto& p : earlier) prepareValue(d, p);
  prepareValue(d, kUsersLockPassword);

  std::wstring setup;
  HWND main = installWatchingNotice(d, toAcceptedLicence(d, o, &setup), notice);
  expectFinishPage(d, main, v);
  verifyMembers(d, setup);
  verifyFonts(d, setup, v);
  verifyShortcuts(d);
  if (lock == Lock::Reset) {
    verifyRegistry(d);  // the marker "5.0" and the reset lock password among the rest
  } else {
    d.step("the lock password kept");
    expectValue(d, kUsersLockPassword.root, kUsersLockPassword.key, kUsersLockPassword.name, REG_SZ,
                kUsersLockPassword.buffer);
    expectValue(d, rootOf(kLockFlagEntry.root), wide(kLockFlagEntry.key), wide(kLockFlagEntry.valueName), REG_SZ,
                utf16le(u"1", true));
    expectValue(d, rootOf(kMarkerEntry.root), wide(kMarkerEntry.key), wide(kMarkerEntry.valueName), REG_SZ,
                utf16le(regconfig::kCurrentVersion, true));
  }
  finishAndVerify(d, main, v, Finish::Button);
}

// Another version's marker: the lock password is reset without a notice,
// whatever "Lockpa" holds (here the empty text that asks for one over 5.0).
TEST_F(Variants, registry_upgrade) {
  registryPrepared(d, o, {marker(u"4.0"), lockFlag(u"")}, Notice::Never, Lock::Reset);
}
// The same version with "Lockpa" empty: reset, and the notice asks for a new password.
TEST_F(Variants, registry_notice) {
  registryPrepared(d, o, {marker(regconfig::kCurrentVersion), lockFlag(u"")}, Notice::Once, Lock::Reset);
}
// The same version with "Lockpa" "1": the user's lock password stays.
TEST_F(Variants, registry_kept) {
  registryPrepared(d, o, {marker(regconfig::kCurrentVersion), lockFlag(u"1")}, Notice::Never, Lock::Kept);
}

// Values of the wrong size or type count as unreadable: over the same version
// with "Lockpa" "1" the lock password would stay, so its reset shows that the
// marker was not read.
TEST_F(Variants, registry_versions_long) {
  // 75 units and the terminator are 152 bytes: past the read's 150-byte capacity.
  const std::u16string tooLong = std::u16string(regconfig::kCurrentVersion) + std::u16string(72, u'0');
  registryPrepared(d, o, {marker(tooLong), lockFlag(u"1")}, Notice::Never, Lock::Reset);
}
// A marker without terminator counts as unreadable.
TEST_F(Variants, registry_versions_unterminated) {
  // "5.0" without its terminator: a non-zero unit follows in the buffer.
  PreparedValue unterminated = marker(std::u16string(regconfig::kCurrentVersion) + u"X");
  unterminated.size = static_cast<DWORD>(std::char_traits<char16_t>::length(regconfig::kCurrentVersion) * 2);
  registryPrepared(d, o, {unterminated, lockFlag(u"1")}, Notice::Never, Lock::Reset);
}
// "Lockpa" as a number: unreadable, so a silent reset over the same version.
TEST_F(Variants, registry_lockpa_dword) {
  PreparedValue number = lockFlag(u"");
  number.type = REG_DWORD;
  number.buffer = {1, 0, 0, 0};
  number.size = 4;
  registryPrepared(d, o, {marker(regconfig::kCurrentVersion), number}, Notice::Never, Lock::Reset);
}

// ---- 4: the main program of an earlier installation runs ------------------------

void runningMainProgram(Driver& d, const Options& o, Finish how) {
  const auto& v = testenv::currentWindowsVersion();
  d.step("an earlier installation");
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);
  closeProduct(d);

  d.step("start the installed main program");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION product{};
  std::wstring commandLine = L"\"" + kMainProgram + L"\"";
  d.expect(CreateProcessW(kMainProgram.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          kInstallDir.c_str(), &si, &product) != FALSE,
           utf8(kMainProgram) + " started", "error " + std::to_string(GetLastError()));
  // Ended here whatever the scenario's outcome: it is this driver's own process.
  struct Ender {
    PROCESS_INFORMATION& p;
    ~Ender() {
      if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(p.hProcess, 0);
      CloseHandle(p.hProcess);
      CloseHandle(p.hThread);
    }
  } ender{product};
  waitProductWindow(d);

  // What is there before the second run, to tell what it writes.
  std::vector<FileState> members;
  for (const auto& m : payload::kMembers) members.push_back(fileState(wide(m.destination)));
  const FileState installedFangSong = fileState(kInstallDir + wide(fonts::kFangSong.fileName));
  const FileState firstRun = fileState(wide(paths::kFirstRunMarker));
  const std::wstring group = specialFolder(CSIDL_PROGRAMS) + L"\\VelkorCrypt";
  std::vector<FileState> groupLinks;
  for (const auto& name : wintest::folderEntries(group)) groupLinks.push_back(fileState(group + L"\\" + name));
  std::vector<FileState> fontFiles;
  for (const auto& part : payload::kFontParts) fontFiles.push_back(fileState(fontsFolder() + wide(part.fileName)));
  const auto lockPassword = readValue(rootOf(kLockPasswordEntry.root), wide(kLockPasswordEntry.key),
                                      wide(kLockPasswordEntry.valueName));

  d.step("the second installation, over the running program");
  std::wstring setup;
  // The Enter variant also opens the licence page by Enter: the failure page
  // of an Enter-started installation must wait for the user all the same.
  HWND main = installWatchingNotice(d, toAcceptedLicence(d, o, &setup, how == Finish::Enter), Notice::Never);

  d.step("the failure page names the running program");
  d.expectText(main, 1001, wide(text::kOkCaption));
  d.expectVisible(main, 1000, false);
  d.expectText(main, 1003, wide(text::kFailureTitle));
  d.expectText(main, 1002, kMainProgram);
  d.expectText(main, 1004, wide(text::kProgramInUse));
  d.expectText(main, 1005, wide(text::kClickOkToExit));
  d.expectText(main, 1012, wide(text::kInstallFailedStatus));
  d.screenshot(main, "failure");

  d.step("members 1 to 4 written, the running program kept, nothing after it");
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& m = payload::kMembers[i];
    expectRewritten(d, members[i], setupSlice(d, setup, m.start, m.length));
  }
  expectKept(d, members[4]);
  // The removal took the later members away; the extraction never got to them.
  for (std::size_t i = 5; i < payload::kMembers.size(); ++i) expectAbsent(d, members[i].path);
  d.step("no font step, registry configuration or shortcuts");
  if (installedFangSong.exists) expectKept(d, installedFangSong);
  expectKept(d, firstRun);
  for (const auto& f : fontFiles)
    if (f.exists) expectKept(d, f);
  // The removal deletes the current entries and desktop links; nothing writes them again.
  for (const wchar_t* key : {L".vka", L"VKA 加密档案", L"*\\shell\\Velkor超级文件加密器", L"Folder\\shell\\Velkor超级粉碎"})
    d.expect(!wintest::keyExists(HKEY_CLASSES_ROOT, key), "HKCR\\" + utf8(key) + " not written again", "it exists");
  const std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  for (const wchar_t* link : {L"\\Velkor超级文件加密器.lnk", L"\\Velkor系统锁.lnk"})
    expectAbsent(d, desktop + link);
  for (const auto& l : groupLinks) expectKept(d, l);
  const auto lockNow = readValue(rootOf(kLockPasswordEntry.root), wide(kLockPasswordEntry.key),
                                 wide(kLockPasswordEntry.valueName));
  d.expect(lockNow.bytes == lockPassword.bytes, "the lock password untouched", sizeText(lockNow.bytes));
  const FileState bundleAtFailure = fileState(members[2].path);

  if (how == Finish::Enter) {
    d.step("the failure page stays after the Enter-started installation");
    Sleep(1500);
    d.expect(d.running() && IsWindowVisible(main), "the wizard still on its failure page", "it has closed");
    d.expectText(main, 1001, wide(text::kOkCaption));
  }
  leavePage(d, main, how, "the failure page");
  d.waitExit();
  d.step("nothing started, no log-off");
  // A start of the product would show a second window within this time.
  Sleep(1500);
  const auto productWindows = windowsWithCaption(kProductCaption);
  d.expect(productWindows.size() == 1, "only the running program's one window", std::to_string(productWindows.size()));
  d.expect(WaitForSingleObject(product.hProcess, 0) == WAIT_TIMEOUT, "the running program still running",
           "it has ended");
  // The configuration procedure would have removed the font bundle and rewritten the marker.
  expectKept(d, bundleAtFailure);
  expectKept(d, firstRun);
}

// The main program runs: the failure page, "确定" only closes.
TEST_F(Variants, reinstall_running) { runningMainProgram(d, o, Finish::Button); }
// The main program runs: Esc on the failure page only closes.
TEST_F(Variants, reinstall_running_escape) { runningMainProgram(d, o, Finish::Escape); }
// The main program runs, Next by Enter: the failure page stays, Enter only closes.
TEST_F(Variants, reinstall_running_enter) { runningMainProgram(d, o, Finish::Enter); }



}  // namespace


}  // namespace velkor::e2e
