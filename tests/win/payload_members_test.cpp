// The demo setup file under Windows: every member, sliced out of the setup
// file by the member table, is what its place promises. Programs start and
// show their window, libraries load, the console program runs, each font part
// installs and serves its family, and the image's seal matches the payload.
//   win_payload_test SETUP.exe UNSEALED_IMAGE.exe [gtest flags]
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "payload/layout.h"
#include "lib/font_names.h"
#include "lib/window_driver.h"
#include "lib/wine_env.h"
#include "payload_image/self_check.h"
#include "payload/pe_headers.h"
#include "unit/payload_font_families.h"

namespace {

using namespace velkor::payload;

std::wstring g_setup;          // the demo setup file
std::wstring g_unsealedImage;  // the image before mkpayload filled its seal

constexpr DWORD kWaitMs = 30000;  // a generous bound for a start under Wine, not a timing claim

std::wstring windowsPath(const char* arg) {
  std::wstring path(arg, arg + std::strlen(arg));
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring wide(const char16_t* text) { return std::wstring(text, text + std::char_traits<char16_t>::length(text)); }

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::vector<unsigned char> readFileBytes(const std::wstring& path, std::int64_t offset, std::size_t length) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER at;
  at.QuadPart = offset;
  DWORD got = 0;
  bytes.resize(length);
  if (!SetFilePointerEx(file, at, nullptr, offset < 0 ? FILE_END : FILE_BEGIN) ||
      !ReadFile(file, bytes.data(), static_cast<DWORD>(length), &got, nullptr))
    got = 0;
  bytes.resize(got);
  CloseHandle(file);
  return bytes;
}

std::int64_t fileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool writeFileBytes(const std::wstring& path, const unsigned char* data, std::size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

// The one member of a kind that has only one.
const Member& onlyMember(MemberKind kind) {
  const Member* found = nullptr;
  for (const auto& m : kMembers)
    if (m.kind == kind) found = found ? nullptr : &m;
  if (found == nullptr) std::abort();  // the table changed under the test
  return *found;
}

// A member as the engine finds it: counted back from the end of the setup file.
std::vector<unsigned char> memberBytes(const Member& m) { return readFileBytes(g_setup, m.start, m.length); }

// A folder of this run's own for the extracted members.
std::wstring workFolder() {
  static const std::wstring folder = [] {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring f = std::wstring(temp) + L"velkor_payload_test\\";
    CreateDirectoryW(f.c_str(), nullptr);
    return f;
  }();
  return folder;
}

// Extracts a member under its own file name; returns the path ("" on failure).
std::wstring extract(const Member& m) {
  const std::vector<unsigned char> bytes = memberBytes(m);
  const std::wstring path = workFolder() + wide(m.fileName);
  if (bytes.size() != m.length || !writeFileBytes(path, bytes.data(), bytes.size())) return L"";
  return path;
}

struct Process {
  PROCESS_INFORMATION info{};
  bool started = false;
  ~Process() {
    if (!started) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  // Waits for the end; returns the exit code, or -1 when it did not end in time.
  long finish() {
    if (WaitForSingleObject(info.hProcess, kWaitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return static_cast<long>(code);
  }
};

bool start(Process& p, const std::wstring& program, DWORD flags = 0, STARTUPINFOW* startup = nullptr,
           BOOL inherit = FALSE) {
  STARTUPINFOW plain{};
  plain.cb = sizeof plain;
  std::wstring commandLine = L"\"" + program + L"\"";
  p.started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, inherit, flags, nullptr,
                             workFolder().c_str(), startup ? startup : &plain, &p.info) != FALSE;
  return p.started;
}

// Runs a program to its end and returns its exit code (-1: did not start or end).
long runToEnd(const std::wstring& program) {
  Process p;
  if (!start(p, program)) return -1;
  return p.finish();
}

// ---- The layout of the setup file ------------------------------------------

TEST(PayloadLayout, SetupFileLengthIsAMultipleOfEightAndHoldsThePayload) {
  const std::int64_t size = fileSize(g_setup);
  ASSERT_GT(size, static_cast<std::int64_t>(kPayloadSize));
  EXPECT_EQ(size % 8, 0);
}

TEST(PayloadLayout, ProgramAndLibraryMembersAreCompletePeFilesEndingAtTheirLength) {
  using velkor::pe::PeLayout;
  for (const auto& m : kMembers) {
    if (m.kind == MemberKind::FontBundle || m.kind == MemberKind::SkinData) continue;
    SCOPED_TRACE(narrow(wide(m.fileName)));
    const std::vector<unsigned char> bytes = memberBytes(m);
    ASSERT_EQ(bytes.size(), m.length);
    PeLayout pe;
    std::string error;
    ASSERT_TRUE(velkor::pe::readPeLayout(bytes.data(), bytes.size(), pe, error)) << error;
    EXPECT_EQ(pe.lastSectionEnd(), m.length);
    const auto* last = pe.lastSectionInFile();
    ASSERT_NE(last, nullptr);
    const std::uint64_t imageEnd = std::uint64_t{last->virtualAddress} + last->virtualSize;
    EXPECT_GE(last->virtualSize, last->sizeOfRawData);
    EXPECT_GE(pe.sizeOfImage, imageEnd);
    EXPECT_LT(pe.sizeOfImage - imageEnd, pe.sectionAlignment);
    EXPECT_EQ(pe.checkSum, velkor::pe::peCheckSum(bytes.data(), bytes.size(), pe.checkSumOffset));
  }
}

TEST(PayloadLayout, DataMembersStartWithTheirHeaders) {
  const Member& skin = onlyMember(MemberKind::SkinData);
  const auto skinBytes = memberBytes(skin);
  ASSERT_EQ(skinBytes.size(), skin.length);
  EXPECT_EQ(std::memcmp(skinBytes.data(), velkor::payload::kSkinDataMagic, 4), 0);
  const auto bundle = memberBytes(kFontBundle);
  ASSERT_EQ(bundle.size(), kFontBundle.length);
  for (const auto& part : kFontParts) {
    SCOPED_TRACE(part.number);
    EXPECT_EQ(std::memcmp(bundle.data() + part.offset, velkor::payload::kTrueTypeTag, 4), 0);
  }
}

// ---- Programs and libraries run --------------------------------------------

TEST(PayloadPrograms, GuiProgramsShowAWindowNamedAfterThemAndCloseOnRequest) {
  for (const auto& m : kMembers) {
    if (m.kind != MemberKind::GuiProgram) continue;
    const std::wstring name = wide(m.fileName);
    SCOPED_TRACE(narrow(name));
    const std::wstring path = extract(m);
    ASSERT_FALSE(path.empty());
    Process p;
    ASSERT_TRUE(start(p, path)) << GetLastError();
    // Its window exists, hidden, from its creation until the program shows it.
    velkor::testlib::Driver d(narrow(name), L"");
    d.watch(p.info.dwProcessId);
    d.timeouts.window = kWaitMs;
    HWND window = d.waitWindow({name, {}, {}, "the window captioned with the program's name"});
    // The finder the end-to-end driver uses sees it too.
    EXPECT_NE(FindWindowW(nullptr, name.c_str()), nullptr);
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(p.finish(), 0);
  }
}

TEST(PayloadPrograms, ConsoleProgramPrintsItsNameAndExitsWithZero) {
  const Member& ffmpeg = onlyMember(MemberKind::ConsoleProgram);
  const std::wstring path = extract(ffmpeg);
  ASSERT_FALSE(path.empty());
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inheritable, 0));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  Process p;
  const bool started = start(p, path, CREATE_NO_WINDOW, &startup, TRUE);
  CloseHandle(writeEnd);
  std::string output;
  char buffer[256];
  DWORD got = 0;
  while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  CloseHandle(readEnd);
  ASSERT_TRUE(started);
  EXPECT_EQ(p.finish(), 0);
  EXPECT_EQ(output, "ffmpeg.exe: demo stand-in\r\n");
}

TEST(PayloadLibraries, LibrariesLoadAndNameTheFileTheyWereLoadedFrom) {
  for (const auto& m : kMembers) {
    if (m.kind != MemberKind::Library) continue;
    const std::wstring name = wide(m.fileName);
    SCOPED_TRACE(narrow(name));
    const std::wstring path = extract(m);
    ASSERT_FALSE(path.empty());
    HMODULE library = LoadLibraryW(path.c_str());
    ASSERT_NE(library, nullptr) << GetLastError();
    using NameFn = const wchar_t* (*)();
    auto fn = reinterpret_cast<NameFn>(reinterpret_cast<void*>(GetProcAddress(library, "VelkorStandinName")));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(std::wstring(fn()), name);
    EXPECT_TRUE(FreeLibrary(library));
  }
}

// ---- Fonts -----------------------------------------------------------------

// Child mode (`--serves FONT FAMILY`): adds the font file and reports whether
// the family name then selects it. A process of its own, because Wine reads its
// face replacements once per process and then lets them shadow a family of
// the same name.
int servesFamily(const std::wstring& path, const std::wstring& family) {
  const std::string marker = velkor::wintest::utf16be(family + wide(velkor::payloadtest::kDemoFontMarker));
  // Before the font is added the face is not served by it. Wine keeps the font
  // a LOGFONT selected even after AddFontResourceW, so this look uses another height.
  if (velkor::wintest::nameTableOf(family.c_str(), -17).find(marker) != std::string::npos) return 3;
  if (AddFontResourceW(path.c_str()) < 1) return 2;
  return velkor::wintest::nameTableOf(family.c_str(), -16).find(marker) != std::string::npos ? 0 : 1;
}

std::wstring ownPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(PayloadFonts, EachPartIsAcceptedAndServesItsFamily) {
  const auto bundle = memberBytes(kFontBundle);
  ASSERT_EQ(bundle.size(), kFontBundle.length);
  // The prefix maps some of these faces to a Chinese font of the machine; without
  // that mapping, as on Windows, the face name must select the installed part.
  HKEY replacements = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", 0, KEY_SET_VALUE, &replacements);
  for (const auto& part : kFontParts) {
    const std::wstring family = wide(velkor::payloadtest::kDemoFontFamilies[part.number - 1]);
    SCOPED_TRACE(narrow(family));
    const std::wstring path = workFolder() + wide(part.fileName);
    ASSERT_TRUE(writeFileBytes(path, bundle.data() + part.offset, part.length));
    const int added = AddFontResourceW(path.c_str());
    EXPECT_GE(added, 1);
    EXPECT_EQ(RemoveFontResourceW(path.c_str()), added >= 1 ? TRUE : FALSE);
    if (replacements) RegDeleteValueW(replacements, family.c_str());

    Process child;
    const std::wstring self = ownPath();
    std::wstring commandLine = L"\"" + self + L"\" --serves \"" + path + L"\" \"" + family + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    child.started = CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &child.info) != FALSE;
    ASSERT_TRUE(child.started);
    EXPECT_EQ(child.finish(), 0) << "1: the face name does not select the added font; 2: not accepted; "
                                    "3: served before it was added";
  }
  if (replacements) RegCloseKey(replacements);
}

// ---- The seal --------------------------------------------------------------

TEST(PayloadSeal, TheSetupFileFindsItsSealAndItMatchesThePayload) {
  EXPECT_EQ(runToEnd(g_setup), velkor::payloadtest::kSealMatches);
}

TEST(PayloadSeal, AChangedPayloadByteNoLongerMatches) {
  const std::int64_t size = fileSize(g_setup);
  ASSERT_GT(size, 0);
  std::vector<unsigned char> whole = readFileBytes(g_setup, 0, static_cast<std::size_t>(size));
  ASSERT_EQ(whole.size(), static_cast<std::size_t>(size));
  whole[whole.size() - kPayloadSize / 2] ^= 0x01;
  const std::wstring changed = workFolder() + L"changed_setup.exe";
  ASSERT_TRUE(writeFileBytes(changed, whole.data(), whole.size()));
  EXPECT_EQ(runToEnd(changed), velkor::payloadtest::kPayloadMismatch);
}

TEST(PayloadSeal, TheImageBeforeSealingCarriesAnUnfilledSeal) {
  EXPECT_EQ(runToEnd(g_unsealedImage), velkor::payloadtest::kSealUnfilled);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--serves") == 0) {
    const std::string path = argv[2], family = argv[3];
    return servesFamily(std::wstring(path.begin(), path.end()), std::wstring(family.begin(), family.end()));
  }
  testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: win_payload_test SETUP.exe UNSEALED_IMAGE.exe [gtest flags]\n");
    return 2;
  }
  g_setup = windowsPath(argv[1]);
  g_unsealedImage = windowsPath(argv[2]);
  std::printf("Windows version %s, scenario %s\n", velkor::testenv::currentWindowsVersion().name,
              velkor::testenv::scenario().c_str());
  return RUN_ALL_TESTS();
}
