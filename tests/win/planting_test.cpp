// Library planting under Wine: a copy of the real setup file lies in a
// downloads folder together with a library under the name of every library
// it could load (each leaves a marker when a process maps it). A naive
// control program first shows which of those names this Wine takes from a
// program's own folder at all; then the setup is driven from the welcome page
// through the licence page and the exit confirmation to the finish, and no
// marker may appear and no module of the setup may come from that folder.
// The setup file's header must ask for DEP and ASLR and carry relocations.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "e2e/driver/wizard_steps.h"

namespace velkor {
namespace {

using e2e::utf8;

// Every library the setup could load, by file name: its load-time imports,
// what it and the system libraries it uses load at run time under Wine, and
// the usual targets of planting. The run checks that nothing the setup loads
// is missing here.
const std::vector<std::wstring> kPlantedNames = {
    // Load-time imports of the image.
    L"kernel32", L"user32", L"gdi32", L"advapi32", L"shell32", L"ole32", L"oleaut32", L"msvcrt",
    // Loaded at run time by the setup itself.
    L"winmm", L"riched32", L"comctl32",
    // What those and the system libraries load under Wine (measured with the
    // module list of the setup on every page).
    L"ntdll", L"kernelbase", L"sechost", L"ucrtbase", L"win32u", L"zlib1", L"version", L"combase",
    L"rpcrt4", L"shlwapi", L"shcore", L"imm32", L"winex11.drv", L"uxtheme", L"riched20", L"usp10",
    L"windowscodecs", L"propsys", L"msimg32", L"msacm32", L"winealsa.drv", L"mmdevapi",
    // Usual targets of planting under Windows.
    L"msftedit", L"dwmapi", L"userenv", L"cryptbase", L"ntmarta", L"profapi", L"cryptsp", L"wldp",
    L"apphelp", L"setupapi", L"cfgmgr32", L"dbghelp", L"secur32", L"sspicli",
};

constexpr wchar_t kFolder[] = L"C:\\Downloads\\";
constexpr wchar_t kSetupName[] = L"Velkorsetup.exe";
constexpr wchar_t kControlName[] = L"planting_control.exe";
constexpr wchar_t kMarkers[] = L"C:\\velkor-plant-markers\\";
constexpr wchar_t kReport[] = L"C:\\velkor-plant-report.txt";

std::wstring lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}


std::wstring withDll(const std::wstring& name) { return name.find(L'.') == std::wstring::npos ? name + L".dll" : name; }

std::wstring fromEnv(const char* name) {
  const char* value = std::getenv(name);
  return value ? e2e::windowsPath(value) : std::wstring();
}

std::set<std::wstring> plantedFiles() {
  std::set<std::wstring> files;
  for (const auto& n : kPlantedNames) files.insert(lower(withDll(n)));
  return files;
}

// File name -> the processes that left its marker.
std::map<std::wstring, std::wstring> readMarkers() {
  std::map<std::wstring, std::wstring> markers;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((std::wstring(kMarkers) + L"*.txt").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return markers;
  do {
    const std::wstring path = std::wstring(kMarkers) + found.cFileName;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    std::wstring hosts;
    if (f != INVALID_HANDLE_VALUE) {
      wchar_t buffer[4096] = {};
      DWORD got = 0;
      ReadFile(f, buffer, sizeof buffer - sizeof(wchar_t), &got, nullptr);
      hosts.assign(buffer, got / sizeof(wchar_t));
      CloseHandle(f);
    }
    std::wstring name = found.cFileName;
    markers[lower(name.substr(0, name.size() - 4))] = hosts;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return markers;
}

void clearMarkers() {
  for (const auto& [name, hosts] : readMarkers()) DeleteFileW((std::wstring(kMarkers) + name + L".txt").c_str());
}

std::string describeMarkers(const std::map<std::wstring, std::wstring>& markers) {
  std::string out;
  for (const auto& [name, hosts] : markers) {
    std::wstring oneLine = hosts;
    std::replace(oneLine.begin(), oneLine.end(), L'\n', L' ');
    out += "  " + utf8(name) + " loaded by " + utf8(oneLine) + "\n";
  }
  return out;
}

struct Module {
  std::wstring name;
  std::wstring path;
};

std::vector<Module> modulesOf(DWORD processId) {
  std::vector<Module> modules;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return modules;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Module32FirstW(snapshot, &entry); ok; ok = Module32NextW(snapshot, &entry))
    modules.push_back({lower(entry.szModule), entry.szExePath});
  CloseHandle(snapshot);
  return modules;
}

class PlantedFolder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CreateDirectoryW(kFolder, nullptr);
    CreateDirectoryW(kMarkers, nullptr);
    const std::wstring plant = fromEnv("VELKOR_PLANT_DLL");
    for (const auto& name : kPlantedNames)
      CopyFileW(plant.c_str(), (kFolder + withDll(name)).c_str(), FALSE);
    CopyFileW(fromEnv("VELKOR_SETUP_FILE").c_str(), (std::wstring(kFolder) + kSetupName).c_str(), FALSE);
    CopyFileW(fromEnv("VELKOR_PLANT_CONTROL").c_str(), (std::wstring(kFolder) + kControlName).c_str(), FALSE);
  }
};

