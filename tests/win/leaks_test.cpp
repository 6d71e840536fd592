// The real wizard in this process under Wine, driven by a thread of its own:
// its GDI objects, USER objects and kernel handles stay flat across twenty
// openings of the licence page and the exit confirmation, across a whole
// installation, and once the main window has closed. The test program is the
// image of a setup file with the demo payload, so the installation is real.
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "app/velkarsetup.h"
#include "app/velkarsetupdlg.h"
#include "framework/app.h"
#include "lib/resource_counts.h"
#include "lib/wizard_windows.h"

namespace velkor {
namespace {

struct Counts {
  unsigned gdi = 0, kernel = 0, windows = 0, menus = 0, icons = 0;
  unsigned soundHelpers = 0;        // winmm's own threads, see Allowance
  test::GdiKinds gdiKinds;          // for the message when GDI grows
  std::set<UINT_PTR> handleValues;  // for the message when kernel handles grow
  std::string topLevel;             // for the message when windows grow
};

std::ostream& operator<<(std::ostream& out, const Counts& c) {
  return out << "GDI " << c.gdi << ", kernel " << c.kernel << ", windows " << c.windows << ", menus " << c.menus
             << ", icons " << c.icons;
}

std::set<UINT_PTR> OpenHandleValues() {
  std::set<UINT_PTR> values;
  DWORD flags = 0;
  for (UINT_PTR value = 4; value < 0x4000; value += 4)
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) values.insert(value);
  return values;
}

// Where a thread started: "module+offset", by NtQueryInformationThread (9).
std::string ThreadStart(HANDLE thread) {
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
  void* start = nullptr;
  if (query == nullptr || query(thread, 9, &start, sizeof start, nullptr) != 0) return "?";
  HMODULE module = nullptr;
  wchar_t name[MAX_PATH] = {};
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(start), &module);
  if (module) ::GetModuleFileNameW(module, name, MAX_PATH);
  std::ostringstream out;
  out << testlib::utf8(name) << "+0x" << std::hex
      << (reinterpret_cast<UINT_PTR>(start) - reinterpret_cast<UINT_PTR>(module)) << " id " << std::dec
      << ::GetThreadId(thread);
  return out.str();
}

// Threads of this process that winmm started for the sound.
unsigned SoundHelperThreads() {
  unsigned count = 0;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Thread32First(snapshot, &entry); ok; ok = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != ::GetCurrentProcessId()) continue;
    if (HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID)) {
      if (ThreadStart(thread).find("winmm.dll") != std::string::npos) ++count;
      ::CloseHandle(thread);
    }
  }
  ::CloseHandle(snapshot);
  return count;
}

// "type name" of a kernel handle, by NtQueryObject (type 2, name 1).
std::string DescribeHandle(UINT_PTR value) {
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  std::string out;
  for (int kind : {2, 1}) {
    alignas(8) BYTE buffer[2048] = {};
    ULONG got = 0;
    if (query == nullptr || query(reinterpret_cast<HANDLE>(value), kind, buffer, sizeof buffer - 2, &got) != 0)
      continue;
    const auto* text = reinterpret_cast<const UNICODE_STRING*>(buffer);
    if (text->Buffer != nullptr) out += testlib::utf8(std::wstring(text->Buffer, text->Length / 2)) + " ";
  }
  if (out.rfind("Thread", 0) == 0) out += ThreadStart(reinterpret_cast<HANDLE>(value));
  return out;
}

// The animation workers make and free GDI objects for every frame, so one
// probe may catch a frame's objects in flight: the least of several probes
// is what the wizard holds.
Counts Take() {
  Counts least{~0u, ~0u, ~0u, ~0u, ~0u, 0, {}, {}, {}};
  for (int i = 0; i < 5; ++i) {
    const test::UserObjects user = test::UserObjectsOfThisProcess();
    const unsigned gdi = test::GdiObjects();
    if (gdi < least.gdi) {
      least.gdi = gdi;
      least.gdiKinds = test::GdiObjectsByKind();
    }
    const unsigned kernel = test::KernelHandles();
    if (kernel < least.kernel) {
      least.kernel = kernel;
      least.handleValues = OpenHandleValues();
    }
    if (user.windows < least.windows) {
      least.windows = user.windows;
      least.topLevel.clear();
      for (HWND w : testlib::topLevelWindows([](HWND w) {
             DWORD process = 0;
             ::GetWindowThreadProcessId(w, &process);
             return process == ::GetCurrentProcessId();
           }))
        least.topLevel += " [" + testlib::utf8(testlib::describe(w)) + "]";
    }
    least.menus = std::min(least.menus, user.menus);
    least.soundHelpers = std::max(least.soundHelpers, SoundHelperThreads());
    least.icons = std::min(least.icons, user.icons);
    ::Sleep(30);
  }
  return least;
}

