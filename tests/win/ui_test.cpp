// The real main wizard window in this process, with the licence page, the
// installation and the finish replaced by scripted ones: what another process
// cannot see (the system menu's Close item, the fonts the controls got, the
// colours, the title control) and keys that arrive while the installation
// pumps messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <vector>
#include <string>

#include "app/velkarsetup.h"
#include "app/velkarsetupdlg.h"
#include "engine/trace.h"
#include "framework/app.h"
#include "lib/resource_counts.h"
#include "lib/wine_env.h"
#include "pages/ts.h"
#include "platform/win32_system.h"
#include "platform/win32_trace.h"

namespace velkor {
namespace {

class ScriptedLicence : public wizard::LicencePage {
 public:
  wizard::LicenceOutcome outcome = wizard::LicenceOutcome::kAccepted;
  int runs = 0;
  wizard::LicenceOutcome run() override {
    ++runs;
    return outcome;
  }
};

class ScriptedInstaller : public wizard::Installer {
 public:
  std::function<void()> during;
  bool fail = false;
  int runs = 0;
  WizardState* state = nullptr;
  void run() override {
    ++runs;
    if (during) during();
    if (fail) {
      state->bInstalling = 0;
      state->bInstallFailed = 1;
    }
  }
};

class RecordingFinisher : public wizard::Finisher {
 public:
  int calls = 0;
  std::function<void()> onCall;
  void onCancelOrFinish() override {
    ++calls;
    if (onCall) onCall();
  }
};

// A version record of the test's choosing; the rest is the real system's.
class ChosenVersion : public Win32System {
 public:
  VersionRecord record{6, 1, 7601, 2};
  VersionRecord versionRecord() override { return record; }
};

// Runs one main window; `init` runs once the window is up (from a posted
// message, inside the modal loop).
class MainWindowRun : public CVelkarSetupDlg {
 public:
  MainWindowRun(WizardState& state, const Overrides& o) : CVelkarSetupDlg(state, o) {}
  std::function<void(MainWindowRun&)> init;

 protected:
  bool OnInitDialog() override {
    CVelkarSetupDlg::OnInitDialog();
    PostMessage(WM_APP);
    return true;
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    if (message != WM_APP) return false;
    if (init) init(*this);
    *result = 0;
    return true;
  }
};

struct Fixture : ::testing::Test {
  WizardState state;
  ScriptedLicence licence;
  ScriptedInstaller installer;
  RecordingFinisher finisher;
  ChosenVersion info;
  CVelkarSetupDlg::Overrides overrides() {
    installer.state = &state;
    CVelkarSetupDlg::Overrides o;
    o.licence = &licence;
    o.installer = &installer;
    o.finisher = &finisher;
    o.info = &info;
    return o;
  }
};

UINT closeItemState(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  return GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED);
}

LOGFONTW fontOf(HWND dialog, int id) {
  LOGFONTW lf{};
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(dialog, id), WM_GETFONT, 0, 0));
  GetObjectW(font, sizeof lf, &lf);
  return lf;
}

TEST_F(Fixture, TheCloseItemIsGreyWhileInstallingAndEnabledOnTheFinishPage) {
  UINT during = 0, before = 1;
  MainWindowRun window(state, overrides());
  installer.during = [&] { during = closeItemState(window.m_hWnd); };
  window.init = [&](MainWindowRun& w) {
    before = closeItemState(w.m_hWnd);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), 0);  // Next
    EXPECT_EQ(closeItemState(w.m_hWnd), 0u) << "enabled again on the finish page";
    EXPECT_EQ(state.bInstallDone, 1);
    w.EndDialog(IDOK);
  };
  window.DoModal();
  EXPECT_EQ(before, 0u);
  EXPECT_NE(during, 0u) << "grey while the installation runs";
}

TEST_F(Fixture, AfterAFailureTheCloseItemStaysGrey) {
  installer.fail = true;
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    w.SendMessage(WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), 0);
    EXPECT_NE(closeItemState(w.m_hWnd), 0u);
    w.EndDialog(IDOK);
  };
  window.DoModal();
  EXPECT_EQ(state.bBusy, 0);
}

