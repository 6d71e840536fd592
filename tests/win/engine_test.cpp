// The engine on a real Windows system (Wine): the Win32 adapters keep the
// file-system contract and report the running system; the installation
// sequence extracts this very file's payload (this program is the image of a
// synthetic setup file) byte for byte, fails with the right page when a
// member's place is taken, and leaves the disk alone when the setup file is
// damaged.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/failure_display.h"
#include "engine/install_paths.h"
#include "engine/install_sequence.h"
#include "payload/layout.h"
#include "payload/sha256.h"
#include "lib/pumping_view.h"
#include "lib/wine_env.h"
#include "platform/win32_system.h"
#include "unit/engine_file_system_contract.h"
#include "unit/engine_support.h"

namespace velkor {
namespace {

using payload::kMembers;
using payload::kPayloadSize;

std::wstring wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string utf16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

std::wstring ownPath() {
  std::vector<wchar_t> buffer(32768);
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return std::wstring(buffer.data(), n);
}

std::vector<std::uint8_t> readFile(const std::wstring& path) {
  std::vector<std::uint8_t> bytes;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(f, &size);
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() && !ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(f);
  return bytes;
}

bool writeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                  put == bytes.size();
  CloseHandle(f);
  return ok;
}

bool exists(const std::u16string& path) {
  return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names, sizes and write times of everything under a folder.
using Listing = std::map<std::wstring, std::pair<std::uint64_t, std::uint64_t>>;
void list(const std::wstring& folder, Listing& out) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = d.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    out[path] = {(std::uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow,
                 (std::uint64_t{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime};
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) list(path, out);
  } while (FindNextFileW(h, &d));
  FindClose(h);
}
Listing listing(const std::wstring& folder) {
  Listing out;
  list(folder, out);
  return out;
}

// A message-only window that notes whether the install directory existed when
// a posted message reached it.
constexpr UINT kProbe = WM_APP + 7;
int g_probes = 0;
bool g_probeBeforeInstallDirectory = false;
LRESULT CALLBACK probeProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kProbe) {
    ++g_probes;
    g_probeBeforeInstallDirectory = !exists(paths::kInstallDirectory);
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}
HWND probeWindow() {
  static HWND window = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = probeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelkorEngineProbe";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
  }();
  return window;
}

// The Win32 system with another file in the setup file's place.
class SystemWithSetupAt : public Win32System {
 public:
  explicit SystemWithSetupAt(std::u16string path) : path_(std::move(path)) {}
  std::u16string modulePath() override { return path_; }

 private:
  std::u16string path_;
};

struct Installation {
  testlib::PumpingView view;
  WizardState state;
  testing::RecordingOperations operations;
  Installation() {
    state.bInstalling = 1;
    state.bConfigurePending = 1;
  }
  void install(System& system) {
    SetupFile setup = holdSetupFile(system);
    InstallSequence(system, view, state, operations, setup).run();
  }
};

std::vector<std::uint8_t> payloadOf(const std::vector<std::uint8_t>& setup) {
  return std::vector<std::uint8_t>(setup.end() - kPayloadSize, setup.end());
}

void expectFailurePage(const Installation& run, const std::u16string& path, const std::u16string& reason) {
  EXPECT_EQ(run.view.text(ctl::kTitle), std::u16string(text::kFailureTitle));
  EXPECT_EQ(run.view.text(ctl::kLine1), path);
  EXPECT_EQ(run.view.text(ctl::kLine2), reason);
  EXPECT_EQ(run.view.text(ctl::kLine3), std::u16string(text::kClickOkToExit));
  EXPECT_EQ(run.view.text(ctl::kStatus), std::u16string(text::kInstallFailedStatus));
  EXPECT_EQ(run.view.text(ctl::kCancelFinish), std::u16string(text::kOkCaption));
  EXPECT_FALSE(run.view.isVisible(ctl::kNext));
  EXPECT_EQ(run.state.bInstalling, 0);
  EXPECT_EQ(run.state.bInstallFailed, 1);
  EXPECT_EQ(run.operations.count(u"ops writeRegistryConfiguration"), 0u);
}

// ---- The adapters ---------------------------------------------------------------

TEST(Win32SystemAdapter, KeepsTheFileSystemContract) {
  Win32System system;
  const std::u16string root = u"C:\\engine-contract";
  ASSERT_TRUE(system.createDirectory(root));
  contract::runFileSystemContract(system, root);
}