std::string GrowthDetails(const Counts& before, const Counts& after) {
  std::ostringstream out;
  static const char* const kKinds[16] = {"?", "pen", "brush", "DC", "metaDC", "palette", "font", "bitmap",
                                         "region", "metafile", "memDC", "extPen", "enhMetaDC", "enhMetafile",
                                         "colorSpace", "?"};
  out << "GDI by kind:";
  for (int k = 1; k < 15; ++k)
    if (after.gdiKinds.count[k] != before.gdiKinds.count[k])
      out << " " << kKinds[k] << " " << before.gdiKinds.count[k] << "->" << after.gdiKinds.count[k];
  out << "; new kernel handles:";
  for (UINT_PTR v : after.handleValues)
    if (!before.handleValues.count(v)) out << " [" << DescribeHandle(v) << "]";
  return out.str();
}

// What the counts may grow by. No slack for the wizard: measured under Wine
// 8, once a first window has been through every page and an installation,
// no count grows by a single object of its. Without that first window the
// system's first-use allocations show (the sound's driver cache keys and
// player threads, the shell's and the progress bar's brush and bitmaps).
// One system helper comes and goes on its own: winmm's device thread, which
// a sound may or may not start (it outlives the sound); each one more than
// before holds its thread handle, a message-only window and two DCs with
// their regions (measured).
struct Allowance {
  unsigned gdi = 0, kernel = 0, windows = 0;
};
Allowance AllowanceFor(const Counts& before, const Counts& after, unsigned extraKernel) {
  const unsigned helpers = after.soundHelpers > before.soundHelpers ? after.soundHelpers - before.soundHelpers : 0;
  return {4 * helpers, extraKernel + helpers, helpers};
}

bool Grew(const Counts& before, const Counts& after, unsigned extraKernel) {
  const Allowance a = AllowanceFor(before, after, extraKernel);
  return after.gdi > before.gdi + a.gdi || after.kernel > before.kernel + a.kernel ||
         after.windows > before.windows + a.windows || after.menus > before.menus || after.icons > before.icons;
}

// Counts to compare with `before`: taken again for up to 10 s while they are
// higher, since the system's helpers (the sound's player, a picture worker
// between frames) hold objects for a moment after a page has changed; what
// is still there then stays.
Counts TakeSettled(const Counts& before, unsigned extraKernel = 0) {
  const DWORD start = ::GetTickCount();
  Counts now = Take();
  while (Grew(before, now, extraKernel) && ::GetTickCount() - start < 10000) {
    ::Sleep(200);
    now = Take();
  }
  return now;
}

// `extraKernel`: handles the wizard keeps open by design meanwhile.
void ExpectNoGrowth(const Counts& before, const Counts& after, const char* what, unsigned extraKernel = 0) {
  SCOPED_TRACE(what);
  std::cout << what << ": before " << before << "; after " << after << " (sound helper threads "
            << before.soundHelpers << " -> " << after.soundHelpers << ")\n";
  const std::string details = GrowthDetails(before, after);
  const Allowance a = AllowanceFor(before, after, extraKernel);
  EXPECT_LE(after.gdi, before.gdi + a.gdi) << details;
  EXPECT_LE(after.kernel, before.kernel + a.kernel) << details;
  EXPECT_LE(after.windows, before.windows + a.windows) << "top-level windows before:" << before.topLevel << "; after:"
                                           << after.topLevel;
  EXPECT_LE(after.menus, before.menus);
  EXPECT_LE(after.icons, before.icons);
}

// The driving thread's rounds through the pages, with the window driver on
// this process's windows: clicks posted as a user's would arrive, and each
// round waits until the page it left is destroyed.
struct PageRounds {
  testlib::Driver d{"leaks", L""};
  PageRounds() { d.watch(::GetCurrentProcessId()); }

