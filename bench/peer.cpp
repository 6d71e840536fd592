// The wizard against NSIS installers of the same nine files, watched from
// this measuring process. bench/peer_rounds.sh starts it once per run, each
// time in a fresh prefix, and once more at the end for the table.
//
//   bench_peer run <wizard|nsis> <setup.exe> <payload setup> <warm-up.exe>
//     (the payload setup: the built Velkorsetup.exe the members were cut from)
//     Copies the setup to C:\bench and starts the warm-up program there once
//     (the first window of a fresh prefix also starts Wine's desktop process
//     and loads its fonts, which no setup should be charged with). Then it
//     starts the setup and times
//       - start: CreateProcessW until its first window is painted (the same
//         watch as the wizard's start bench);
//       - install: from the click that starts the installation ("安装 (&I)"
//         after ticking the agreement for the wizard, the licence page's
//         Install button for NSIS) until the wizard's 1001 reads "完成", or
//         NSIS's instfiles page reads "Completed" with its button enabled;
//       - total: CreateProcessW until that end, every click included, each
//         made as soon as the window it needs is there;
//     and reads the installer's peak working set at that end, before it is
//     ended. Afterwards every installed file is compared byte for byte with
//     its member in the payload setup: the nine members for NSIS; for the
//     wizard, which deletes the font bundle (Velkorsys.dll) after its font
//     step, its eight other members, the bundle's absence, and every font it
//     installed (in the font folder and the install folder) against its part
//     of the bundle. Prints one "peer-run" line (bench/peer_results.h).
//
//   bench_peer table <results file>
//     Prints the table of medians and ratios from the runs' lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/peer_results.h"
#include "bench/wizard_pages.h"
#include "engine/install_paths.h"
#include "payload/layout.h"

namespace {

using namespace velkor;
using namespace velkor::bench;

// NSIS's own control identifiers and its English status at the end of the
// instfiles page.
constexpr int kNsisNext = IDOK;             // Install, then Close
constexpr int kNsisProgress = 1004;
constexpr int kNsisStatus = 1006;
constexpr wchar_t kNsisCompleted[] = L"Completed";

constexpr double kInstallTimeout = 240;  // seconds

std::wstring fileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }
std::string narrow(const std::wstring& w) { return utf8(std::u16string(w.begin(), w.end())); }

// A page of the NSIS window: a child dialog holding control `id`.
HWND pageWith(HWND main, int id) {
  for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetDlgItem(child, id) != nullptr) return child;
  return nullptr;
}

// Clicks Install on the NSIS licence page and waits until the instfiles page
// has finished.
bool installWithNsis(const Started& s, std::string& failure) {
  HWND next = GetDlgItem(s.window, kNsisNext);
  if (next == nullptr) {
    failure = "no Install button on the first page";
    return false;
  }
  PostMessageW(next, BM_CLICK, 0, 0);
  const bool ended = waitFor(kInstallTimeout, [&] {
    HWND page = pageWith(s.window, kNsisProgress);
    return page != nullptr && IsWindowEnabled(next) && windowText(page, kNsisStatus) == kNsisCompleted;
  });
  if (!ended) failure = "the installation did not end";
  return ended;
}

class Reader {
 public:
  explicit Reader(const std::wstring& path)
      : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~Reader() {
    if (open()) CloseHandle(file_);
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool open() const { return file_ != INVALID_HANDLE_VALUE; }
  std::uint64_t size() const {
    LARGE_INTEGER n{};
    return GetFileSizeEx(file_, &n) ? static_cast<std::uint64_t>(n.QuadPart) : 0;
  }
  bool seekFromEnd(std::int64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    return SetFilePointerEx(file_, at, nullptr, FILE_END) != FALSE;
  }
  bool read(std::uint8_t* data, DWORD count) {
    DWORD got = 0;
    return ReadFile(file_, data, count, &got, nullptr) && got == count;
  }

 private:
  HANDLE file_;
};

// The installed file at `path` is exactly `length` bytes of the payload
// setup, starting `fromEnd` bytes before its end (the payload ends there).
bool sameBytes(const std::wstring& path, const std::wstring& payloadSetup, std::int64_t fromEnd, std::uint32_t length,
               std::string& failure) {
  Reader installed(path), source(payloadSetup);
  if (!installed.open()) {
    failure = narrow(path) + " is missing";
    return false;
  }
  if (!source.open() || !source.seekFromEnd(fromEnd)) {
    failure = "cannot read the payload setup";
    return false;
  }
  if (installed.size() != length) {
    failure = narrow(path) + " is " + std::to_string(installed.size()) + " bytes, not " + std::to_string(length);
    return false;
  }
  constexpr DWORD kBlock = 1 << 20;
  std::vector<std::uint8_t> a(kBlock), b(kBlock);
  for (std::uint32_t done = 0; done < length;) {
    const DWORD n = static_cast<DWORD>(std::min<std::uint32_t>(kBlock, length - done));
    if (!installed.read(a.data(), n) || !source.read(b.data(), n)) {
      failure = "cannot read " + narrow(path) + " (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    if (std::memcmp(a.data(), b.data(), n) != 0) {
      failure = narrow(path) + " differs from its member";
      return false;
    }
    done += n;
  }
  return true;
}

// The files the installer left, compared with their members in the payload
// setup; the number compared, or -1 with `failure` set.
int verifyInstalled(bool wizard, const std::wstring& payloadSetup, std::string& failure) {
  int checked = 0;
  for (const payload::Member& m : payload::kMembers) {
    const std::wstring path = wide(m.destination);
    if (wizard && &m == &payload::kFontBundle) {
      if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        failure = narrow(path) + " is still there after the font step";
        return -1;
      }
      continue;
    }
    if (!sameBytes(path, payloadSetup, m.start, m.length, failure)) return -1;
    ++checked;
  }
  if (!wizard) return checked;

  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::u16string windowsDir(windows, windows + wcslen(windows));
  int fonts = 0;
  for (const std::u16string& folder :
       {paths::fontFolder(windowsDir), std::u16string(paths::kInstallDirectory) + u"\\"}) {
    for (const payload::FontPart& part : payload::kFontParts) {
      const std::wstring path = wide((folder + part.fileName).c_str());
      if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      const std::int64_t fromEnd = std::int64_t{payload::kFontBundle.start} + part.offset;
      if (!sameBytes(path, payloadSetup, fromEnd, part.length, failure)) return -1;
      ++fonts;
    }
  }
  if (fonts == 0) {
    failure = "the wizard installed no font";
    return -1;
  }
  return checked + fonts;
}