TEST(Win32SystemAdapter, ReportsTheRunningSystem) {
  Win32System system;
  const auto& want = testenv::currentWindowsVersion();
  const VersionRecord v = system.versionRecord();
  EXPECT_EQ(v.major, want.major);
  EXPECT_EQ(v.minor, want.minor);
  EXPECT_EQ(v.platform, want.platform);

  const std::u16string windows = system.windowsDirectory();
  EXPECT_EQ(CompareStringOrdinal(reinterpret_cast<LPCWCH>(windows.c_str()), -1, L"C:\\windows", -1, TRUE),
            CSTR_EQUAL);
  EXPECT_TRUE(system.volumeSerial(u"c:\\").has_value());
  EXPECT_FALSE(system.volumeSerial(u"q:\\no-volume\\").has_value());
  EXPECT_EQ(system.modulePath(), utf16(ownPath()));
}

TEST(Win32SystemAdapter, ReadsTheSealThatCoversThisFilesPayload) {
  Win32System system;
  const auto seal = system.payloadSeal();
  ASSERT_TRUE(seal);
  EXPECT_EQ(seal->payloadSize, kPayloadSize);
  const auto payload = payloadOf(readFile(ownPath()));
  EXPECT_EQ(seal->digest, sha256(payload.data(), payload.size()));
}

TEST(Win32SystemAdapter, AHeldFileCanBeNeitherWrittenRenamedNorDeleted) {
  const std::wstring path = L"C:\\held\\Velkorsetup.exe";
  ASSERT_TRUE(CreateDirectoryW(L"C:\\held", nullptr));
  ASSERT_TRUE(writeFile(path, std::vector<std::uint8_t>(4096, 0x42)));
  Win32System system;
  {
    ScopedFile held(system, system.openReadHeld(utf16(path)));
    ASSERT_TRUE(held);
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "write-open";
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_FALSE(MoveFileExW(path.c_str(), L"C:\\held\\away.exe", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "rename";
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "delete";
    // Others may still read it, and so may the holder.
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    std::uint8_t first = 0;
    EXPECT_EQ(system.read(held.get(), &first, 1), 1u);
    EXPECT_EQ(first, 0x42);
  }
  // Let go, the file is anyone's again.
  EXPECT_TRUE(MoveFileExW(path.c_str(), L"C:\\held\\away.exe", 0));
  // A file another program has open for writing cannot be held.
  HANDLE writer = CreateFileW(L"C:\\held\\away.exe", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(system.openReadHeld(u"C:\\held\\away.exe"));
  CloseHandle(writer);
}

// ---- The installation -----------------------------------------------------------

TEST(EngineOnWine, ExtractsEveryMemberByteForByte) {
  const auto payload = payloadOf(readFile(ownPath()));
  Win32System system;
  Installation run;
  bool bundleWhole = false;
  run.operations.fontStep = [&](VersionClass, BlockCopier&, const BundleSource& source) {
    const auto& bundle = payload::kFontBundle;
    std::vector<std::uint8_t> read(bundle.length);
    bundleWhole = system.seek(source.file, source.start, SeekOrigin::Begin) &&
                  system.read(source.file, read.data(), read.size()) == read.size() &&
                  std::equal(read.begin(), read.end(), payload.begin() + payload::offsetInPayload(bundle));
  };
  ASSERT_TRUE(PostMessageW(probeWindow(), kProbe, 0, 0));
  run.install(system);

  EXPECT_EQ(run.state.bInstallFailed, 0);
  EXPECT_EQ(g_probes, 1);
  EXPECT_TRUE(g_probeBeforeInstallDirectory) << "messages are pumped during the setup file's check";
  EXPECT_TRUE(bundleWhole);
  for (const auto& m : kMembers) {
    SCOPED_TRACE(m.number);
    if (&m == &payload::kFontBundle) {
      EXPECT_FALSE(exists(m.destination)) << "deleted after the registry step";
      continue;
    }
    const auto file = readFile(wide(m.destination));
    ASSERT_EQ(file.size(), m.length);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), payload.begin() + payload::offsetInPayload(m)));
  }
  EXPECT_EQ(run.view.stepIts, 575u) << "the payload alone";
  EXPECT_EQ(run.view.position(), run.view.upperBound());
  const VersionClass version = classify(system.versionRecord());
  // Wine's font folder is empty: every font counts as missing.
  const int upper = version == VersionClass::Xp ? 766 : version == VersionClass::Vista ? 615
                  : version == VersionClass::SevenOrLater ? 655 : 0;
  EXPECT_EQ(run.view.upperBound(), upper);
}