  // Waits until the window and every visible child of it have painted, then
  // a moment more for the animations' workers to draw a first frame: the
  // window system keeps a DC for each kind of window that has painted once,
  // for good, so the warm-up must paint every page before counting starts.
  void painted(HWND window, const std::string& what) {
    d.waitUntil(what + " painted", [&] { return !HasUpdate(window); }, [] { return std::string("not yet"); },
                d.timeouts.window);
    ::Sleep(kFirstFrame);
  }
  static bool HasUpdate(HWND window) {
    if (!::IsWindow(window)) return false;
    bool pending = ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr && !pending;
         child = ::GetWindow(child, GW_HWNDNEXT))
      pending = ::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE) != FALSE;
    return pending;
  }
  static constexpr DWORD kFirstFrame = 500;

  void destroyed(HWND window, const std::string& what) {
    d.waitUntil(what + " destroyed", [&] { return !::IsWindow(window); }, [] { return std::string("it exists"); },
                d.timeouts.window);
  }
  // Welcome page -> licence page -> "< 上一步" -> welcome page.
  void licenceRound() {
    open();
    HWND licence = d.waitWindow(testlib::kLicencePage);
    d.click(licence, 1);
    destroyed(licence, "the licence page");
    d.waitWindow(testlib::kMainWindow);
  }
  // Licence page -> "取消" -> exit confirmation -> "否(&N)" -> licence page;
  // with `paint`, each page is seen painted before it is left.
  void exitRound(bool paint = false) {
    HWND licence = d.waitWindow(testlib::kLicencePage);
    if (paint) painted(licence, "the licence page");
    d.click(licence, 2);
    HWND exitDialog = d.waitWindow(testlib::kExitDialog);
    if (paint) painted(exitDialog, "the exit confirmation");
    d.click(exitDialog, 2);
    destroyed(exitDialog, "the exit confirmation");
    d.waitWindow(testlib::kLicencePage);
  }
  // Licence page -> agree -> "安装 (&I)" -> the installation -> the finish page.
  void install() {
    HWND licence = d.waitWindow(testlib::kLicencePage);
    d.setCheck(licence, 1017, true);
    d.waitText(licence, 1, testlib::kInstall);
    d.click(licence, 1);
    destroyed(licence, "the licence page");
    HWND main = d.waitWindow(testlib::kMainWindow);
    d.waitUntil(
        "the end of the installation", [&] { return d.text(main, 1001) == L"完成" || d.text(main, 1001) == L"确定"; },
        [&] { return testlib::utf8(d.text(main, 1001)); }, d.timeouts.install);
    d.expect(d.text(main, 1001) == L"完成", "the installation to succeed",
             testlib::utf8(d.text(main, 1004) + L" " + d.text(main, 1005)));
  }
  // "完成": starts the product and ends the window.
  void finish() { d.click(d.waitWindow(testlib::kMainWindow), 1001); }
  void open(bool paint = false) {
    HWND main = d.waitWindow(testlib::kMainWindow);
    if (paint) painted(main, "the main window");
    d.click(main, 1000);
    d.waitWindow(testlib::kLicencePage);
  }
};

// The finish plays a 0.7 s sound; its player thread and window live until it
// has ended (longer on a busy machine).
constexpr DWORD kSoundEnds = 2000;

// Ends the product that the finish started (another process).
void EndStartedProduct() {
  for (DWORD id : testlib::processesNamed(L"VelkorCrypt.exe")) {
    if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      ::TerminateProcess(process, 0);
      ::WaitForSingleObject(process, 5000);
      ::CloseHandle(process);
    }
  }
}

// Runs one main window while `drive` runs on a thread of its own; returns
// what failed there, or nothing.
std::string RunMainWindow(const std::function<void()>& drive) {
  WizardState state;
  CVelkarSetupDlg dialog(state);
  std::string failure;
  std::thread thread([&] {
    try {
      drive();
    } catch (const std::exception& error) {
      failure = error.what();
    }
  });
  fw::AfxGetApp()->m_pMainWnd = &dialog;
  dialog.DoModal();
  fw::AfxGetApp()->m_pMainWnd = nullptr;
  thread.join();
  return failure;
}

TEST(Leaks, TheWizardHoldsNoMoreAfterRepeatedPagesAnInstallationAndItsEnd) {
  PageRounds driver;
  // A first window through every page and an installation: what the
  // libraries make on first use (rich edit, OLE, the picture decoder, the
  // sound's driver cache and player threads, the progress bar's and the
  // shell's caches) is not the wizard's.
  ASSERT_EQ(RunMainWindow([&] {
              driver.open(true);
              driver.exitRound(true);
              driver.install();
              driver.finish();
            }),
            "");
  EndStartedProduct();  // its files are written again by the second installation
  ::Sleep(kSoundEnds);
  const Counts beforeWindow = Take();

  Counts welcome, afterLicences, onLicence, afterExits, finish;
  bool finished = false;
  ASSERT_EQ(RunMainWindow([&] {
              driver.licenceRound();
              welcome = Take();
              for (int round = 0; round < 20; ++round) driver.licenceRound();
              afterLicences = TakeSettled(welcome);

              driver.open(true);
              driver.exitRound(true);
              onLicence = Take();
              for (int round = 0; round < 20; ++round) driver.exitRound();
              afterExits = TakeSettled(onLicence);

              driver.install();  // over the first window's installation
              finish = TakeSettled(welcome);
              finished = true;
              driver.finish();
            }),
            "");
  ASSERT_TRUE(finished);
  const Counts afterWindow = TakeSettled(beforeWindow, 1);

  ExpectNoGrowth(welcome, afterLicences, "20 openings of the licence page");
  ExpectNoGrowth(onLicence, afterExits, "20 openings of the exit confirmation");
  ExpectNoGrowth(welcome, finish, "the whole installation, on its finish page");
  // The process token that each main window opens for the log-off stays open
  // by design; everything else of the window is gone once it has closed.
  ExpectNoGrowth(beforeWindow, afterWindow, "the second main window closed", 1);
}

}  // namespace
}  // namespace velkor