// Runs the naive control from the planted folder; returns the planted files
// whose code ran in it (their markers), and clears the markers. Its report,
// where each bare name's module says it came from, goes to `log`: Wine names
// a builtin module after the file it found first, so a path in the folder is
// not proof that the planted file ran.
std::set<std::wstring> namesTakenFromTheFolder(std::string* log) {
  const std::wstring control = std::wstring(kFolder) + kControlName;
  std::wstring command = L"\"" + control + L"\" " + kReport;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::set<std::wstring> taken;
  if (!CreateProcessW(control.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, kFolder, &si, &pi)) {
    ADD_FAILURE() << "the control did not start: error " << GetLastError();
    return taken;
  }
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << "the control ends normally (a planted core library it took would stop it)";

  HANDLE f = CreateFileW(kReport, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::wstring report;
  if (f != INVALID_HANDLE_VALUE) {
    std::vector<wchar_t> buffer(1 << 16);
    DWORD got = 0;
    ReadFile(f, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), &got, nullptr);
    report.assign(buffer.data(), got / sizeof(wchar_t));
    CloseHandle(f);
  }
  EXPECT_FALSE(report.empty()) << "the control wrote its report";
  std::replace(report.begin(), report.end(), L'\t', L' ');
  for (std::size_t at = 0; at < report.size();) {
    const std::size_t end = std::min(report.find(L"\r\n", at), report.size());
    *log += "  " + utf8(report.substr(at, end - at)) + "\n";
    at = end + 2;
  }
  for (const auto& [name, hosts] : readMarkers()) taken.insert(name);
  clearMarkers();
  return taken;
}