TEST_F(Fixture, KeysAndCloseRequestsPumpedDuringTheInstallationAreIgnored) {
  MainWindowRun window(state, overrides());
  bool aliveAfterPump = false;
  installer.during = [&] {
    window.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    window.PostMessage(WM_KEYDOWN, VK_RETURN, 0);
    window.PostMessage(WM_CLOSE);
    ::PostMessageW(window.GetDlgItem(1001), BM_CLICK, 0, 0);  // "稍后..."
    window.mainWindow().pumpMessages();  // as the copy does after every block
    aliveAfterPump = window.IsWindowVisible();
  };
  window.init = [&](MainWindowRun& w) {
    w.SendMessage(WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), 0);
    w.EndDialog(IDOK);
  };
  window.DoModal();
  EXPECT_TRUE(aliveAfterPump);
  EXPECT_EQ(licence.runs, 1) << "Enter did not start a second Next command";
  // Esc is ignored outright; Enter and the button reach the finish command,
  // which decides by the flags (the real one does nothing while installing).
  EXPECT_EQ(finisher.calls, 2);
}

TEST_F(Fixture, AClickOnTheHiddenNextButtonDuringTheInstallationStartsNothing) {
  MainWindowRun window(state, overrides());
  bool nextHidden = false;
  int licenceRunsAfterPump = 0;
  installer.during = [&] {
    if (installer.runs > 1) return;  // nested: counted below
    HWND next = window.GetDlgItem(1000);
    nextHidden = !IsWindowVisible(next);
    ::PostMessageW(next, BM_CLICK, 0, 0);  // as another program can
    window.mainWindow().pumpMessages();
    licenceRunsAfterPump = licence.runs;
  };
  window.init = [&](MainWindowRun& w) {
    w.SendMessage(WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), 0);
    w.EndDialog(IDOK);
  };
  window.DoModal();
  EXPECT_TRUE(nextHidden);
  EXPECT_EQ(licenceRunsAfterPump, 1) << "no second licence page";
  EXPECT_EQ(installer.runs, 1) << "no nested installation";
  EXPECT_EQ(state.bInstallDone, 1);
}

TEST_F(Fixture, WithoutYaheiTheTextsGetArialAndTheButtonsKeepTheDialogFont) {
  DeleteFileW(L"C:\\WINDOWS\\Fonts\\MSYH.TTF");
  DeleteFileW(L"C:\\WINDOWS\\Fonts\\MSYH.TTC");
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    HDC dc = GetDC(w.m_hWnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(w.m_hWnd, dc);
    const LOGFONTW text = fontOf(w.m_hWnd, 1002);
    EXPECT_STREQ(text.lfFaceName, L"Arial");
    EXPECT_EQ(text.lfHeight, -MulDiv(9, dpi, 78));
    EXPECT_EQ(text.lfCharSet, 0);
    for (int id : {1004, 1005, 1012}) EXPECT_STREQ(fontOf(w.m_hWnd, id).lfFaceName, L"Arial") << id;
    // Every font of the dialogs has the same fixed parameters. (The etched
    // separator's font cannot be read back: Wine's static keeps a font only
    // for text styles.)
    EXPECT_EQ(text.lfOutPrecision, 3);
    EXPECT_EQ(text.lfClipPrecision, 2);
    EXPECT_EQ(text.lfQuality, 1);
    EXPECT_EQ(text.lfPitchAndFamily, 34);
    for (int id : {1000, 1001})
      EXPECT_STRNE(fontOf(w.m_hWnd, id).lfFaceName, L"Arial") << "button " << id << " keeps the dialog font";
    w.EndDialog(IDOK);
  };
  window.DoModal();
}

TEST_F(Fixture, WithYaheiTheButtonsAndTextsGetIt) {
  ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc", L"C:\\WINDOWS\\Fonts\\MSYH.TTC", FALSE));
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    for (int id : {1000, 1001, 1002, 1004, 1005, 1012}) {
      const LOGFONTW lf = fontOf(w.m_hWnd, id);
      EXPECT_STREQ(lf.lfFaceName, L"Microsoft Yahei") << id;
      EXPECT_EQ(lf.lfCharSet, 134) << id;
      EXPECT_EQ(lf.lfWeight, 400) << id;
    }
    w.EndDialog(IDOK);
  };
  window.DoModal();
  DeleteFileW(L"C:\\WINDOWS\\Fonts\\MSYH.TTC");
}