int fail(const std::string& what) {
  std::printf("bench: %s\n", what.c_str());
  return 1;
}

int runOne(bool wizard, const std::wstring& setupArg, const std::wstring& payloadSetupArg, const std::wstring& warmUpArg) {
  CreateDirectoryW(L"C:\\bench", nullptr);
  const std::wstring setup = L"C:\\bench\\" + fileNameOf(setupArg);
  const std::wstring warmUp = L"C:\\bench\\warm-up.exe";
  if (!CopyFileW(windowsPath(setupArg).c_str(), setup.c_str(), FALSE) ||
      !CopyFileW(windowsPath(warmUpArg).c_str(), warmUp.c_str(), FALSE))
    return fail("cannot copy the programs to C:\\bench");

  Started first = start(warmUp);
  const bool warmed = first.seconds >= 0;
  end(first);
  if (!warmed) return fail("the warm-up program showed no painted window");

  peer::Run run;
  run.setup = narrow(fileNameOf(setup));
  run.size = Reader(setup).size();

  Started s = start(setup);
  if (s.seconds < 0) {
    end(s);
    return fail(run.setup + " showed no painted window");
  }
  run.start = s.seconds;
  std::string failure;
  double clicked = 0;
  bool installed = false;
  if (wizard) {
    if (HWND licence = openLicenceAndAgree(s, failure)) {
      clicked = now();
      installed = installFromLicence(s, licence, failure);
    }
  } else {
    clicked = now();
    installed = installWithNsis(s, failure);
  }
  const double finished = now();
  // Read as any other program would read it, through a handle of its own.
  if (HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, s.process.dwProcessId)) {
    run.peak = peakWorkingSet(h);
    CloseHandle(h);
  }
  end(s);
  if (installed && run.peak == 0) {
    installed = false;
    failure = "its peak working set could not be read";
  }
  if (!installed) return fail(run.setup + ": " + failure);
  run.install = finished - clicked;
  run.total = finished - s.begin;

  run.checked = verifyInstalled(wizard, windowsPath(payloadSetupArg), failure);
  if (run.checked < 0) return fail(run.setup + ": " + failure);
  std::printf("%s\n", peer::formatRun(run).c_str());
  return 0;
}

int printTable(const std::wstring& resultsArg) {
  FILE* in = _wfopen(windowsPath(resultsArg).c_str(), L"r");
  if (in == nullptr) return fail("cannot read the results file");
  std::vector<peer::Run> runs;
  std::vector<peer::Load> loads;
  for (char line[1024]; std::fgets(line, sizeof line, in);) {
    if (auto r = peer::parseRun(line)) runs.push_back(*r);
    if (auto l = peer::parseLoad(line)) loads.push_back(*l);
  }
  std::fclose(in);
  if (runs.empty()) return fail("the results file holds no run");
  for (const peer::Row& r : peer::table(runs, loads)) {
    if (r.heading)
      section(r.what);
    else
      row(r.what.c_str(), r.figure, r.ratio, r.goal.c_str());
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"run" && argc == 6 && (std::wstring(argv[2]) == L"wizard" || std::wstring(argv[2]) == L"nsis"))
    return runOne(std::wstring(argv[2]) == L"wizard", argv[3], argv[4], argv[5]);
  if (mode == L"table" && argc == 3) return printTable(argv[2]);
  std::printf(
      "usage: bench_peer run <wizard|nsis> <setup.exe> <payload setup> <warm-up.exe>\n"
      "       bench_peer table <results file>\n");
  return 2;
}