TEST(EngineOnWine, ADirectoryInPlaceOfAProgramGivesTheFailurePage) {
  const auto payload = payloadOf(readFile(ownPath()));
  const std::u16string lock = kMembers[3].destination;
  ASSERT_TRUE(CreateDirectoryW(wide(paths::kInstallDirectory).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(wide(lock).c_str(), nullptr));
  Win32System system;
  Installation run;
  run.install(system);
  expectFailurePage(run, lock, text::kProgramInUse);
  for (const auto& m : kMembers) {
    SCOPED_TRACE(m.number);
    if (m.number < 4) {
      const auto file = readFile(wide(m.destination));
      ASSERT_EQ(file.size(), m.length);
      EXPECT_TRUE(std::equal(file.begin(), file.end(), payload.begin() + payload::offsetInPayload(m)));
    } else if (m.number > 4) {
      EXPECT_FALSE(exists(m.destination));
    }
  }
}

TEST(EngineOnWine, ADamagedSetupFileChangesNothingOnDisk) {
  const auto setup = readFile(ownPath());
  ASSERT_GT(setup.size(), kPayloadSize);
  ASSERT_TRUE(CreateDirectoryW(L"C:\\damaged", nullptr));
  auto truncated = setup;
  truncated.resize(setup.size() - 4096);
  auto corrupted = setup;
  corrupted[setup.size() - kPayloadSize / 2] ^= 0x20;
  ASSERT_TRUE(writeFile(L"C:\\damaged\\truncated.exe", truncated));
  ASSERT_TRUE(writeFile(L"C:\\damaged\\corrupted.exe", corrupted));

  for (const char16_t* path : {u"C:\\damaged\\truncated.exe", u"C:\\damaged\\corrupted.exe",
                               u"C:\\damaged\\missing.exe"}) {
    SCOPED_TRACE(std::string(path, path + std::char_traits<char16_t>::length(path)));
    const Listing programFiles = listing(L"C:\\Program Files");
    const Listing damaged = listing(L"C:\\damaged");
    SystemWithSetupAt system(path);
    Installation run;
    run.install(system);
    expectFailurePage(run, path, text::kSetupDamaged);
    EXPECT_FALSE(exists(paths::kInstallDirectory));
    EXPECT_EQ(listing(L"C:\\Program Files"), programFiles);
    EXPECT_EQ(listing(L"C:\\damaged"), damaged);
    EXPECT_EQ(run.operations.count(u"ops removePreviousInstallation"), 0u);
  }
}

TEST(EngineOnWine, ASignedSetupFileInstalls) {
  // What a signer does: a certificate table behind the payload, declared in
  // the PE header's data directory 4.
  auto setup = readFile(ownPath());
  ASSERT_EQ(setup.size() % 8, 0u) << "the payload tool pads the image to a multiple of 8";
  const auto payload = payloadOf(setup);
  const std::uint32_t tableAt = static_cast<std::uint32_t>(setup.size());
  const std::vector<std::uint8_t> table(0x1A8, 0x30);
  const std::uint32_t nt = setup[0x3C] | setup[0x3D] << 8 | setup[0x3E] << 16 | setup[0x3F] << 24;
  ASSERT_EQ(setup[nt + 24] | setup[nt + 25] << 8, 0x10B) << "a PE32 image";
  testing::put32(setup, nt + 24 + 96 + 4 * 8, tableAt);
  testing::put32(setup, nt + 24 + 96 + 4 * 8 + 4, static_cast<std::uint32_t>(table.size()));
  setup.insert(setup.end(), table.begin(), table.end());
  ASSERT_TRUE(CreateDirectoryW(L"C:\\signed", nullptr));
  ASSERT_TRUE(writeFile(L"C:\\signed\\Velkorsetup.exe", setup));

  SystemWithSetupAt system(u"C:\\signed\\Velkorsetup.exe");
  Installation run;
  run.install(system);
  EXPECT_EQ(run.state.bInstallFailed, 0);
  const auto& main = kMembers[4];
  const auto file = readFile(wide(main.destination));
  ASSERT_EQ(file.size(), main.length);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), payload.begin() + payload::offsetInPayload(main)));
}

}  // namespace
}  // namespace velkor

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