TEST_F(Fixture, TextsAreDarkGreyOnWhiteAndOtherControlsKeepTheSystemColours) {
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    HDC dc = GetDC(w.m_hWnd);
    for (int id : {1002, 1003, 1004, 1005, 1012}) {
      SetTextColor(dc, RGB(1, 2, 3));
      auto brush = reinterpret_cast<HBRUSH>(w.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                          reinterpret_cast<LPARAM>(w.GetDlgItem(id))));
      LOGBRUSH lb{};
      GetObjectW(brush, sizeof lb, &lb);
      EXPECT_EQ(lb.lbColor, RGB(255, 255, 255)) << id;
      EXPECT_EQ(GetTextColor(dc), RGB(65, 65, 65)) << id;
      EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << id;
    }
    auto background = reinterpret_cast<HBRUSH>(
        w.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(w.m_hWnd)));
    LOGBRUSH lb{};
    GetObjectW(background, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
    SetTextColor(dc, RGB(1, 2, 3));
    auto separator = reinterpret_cast<HBRUSH>(w.SendMessage(
        WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(w.GetDlgItem(1014))));
    EXPECT_NE(separator, background) << "the separator keeps the system's colours";
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
    ReleaseDC(w.m_hWnd, dc);
    w.EndDialog(IDOK);
  };
  window.DoModal();
}

TEST_F(Fixture, TheTitleControlShowsATitleTextInPlaceOfItsPicture) {
  info.record = {5, 0, 2195, 2};  // Windows 2000: the refusal writes the title
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    HWND title = w.GetDlgItem(1003);
    EXPECT_EQ(GetWindowLongW(title, GWL_STYLE) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
    EXPECT_EQ(SendMessageW(title, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the picture is gone";
    wchar_t text[128] = {};
    GetWindowTextW(title, text, 128);
    EXPECT_STREQ(text, L"Velkor超级文件加密器 安装向导提示");
    const LOGFONTW font = fontOf(w.m_hWnd, 1003);
    EXPECT_STREQ(font.lfFaceName, L"Times New Roman") << "drawn in the title font";
    EXPECT_EQ(font.lfWeight, 600);
    HDC dc = GetDC(w.m_hWnd);
    EXPECT_EQ(font.lfHeight, -MulDiv(11, GetDeviceCaps(dc, LOGPIXELSY), 76));
    ReleaseDC(w.m_hWnd, dc);
    w.EndDialog(IDOK);
  };
  window.DoModal();
}

TEST_F(Fixture, TheWelcomeTitleIsThePicture) {
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    HWND title = w.GetDlgItem(1003);
    EXPECT_EQ(GetWindowLongW(title, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
    HBITMAP picture = reinterpret_cast<HBITMAP>(SendMessageW(title, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(picture, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 276);
    EXPECT_EQ(bm.bmHeight, 22);
    w.EndDialog(IDOK);
  };
  window.DoModal();
}

TEST_F(Fixture, TheMinimisedWindowShowsTheIcon) {
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    const HICON dragged = reinterpret_cast<HICON>(w.SendMessage(WM_QUERYDRAGICON));
    EXPECT_NE(dragged, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(w.SendMessage(WM_GETICON, ICON_BIG)), dragged);
    EXPECT_EQ(reinterpret_cast<HICON>(w.SendMessage(WM_GETICON, ICON_SMALL)), dragged);
    w.EndDialog(IDOK);
  };
  window.DoModal();
}

TEST_F(Fixture, TheShutdownPrivilegeIsEnabledAtInitialisation) {
  MainWindowRun window(state, overrides());
  bool enabled = false;
  window.init = [&](MainWindowRun& w) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID shutdown{};
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown);
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size));
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const auto& p = privileges->Privileges[i];
      if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
        enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    CloseHandle(token);
    w.EndDialog(IDOK);
  };
  window.DoModal();
  EXPECT_TRUE(enabled) << "the log-off at the finish is allowed";
}

TEST_F(Fixture, TheShutdownPrivilegeKeepsOneTokenHandleHoweverOftenItRuns) {
  // Each initialisation enables the privilege; the token it opened the first
  // time is the one it keeps. The handles are counted at the same moment of
  // three windows' lives (the first may still load what later ones reuse).
  std::vector<unsigned> handles;
  for (int i = 0; i < 3; ++i) {
    MainWindowRun window(state, overrides());
    window.init = [&](MainWindowRun& w) {
      handles.push_back(test::KernelHandles());
      w.EndDialog(IDOK);
    };
    window.DoModal();
  }
  ASSERT_EQ(handles.size(), 3u);
  EXPECT_EQ(handles[2], handles[1]) << "kernel handles at the second and third initialisation";
}

