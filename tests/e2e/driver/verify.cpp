#include "verify.h"

#include <optional>

#include "engine/font_step.h"
#include "engine/install_paths.h"
#include "engine/machine_number.h"
#include "payload/layout.h"
#include "payload/pe_headers.h"
#include "engine/registry_config.h"
#include "win/finish_win_support.h"

namespace velkor::e2e {
namespace {



// The setup file and where its payload ends (before a certificate table).
struct SetupBytes {
  std::vector<std::uint8_t> bytes;
  std::size_t payloadEnd = 0;

  std::vector<std::uint8_t> slice(std::int64_t start, std::uint32_t length) const {
    const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(static_cast<std::int64_t>(payloadEnd) + start);
    return std::vector<std::uint8_t>(from, from + length);
  }
  std::vector<std::uint8_t> fontPart(int n) const {
    const auto& part = payload::kFontParts[static_cast<std::size_t>(n - 1)];
    return slice(payload::kFontBundle.start + part.offset, part.length);
  }
};

SetupBytes readSetup(Driver& d, const std::wstring& setupFile) {
  SetupBytes s;
  s.bytes = readFile(setupFile);
  d.expect(s.bytes.size() > payload::kPayloadSize, "the setup file " + utf8(setupFile) + " to hold a payload",
           sizeText(s.bytes));
  std::optional<pe::CertificateTable> table;
  if (auto nt = pe::ntHeadersOffset(s.bytes.data(), s.bytes.size()))
    table = pe::certificateTable(s.bytes.data() + *nt, s.bytes.size() - *nt);
  s.payloadEnd = static_cast<std::size_t>(pe::payloadEnd(s.bytes.size(), table));
  d.expect(s.payloadEnd >= payload::kPayloadSize && s.payloadEnd <= s.bytes.size(), "a payload end inside the file",
           std::to_string(s.payloadEnd));
  return s;
}

void expectFile(Driver& d, const std::wstring& path, const std::vector<std::uint8_t>& expected) {
  const auto seen = readFile(path);
  d.expect(seen == expected, utf8(path) + " equal to its " + sizeText(expected) + " of the setup file",
           fileExists(path) ? sizeText(seen) + " that differ" : "no file");
}

void expectString(Driver& d, HKEY root, const std::wstring& rootName, const std::wstring& key,
                  const std::wstring& value, const std::u16string& data, bool terminated = true) {
  const auto v = readValue(root, key, value);
  const std::wstring where = rootName + L"\\" + key + L" [" + (value.empty() ? L"(default)" : value) + L"]";
  // Data handed over without its terminator: Wine's registry stores one behind it.
  const bool bytesMatch = v.bytes == utf16le(data, terminated) || (!terminated && v.bytes == utf16le(data, true));
  d.expect(v.status == ERROR_SUCCESS && v.type == REG_SZ && bytesMatch,
           utf8(where) + " REG_SZ \"" + utf8(wide(data)) + "\"",
           v.status != ERROR_SUCCESS ? "status " + std::to_string(v.status)
                                     : "type " + std::to_string(v.type) + ", " + sizeText(v.bytes) + " \"" +
                                           utf8(std::wstring(reinterpret_cast<const wchar_t*>(v.bytes.data()),
                                                             v.bytes.size() / 2)) + "\"");
}

}  // namespace

std::wstring fontsFolder() {
  wchar_t dir[MAX_PATH] = {};
  GetWindowsDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\Fonts\\";
}

std::string sizeText(const std::vector<std::uint8_t>& bytes) { return std::to_string(bytes.size()) + " bytes"; }

void expectAbsent(Driver& d, const std::wstring& path) {
  d.expect(!fileExists(path), utf8(path) + " absent", "the file is there");
}

void verifyMembers(Driver& d, const std::wstring& setupFile) {
  d.step("verify the nine members");
  const SetupBytes setup = readSetup(d, setupFile);
  for (const auto& member : payload::kMembers) {
    const std::wstring path = wide(member.destination);
    if (&member == &payload::kFontBundle) {
      expectAbsent(d, path);  // removed once its fonts are out
      continue;
    }
    expectFile(d, path, setup.slice(member.start, member.length));
  }
}

void verifyFonts(Driver& d, const std::wstring& setupFile, const testenv::WindowsVersion& v) {
  d.step("verify the fonts");
  const SetupBytes setup = readSetup(d, setupFile);
  const std::wstring fonts = fontsFolder();
  expectFile(d, fonts + L"simfang.ttf", setup.fontPart(1));
  expectFile(d, fonts + L"PALSCRI.TTF", setup.fontPart(2));
  if (v.major == 6 && v.minor >= 1) {
    expectFile(d, kInstallDir + L"simfang.ttf", setup.fontPart(1));
    expectAbsent(d, fonts + L"MSYH.TTF");
  } else if (v.major == 6) {
    expectString(d, HKEY_LOCAL_MACHINE, L"HKLM", kFontsKey, L"Palace Script MT(TrueType)", u"PALSCRI.TTF", false);
    expectString(d, HKEY_LOCAL_MACHINE, L"HKLM", kFontsKey, L"仿宋_GB2312(TrueType)", u"simfang.ttf", false);
  } else {
    expectFile(d, fonts + L"MSYH.TTF", setup.fontPart(3));
    for (int n = 1; n <= 3; ++n) expectAbsent(d, kInstallDir + L"Velkar" + std::to_wstring(n));
    const auto marker = readFile(kInstallDir + L"FirstRun.txt");
    d.expect(marker == utf16le(u"首次安装，请勿删除！"), "the sequence's first-run marker (20 bytes)",
             sizeText(marker));
  }
}

void verifyRegistry(Driver& d) {
  d.step("verify the registry");
  const std::u16string main = u"\"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe\" \"%1\"";
  const std::u16string shred = u"\"C:\\Program Files\\VelkorCrypt\\VelkorShredder.exe\" \"%1\"";
  const std::u16string icon = u"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe,3";
  HKEY cr = HKEY_CLASSES_ROOT;
  expectString(d, cr, L"HKCR", L"SMVersions", L"Versions", u"5.0");
  expectString(d, cr, L"HKCR", L"VKA 加密档案\\defaultIcon", L"", icon);
  expectString(d, cr, L"HKCR", L"*\\shell\\Velkor超级文件加密器\\command", L"", main);
  expectString(d, cr, L"HKCR", L"*\\shell\\Velkor超级粉碎\\command", L"", shred);
  expectString(d, cr, L"HKCR", L".vka", L"", u"VKA 加密档案");
  expectString(d, cr, L"HKCR", L"VKA 加密档案", L"", u"VKA 加密档案");
  expectString(d, cr, L"HKCR", L"VKA 加密档案\\shell\\open\\command", L"", main);
  expectString(d, cr, L"HKCR", L"Folder\\shell\\Velkor超级文件加密器\\command", L"", main);
  expectString(d, cr, L"HKCR", L"Folder\\shell\\Velkor超级粉碎\\command", L"", shred);
  // A first installation resets the lock password for this machine's number.
  DWORD serial = 0;
  std::optional<std::uint32_t> known;
  if (GetVolumeInformationW(L"c:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) known = serial;
  const std::u16string lock = regconfig::encodeLockPassword(computeMachineNumber(known));
  d.expect(lock.size() == 32, "a 32-unit encoded lock password", std::to_string(lock.size()) + " units");
  expectString(d, HKEY_CURRENT_USER, L"HKCU", L"Software\\Velkorsetup", L"Lockpw", lock);
  expectString(d, HKEY_CURRENT_USER, L"HKCU", L"Software\\Velkorsetup", L"Lockpa", u"1");
}

void verifyShortcuts(Driver& d) {
  d.step("verify the shortcuts");
  const std::wstring desktop = wintest::specialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring group = wintest::specialFolder(CSIDL_PROGRAMS) + L"\\VelkorCrypt";
  const struct {
    std::wstring link, target;
  } links[] = {
      {desktop + L"\\Velkor超级文件加密器.lnk", kInstallDir + L"VelkorCrypt.exe"},
      {desktop + L"\\Velkor系统锁.lnk", kInstallDir + L"VelkorLock.exe"},
      {group + L"\\Velkor超级文件加密器.lnk", kInstallDir + L"VelkorCrypt.exe"},
      {group + L"\\Velkor系统锁.lnk", kInstallDir + L"VelkorLock.exe"},
      {group + L"\\卸载Velkor软件.lnk", kInstallDir + L"Unins000.exe"},
  };
  for (const auto& l : links) {
    const auto seen = wintest::readLink(l.link);
    d.expect(seen.loaded && _wcsicmp(seen.target.c_str(), l.target.c_str()) == 0,
             utf8(l.link) + " pointing at " + utf8(l.target),
             seen.loaded ? "target \"" + utf8(seen.target) + "\"" : "no link file");
    d.expect(seen.arguments.empty() && seen.workingDirectory.empty() && seen.description.empty(),
             "no arguments, working directory or description in " + utf8(l.link),
             "\"" + utf8(seen.arguments) + "\", \"" + utf8(seen.workingDirectory) + "\", \"" +
                 utf8(seen.description) + "\"");
  }
  const auto entries = wintest::folderEntries(group);
  d.expect(entries.size() == 3, "three entries in the program group", std::to_string(entries.size()));
}

void verifyMarkerAfterFinish(Driver& d, const testenv::WindowsVersion& v) {
  d.step("verify the first-run marker");
  const auto marker = readFile(kInstallDir + L"FirstRun.txt");
  if (v.major == 6) {
    d.expect(marker == utf16le(u"First install, don't delete!"), "the finish's marker (56 bytes)", sizeText(marker));
  } else {
    d.expect(marker == utf16le(u"首次安装，请勿删除！"), "the sequence's marker kept (20 bytes)", sizeText(marker));
  }
  expectAbsent(d, kInstallDir + L"Velkorsys.dll");
}

void verifyLogoffCleanup(Driver& d) {
  d.step("verify the log-off procedure's clean-up");
  expectAbsent(d, kInstallDir + L"PALSCRI.TTF");
  d.expect(fileExists(fontsFolder() + L"PALSCRI.TTF"), "the font folder's PALSCRI.TTF kept", "it is gone");
}

bool installedFangSongAddsTwo(Driver& d) {
  const std::wstring installed = wide(fonts::installedFangSong());
  const int added = AddFontResourceW(installed.c_str());
  if (added > 0) RemoveFontResourceW(installed.c_str());
  d.log("  adding " + utf8(installed) + " reports " + std::to_string(added) + " font(s) here");
  return added == 2;
}

void verifyFinishFonts(Driver& d, const testenv::WindowsVersion& v) {
  if (!(v.major == 6 && v.minor >= 1)) return;
  d.step("verify the fonts the finish registers");
  if (!installedFangSongAddsTwo(d)) {
    expectString(d, HKEY_LOCAL_MACHINE, L"HKLM", kFontsKey, L"仿宋_GB2312(TrueType)", u"simfang.ttf", false);
  } else {
    const auto fangSong = readValue(HKEY_LOCAL_MACHINE, kFontsKey, L"仿宋_GB2312(TrueType)");
    d.expect(fangSong.status != ERROR_SUCCESS, "no \"仿宋_GB2312(TrueType)\" entry when two fonts are added", "one");
  }
  // Palace Script is in the font folder by then, so it is not registered.
  const auto palace = readValue(HKEY_LOCAL_MACHINE, kFontsKey, L"Palace Script MT(TrueType)");
  d.expect(palace.status != ERROR_SUCCESS, "no \"Palace Script MT(TrueType)\" entry", "one");
}

void verifyNothingInstalled(Driver& d) {
  d.step("verify nothing was installed");
  expectAbsent(d, L"C:\\Program Files\\VelkorCrypt");
  d.expect(!wintest::keyExists(HKEY_CLASSES_ROOT, L"SMVersions"), "no version marker", "it exists");
  expectAbsent(d, wintest::specialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Velkor超级文件加密器.lnk");
}

void waitProductWindow(Driver& d) {
  d.waitUntil(
      "a window \"VelkorCrypt.exe\" of the started product", [] { return !windowsWithCaption(L"VelkorCrypt.exe").empty(); },
      [] { return std::string("none"); }, d.timeouts.window);
  d.log("  the product's window is shown");
}

void closeProduct(Driver& d) {
  d.step("close the product the finish started");
  for (HWND w : windowsWithCaption(L"VelkorCrypt.exe")) PostMessageW(w, WM_CLOSE, 0, 0);
  d.waitUntil(
      "the product's window to close", [] { return windowsWithCaption(L"VelkorCrypt.exe").empty(); },
      [] { return std::string("still shown"); }, d.timeouts.window);
}

std::vector<std::uint8_t> setupSlice(Driver& d, const std::wstring& setupFile, std::int64_t start,
                                     std::uint32_t length) {
  return readSetup(d, setupFile).slice(start, length);
}

std::vector<std::uint8_t> fontPart(Driver& d, const std::wstring& setupFile, const payload::FontPart& part) {
  return setupSlice(d, setupFile, static_cast<std::int64_t>(payload::kFontBundle.start) + part.offset, part.length);
}

}  // namespace velkor::e2e