TEST_F(PlantedFolder, TheSetupLoadsNoLibraryFromItsOwnFolder) {
  std::string controlLog;
  const std::set<std::wstring> counted = namesTakenFromTheFolder(&controlLog);
  std::cout << "The naive control's bare-name loads from " << utf8(kFolder) << " (name, module path):\n"
            << controlLog;
  std::cout << "Planted files whose code ran in the naive control (" << counted.size() << " of "
            << kPlantedNames.size() << "), the names that count:";
  for (const auto& n : counted) std::cout << " " << utf8(n);
  std::cout << "\n";

  const std::set<std::wstring> planted = plantedFiles();
  std::set<std::wstring> unplanted;
  e2e::Driver d("planting", fromEnv("VELKOR_PLANT_SHOTS"));
  // Every module of the setup has a plant here. (Module paths prove nothing:
  // Wine names a builtin module after the file it found first, which is the
  // planted one; the markers tell which planted files ran.)
  auto checkModules = [&](const char* page) {
    const auto modules = modulesOf(d.processId());
    EXPECT_GT(modules.size(), 5u) << "the setup's modules can be listed on the " << page;
    std::string list;
    for (const Module& m : modules) list += " " + utf8(m.path);
    d.log(std::string("  modules on the ") + page + ":" + list);
    for (const Module& m : modules) {
      if (m.name == lower(kSetupName)) continue;
      if (!planted.count(m.name)) unplanted.insert(m.name);
    }
  };
  d.timeouts.install = 60000;
  try {
    d.start(std::wstring(kFolder) + kSetupName, L"", kFolder);
    HWND main = d.waitWindow(e2e::kMainWindow);
    checkModules("welcome page");
    d.click(main, 1000);
    HWND licence = d.waitWindow(e2e::kLicencePage);
    checkModules("licence page");
    d.click(licence, 2);
    HWND exitDialog = d.waitWindow(e2e::kExitDialog);
    checkModules("exit confirmation");
    d.click(exitDialog, 2);
    d.waitGone(exitDialog, "the exit confirmation");
    licence = d.waitWindow(e2e::kLicencePage);
    d.setCheck(licence, 1017, true);
    d.waitText(licence, 1, e2e::kInstall);
    d.click(licence, 1);
    d.waitGone(licence, "the licence page");
    main = d.waitWindow(e2e::kMainWindow);
    d.waitText(main, 1001, L"完成", d.timeouts.install);
    checkModules("finish page");
    d.screenshot(main, "finish");
    d.click(main, 1001);
    d.waitExit();
  } catch (const e2e::StepFailure& failure) {
    ADD_FAILURE() << failure.what();
  }

  const auto markers = readMarkers();
  EXPECT_TRUE(markers.empty()) << "planted libraries were loaded:\n" << describeMarkers(markers);
  std::string missing;
  for (const auto& n : unplanted) missing += " " + utf8(n);
  EXPECT_TRUE(unplanted.empty()) << "the setup loaded libraries that have no plant here:" << missing;

  if (!markers.empty()) return;
  if (counted.empty()) {
    GTEST_SKIP() << "This Wine loads none of the planted names from a program's own folder, even for a "
                    "naive program: this run proves nothing about planting for them.";
  }
  std::cout << "Proven for these names: the setup, from the welcome page to the finish, loaded none of them "
               "from its folder:";
  for (const auto& n : counted) std::cout << " " << utf8(n);
  std::cout << "\n";
}

// The setup file's own header, read from the file: DEP and ASLR asked for,
// and relocations present so that ASLR can move the image.
TEST(SetupImage, AsksForDepAndAslrAndCarriesRelocations) {
  HANDLE f = CreateFileW(fromEnv("VELKOR_SETUP_FILE").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  std::vector<BYTE> head(4096);
  DWORD got = 0;
  ReadFile(f, head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
  CloseHandle(f);
  ASSERT_EQ(got, head.size());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LT(static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), head.size());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(head.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  ASSERT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  const WORD characteristics = nt->OptionalHeader.DllCharacteristics;
  EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << "DEP";
  EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << "ASLR";
  EXPECT_FALSE(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED) << "relocations kept";
  const auto& relocs = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  EXPECT_GT(relocs.Size, 0u) << "a base relocation table";
  const auto* sections = IMAGE_FIRST_SECTION(nt);
  bool relocSection = false;
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
    const auto& s = sections[i];
    if (relocs.VirtualAddress >= s.VirtualAddress && relocs.VirtualAddress < s.VirtualAddress + s.Misc.VirtualSize)
      relocSection = s.SizeOfRawData >= relocs.Size;
  }
  EXPECT_TRUE(relocSection) << "the relocation table lies inside a section of the file";
}

}  // namespace
}  // namespace velkor

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