// The texts that OutputDebugString hands to a debugger, taken from the
// exception it raises (wide or ANSI, whichever the system raises).
std::vector<std::wstring> g_debugStrings;
LONG CALLBACK CatchDebugString(EXCEPTION_POINTERS* e) {
  constexpr DWORD kAnsi = 0x40010006, kWide = 0x4001000A;  // DBG_PRINTEXCEPTION_C, _WIDE_C
  const EXCEPTION_RECORD& r = *e->ExceptionRecord;
  if (r.ExceptionCode != kAnsi && r.ExceptionCode != kWide) return EXCEPTION_CONTINUE_SEARCH;
  const size_t length = r.ExceptionInformation[0] - 1;  // with its terminator
  if (r.ExceptionCode == kWide) {
    g_debugStrings.emplace_back(reinterpret_cast<const wchar_t*>(r.ExceptionInformation[1]), length);
  } else {
    const auto* ansi = reinterpret_cast<const char*>(r.ExceptionInformation[1]);
    g_debugStrings.emplace_back(ansi, ansi + length);
  }
  return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(Trace, EachDiagnosticReachesTheDebuggerAsExactlyOneLine) {
  PVOID handler = AddVectoredExceptionHandler(1, CatchDebugString);
  win32::routeTraceToDebugger();
  trace::emit(u"Draw: no picture");
  trace::emit(u"vecFace[0].nPos = 3\n");
  trace::emit(u"a\n\n");
  trace::setSink({});
  RemoveVectoredExceptionHandler(handler);
  EXPECT_EQ(g_debugStrings, (std::vector<std::wstring>{L"Draw: no picture\n", L"vecFace[0].nPos = 3\n", L"a\n\n"}));
}

// The image's load-time imports: only libraries the system always takes
// from its own directory; everything else is loaded by full path at run time.
TEST(Image, ImportsOnlySystemLibrariesAndHasDepAndAslr) {
  const char* image = std::getenv("VELKOR_IMAGE_FILE");
  ASSERT_NE(image, nullptr);
  std::wstring path = L"Z:";
  for (const char* p = image; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr);
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
  EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(dir.VirtualAddress, 0u);
  const std::set<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
                                         "ole32.dll", "oleaut32.dll", "msvcrt.dll"};
  int count = 0;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
    std::string name = reinterpret_cast<const char*>(base + d->Name);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(allowed.count(name), 1u) << name << " is linked at load time";
    ++count;
  }
  EXPECT_GT(count, 0);
  FreeLibrary(module);
}

TEST_F(Fixture, TheSoundComesFromTheSystemDirectorysWinmm) {
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    w.mainWindow().playSound();
    HMODULE winmm = GetModuleHandleW(L"winmm.dll");
    ASSERT_NE(winmm, nullptr) << "loaded at run time for the sound";
    wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetModuleFileNameW(winmm, path, MAX_PATH);
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(_wcsnicmp(path, system, n), 0);
    w.EndDialog(IDOK);
  };
  window.DoModal();
}

// Run alone in a process of its own (ctest ui.start): nothing before it has
// set up OLE or the rich edit.
TEST_F(Fixture, StartTheWelcomePageWithoutOleOrTheRichEditWhichTheLicencePageSetsUp) {
  // A thread's first OleInitialize answers S_OK (COM held or not), later ones
  // S_FALSE; the probe undoes its own.
  const auto oleIsUp = [] {
    const HRESULT hr = OleInitialize(nullptr);
    if (SUCCEEDED(hr)) OleUninitialize();
    return hr == S_FALSE;
  };
  bool richEditAtWelcome = true, oleAtWelcome = true;
  MainWindowRun window(state, overrides());
  window.init = [&](MainWindowRun& w) {
    richEditAtWelcome = GetModuleHandleW(L"riched32.dll") != nullptr;
    oleAtWelcome = oleIsUp();
    w.EndDialog(IDOK);
  };
  window.DoModal();
  EXPECT_FALSE(richEditAtWelcome);
  EXPECT_FALSE(oleAtWelcome);

  { CTs page(info); }
  HMODULE richEdit = GetModuleHandleW(L"riched32.dll");
  ASSERT_NE(richEdit, nullptr) << "loaded with the licence page";
  wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
  GetModuleFileNameW(richEdit, path, MAX_PATH);
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(path, system, n), 0) << "from the system directory";
  EXPECT_TRUE(oleIsUp()) << "OLE stays up for the page's pictures";
}

}  // namespace
}  // namespace velkor
