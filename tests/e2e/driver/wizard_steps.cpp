// The steps a user takes through the wizard, shared by every scenario file.
#include "wizard_steps.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <vector>

#include "lib/wine_env.h"
#include "resources/resource_ids.h"
#include "verify.h"
#include "wizard/appearance.h"
#include "wizard/control_ids.h"
#include "wizard/texts.h"

namespace velkor::e2e {

void copyFile(Driver& d, const std::wstring& from, const std::wstring& to) {
  // Every folder level of the destination, outermost first.
  for (std::size_t at = to.find(L'\\', 3); at != std::wstring::npos; at = to.find(L'\\', at + 1))
    CreateDirectoryW(to.substr(0, at).c_str(), nullptr);
  d.expect(CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE, "a copy " + utf8(to),
           "error " + std::to_string(GetLastError()));
}

std::wstring startSetup(Driver& d, const Options& o) {
  std::wstring program = o.program;
  if (!o.copyTo.empty()) {
    d.step("copy the setup file to " + utf8(o.copyTo));
    copyFile(d, o.program, o.copyTo);
    program = o.copyTo;
  }
  d.step("start the setup");
  d.start(program, L"", o.workingDirectory);
  return program;
}

HWND startAtWelcome(Driver& d, const Options& o, std::wstring* setup) {
  const std::wstring started = startSetup(d, o);
  if (setup != nullptr) *setup = started;
  HWND main = d.waitWindow(kMainWindow);
  expectCentred(d, main, nullptr, "the main window");
  d.screenshot(main, "welcome");
  return main;
}

HWND toAcceptedLicence(Driver& d, const Options& o, std::wstring* setup, bool nextByEnter) {
  HWND main = startAtWelcome(d, o, setup);
  d.step("the welcome page");
  expectWelcome(d, main);
  HWND licence = openLicence(d, main, nextByEnter);
  tickAgree(d, licence, true);
  return licence;
}

void expectWelcome(Driver& d, HWND w) {
  d.expectText(w, 1000, L"下一步(&N) >");
  d.expectText(w, 1001, L"取消");
  // With the Yahei font present the wizard words two lines for that face.
  const bool yahei = GetFileAttributesW(L"C:\\WINDOWS\\Fonts\\MSYH.TTF") != INVALID_FILE_ATTRIBUTES ||
                     GetFileAttributesW(L"C:\\WINDOWS\\Fonts\\MSYH.TTC") != INVALID_FILE_ATTRIBUTES;
  d.log(yahei ? "  Yahei is present" : "  Yahei is absent");
  d.expectText(w, 1002, yahei ? L"现在将安装 Velkor超级文件加密器 到您的电脑中。"
                              : L"现在将安装  Velkor超级文件加密器  到您的电脑中。");
  d.expectText(w, 1004, L"推荐您在安装之前关闭所有其它应用程序。");
  d.expectText(w, 1005, yahei ? L"单击“下一步”继续, 或单击“取消”退出安装。"
                              : L"单击 “下一步” 继续，或单击 “取消” 退出安装。");
  d.expectVisible(w, 1000, true);
  d.expectVisible(w, 1001, true);
  d.expectVisible(w, 1011, false);
  d.expectVisible(w, 1012, false);
}

HWND openLicence(Driver& d, HWND main, bool byEnter) {
  d.step(byEnter ? "Enter opens the licence page" : "Next opens the licence page");
  if (byEnter)
    d.key(main, VK_RETURN);
  else
    d.click(main, 1000);
  HWND licence = d.waitWindow(kLicencePage);
  d.expect(!IsWindowVisible(main), "the main window hidden", "visible");
  expectPlacedOverMain(d, main, licence, Dialog::Licence);
  d.expectText(licence, 1, kBack);
  d.expectText(licence, 2, L"取消");
  d.expectText(licence, 1017, L"我同意这些协议(&A)");
  d.expectText(licence, 1010, L"请仔细阅读许可协议，继续安装之前必须同意这些协议条款。");
  d.expectVisible(licence, 3, false);
  d.expect(!d.checked(licence, 1017), "the agree box clear", "ticked");
  // The rich-edit class answers another process's WM_GETTEXT through the ANSI
  // code page, where Chinese becomes '?': its Latin landmarks are checked, in
  // the agreement's order.
  const std::wstring agreement = d.text(licence, 1007);
  std::size_t at = 0;
  for (const wchar_t* landmark : {L"Velkor", L"1.", L"2.", L"C++17", L"Unicode", L"V6.0", L"3.", L"4.", L"5.",
                                  L"Velkor Software", L"support@velkor.example"}) {
    const std::size_t found = agreement.find(landmark, at);
    d.expect(found != std::wstring::npos, "the agreement to go on with \"" + utf8(landmark) + "\"",
             std::to_string(agreement.size()) + " characters: \"" + utf8(agreement) + "\"");
    at = found + 1;
  }
  d.screenshot(licence, "licence");
  return licence;
}

void tickAgree(Driver& d, HWND licence, bool on) {
  d.setCheck(licence, 1017, on);
  d.waitText(licence, 1, on ? kInstall : kBack);
}

HWND leaveLicencePage(Driver& d, HWND licence) {
  d.click(licence, 1);
  d.waitGone(licence, "the licence page");
  return d.waitWindow(kMainWindow);
}

HWND backAndAcceptAgain(Driver& d, HWND licence) {
  d.step("back without acceptance");
  HWND main = leaveLicencePage(d, licence);
  expectWelcome(d, main);
  licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  return licence;
}

bool installationEnded(Driver& d, HWND main) {
  const auto t = d.text(main, 1001);
  return t == L"完成" || t == L"确定";
}

std::string installationTexts(Driver& d, HWND main) {
  return "1001 \"" + utf8(d.text(main, 1001)) + "\", 1012 \"" + utf8(d.text(main, 1012)) + "\"";
}

int answerWindows(Driver& d, const WindowQuery& box, const std::function<void(HWND, int)>& answer,
                  const std::string& until, const std::function<bool()>& done,
                  const std::function<std::string()>& seen, DWORD timeout) {
  int count = 0;
  d.waitUntil(
      until,
      [&] {
        HWND w = d.findWindow(box);
        if (w != nullptr) answer(w, ++count);
        return w == nullptr && done();
      },
      seen, timeout);
  return count;
}

namespace {

HWND awaitInstallationEnd(Driver& d, HWND main) {
  d.waitUntil(
      "the installation to end (1001 \"完成\" or \"确定\")", [&] { return installationEnded(d, main); },
      [&] { return installationTexts(d, main); }, d.timeouts.install);
  d.screenshot(main, "finish");
  return main;
}

std::wstring wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

// From the licence page with the box ticked to the finish page.
HWND install(Driver& d, HWND licence) {
  d.step("accept and install");
  return awaitInstallationEnd(d, leaveLicencePage(d, licence));
}

HWND installWatchingProgress(Driver& d, HWND licence, const std::function<void(HWND)>& onProgressPage) {
  d.step("accept and install, watching the progress page");
  HWND main = GetWindow(licence, GW_OWNER);
  d.expect(main != nullptr && d.control(main, ctl::kProgress) != nullptr, "the licence page owned by the main window",
           utf8(describe(main)));
  d.click(licence, 1);
  // An installation takes a fraction of a second. To watch its page however
  // fast it runs, the system command that opens the About box is queued
  // behind the click: the installation's first message pump runs the box's
  // modal loop, and the installation waits until the box closes.
  d.expect(PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0) != FALSE, "the About box's command posted", "not posted");
  d.waitGone(licence, "the licence page");
  HWND about = d.waitWindow(kAboutBox);
  // Out of the way of the page's photograph.
  SetWindowPos(about, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  d.expectText(main, ctl::kCancelFinish, wide(wizard::text::kLaterCaption));
  d.expectVisible(main, ctl::kNext, false);
  d.expectVisible(main, ctl::kProgress, true);
  d.expectVisible(main, ctl::kStatus, true);
  d.expectVisible(main, ctl::kAnimation, false);
  d.expectText(main, ctl::kLine2, wide(wizard::text::kInstallLine2));
  d.screenshot(nullptr, "progress");
  if (onProgressPage) onProgressPage(main);
  d.step("Esc and a close request change nothing while it runs");
  d.key(main, VK_ESCAPE);
  d.postClose(main);
  // Posted behind them: the installation goes on once they are handled.
  d.click(about, IDOK);
  d.waitGone(about, "the About box");
  return awaitInstallationEnd(d, main);
}

void expectFinishPage(Driver& d, HWND main, const testenv::WindowsVersion& v) {
  d.step("the finish page");
  d.expect(d.text(main, 1001) == L"完成", "1001 \"完成\" (success)",
           "\"" + utf8(d.text(main, 1001)) + "\", 1004 \"" + utf8(d.text(main, 1004)) + "\", 1002 \"" +
               utf8(d.text(main, 1002)) + "\"");
  d.expectVisible(main, 1000, false);
  d.expectText(main, 1002, L"本软件已成功安装到您的电脑中。");
  const bool logoff = v.major == 6 && v.minor == 0;  // a first installation on 6.0
  if (v.major == 6 && v.minor >= 1) {
    d.expectText(main, 1005, kAntivirus);
    d.expectText(main, 1012, L"如果安装时本界面不协调，请注销或重启动计算机。");
  } else {
    d.expectText(main, 1012, kAntivirus);
  }
  if (logoff) {
    d.expectText(main, 1004, L"首次安装必须注销才能正确配置。");
    d.expectText(main, 1005, L"现准备注销, 请关闭所有窗口. . .");
  } else {
    d.expectText(main, 1004, L"安装完毕OK.");
    if (!(v.major == 6 && v.minor >= 1)) d.expectText(main, 1005, L"");
  }
}

void verifyInstallation(Driver& d, const std::wstring& setup, const testenv::WindowsVersion& v) {
  verifyMembers(d, setup);
  verifyFonts(d, setup, v);
  verifyRegistry(d);
  verifyShortcuts(d);
}

void leavePage(Driver& d, HWND main, Finish how, const std::string& page) {
  static const char* const kHow[] = {"button 1001", "Enter", "Esc", "the close box"};
  d.step(kHow[static_cast<int>(how)] + std::string(" ends ") + page);
  switch (how) {
    case Finish::Button: d.click(main, 1001); break;
    case Finish::Enter: d.key(main, VK_RETURN); break;
    case Finish::Escape: d.key(main, VK_ESCAPE); break;
    case Finish::CloseBox: d.postClose(main); break;
  }
}

void finishAndVerify(Driver& d, HWND main, const testenv::WindowsVersion& v, Finish how) {
  leavePage(d, main, how, "the finish page");
  if (v.major == 6 && v.minor == 0) {
    // The log-off path: the product is started minimised, then the session ends.
    d.waitExit();
    verifyLogoffCleanup(d);
  } else {
    waitProductWindow(d);
    expectEnds(d);
    verifyFinishFonts(d, v);
  }
  verifyMarkerAfterFinish(d, v);
}

HWND installToFinishPage(Driver& d, const Options& o, const testenv::WindowsVersion& v, bool watchProgress) {
  std::wstring setup;
  HWND licence = toAcceptedLicence(d, o, &setup);
  d.screenshot(licence, "licence-accepted");
  HWND main = watchProgress ? installWatchingProgress(d, licence) : install(d, licence);
  expectFinishPage(d, main, v);
  verifyInstallation(d, setup, v);
  return main;
}

void expectEnds(Driver& d) {
  const DWORD code = d.waitExit();
  d.expect(code == 0, "the wizard to end with exit code 0", "exit code " + std::to_string(code));
}

namespace {

INT_PTR CALLBACK inertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

wizard::Rect placeIn(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string describeRect(const wizard::Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

// The controls (by identifier, client coordinates) and the window's size
// (ids::kDialog) of one of the setup file's dialog templates, made in this
// process as the system makes them, before any correction.
std::map<int, wizard::Rect> templateLayout(Driver& d, const std::wstring& setupFile, int dialogId) {
  static const HMODULE richEdit = LoadLibraryW(L"riched32.dll");  // the licence page's agreement
  (void)richEdit;
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  HMODULE module = LoadLibraryExW(setupFile.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  d.expect(module != nullptr, "the setup file loaded as data", "error " + std::to_string(GetLastError()));
  HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(dialogId), nullptr, inertDialog, 0);
  const DWORD error = GetLastError();
  std::map<int, wizard::Rect> layout;
  if (dialog != nullptr) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const int id = GetDlgCtrlID(child);
      if (id != 0 && id != 0xFFFF) layout[id] = placeIn(dialog, child);  // unnamed statics are not compared
    }
    RECT w{};
    GetWindowRect(dialog, &w);
    layout[wizard::ids::kDialog] = {0, 0, w.right - w.left, w.bottom - w.top};
    DestroyWindow(dialog);
  }
  FreeLibrary(module);
  d.expect(dialog != nullptr, "dialog template " + std::to_string(dialogId) + " made from the setup file",
           "error " + std::to_string(error));
  return layout;
}

}  // namespace

void expectLayout(Driver& d, HWND dialog, const std::wstring& setupFile, Dialog which, bool yahei) {
  namespace layout = wizard::layout;
  const auto& v = testenv::currentWindowsVersion();
  const wizard::LayoutClass layoutClass = wizard::layoutClass(v.major, v.minor);
  int templateId = 0;
  wizard::MoveTable tables[2]{};
  std::vector<int> placeOnly;  // picture controls take their picture's size
  switch (which) {
    case Dialog::Main:
      d.step("the main window's layout");
      templateId = IDD_VELKARSETUP_DIALOG;
      tables[0] = layout::mainCommon();
      tables[1] = layout::mainForClass(layoutClass);
      placeOnly = {ctl::kBanner, ctl::kAnimation};
      break;
    case Dialog::Licence:
      d.step("the licence page's layout");
      templateId = IDD_TS;
      tables[0] = layout::licenceCommon();
      tables[1] = layout::licenceForClass(layoutClass);
      break;
    case Dialog::Exit:
      d.step("the exit confirmation's layout");
      templateId = IDD_EXIT;
      tables[0] = layout::exitCommon();
      tables[1] = layout::exitForClass(layoutClass);
      placeOnly = {ctl::kBanner, ctl::kAnimation};
      break;
  }
  auto expected = templateLayout(d, setupFile, templateId);
  for (const auto& table : tables)
    for (const auto& move : table) expected[move.target] = wizard::applyMove(expected[move.target], move);
  // The font step moves the third line one pixel right when it picks Yahei.
  if (yahei && which == Dialog::Main)
    expected[ctl::kLine3] = wizard::applyMove(expected[ctl::kLine3], {ctl::kLine3, 1, 0, 0, 0});

  RECT w{};
  GetWindowRect(dialog, &w);
  const wizard::Rect& size = expected.at(wizard::ids::kDialog);
  d.expect(w.right - w.left == size.width && w.bottom - w.top == size.height,
           "the window " + std::to_string(size.width) + "x" + std::to_string(size.height),
           std::to_string(w.right - w.left) + "x" + std::to_string(w.bottom - w.top));
  std::string wrong;
  for (const auto& [id, want] : expected) {
    if (id == wizard::ids::kDialog) continue;
    const wizard::Rect got = placeIn(dialog, d.control(dialog, id));
    const bool sizeCounts = std::find(placeOnly.begin(), placeOnly.end(), id) == placeOnly.end();
    if (got.left != want.left || got.top != want.top ||
        (sizeCounts && (got.width != want.width || got.height != want.height)))
      wrong += "; " + std::to_string(id) + " at " + describeRect(got) + " for " + describeRect(want);
  }
  d.expect(wrong.empty(), std::to_string(expected.size() - 1) + " controls where the template and the tables put them",
           wrong.empty() ? "" : wrong.substr(2));
}

namespace {

RECT rectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

std::string describeRect(const RECT& r) {
  return describeRect(wizard::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top});
}

RECT workArea() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

void expectCentred(Driver& d, HWND window, HWND over, const std::string& what) {
  const RECT area = workArea();
  const RECT on = over != nullptr ? rectOf(over) : area;
  const RECT r = rectOf(window);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = std::max<int>(area.left, std::min<int>((on.left + on.right) / 2 - width / 2, area.right - width));
  const int y = std::max<int>(area.top, std::min<int>((on.top + on.bottom) / 2 - height / 2, area.bottom - height));
  d.expect(r.left == x && r.top == y,
           what + " centred on " + describeRect(on) + ": at " + std::to_string(x) + "," + std::to_string(y),
           describeRect(r));
}

void expectPlacedOverMain(Driver& d, HWND main, HWND page, Dialog which) {
  const auto& v = testenv::currentWindowsVersion();
  const wizard::LayoutClass layoutClass = wizard::layoutClass(v.major, v.minor);
  const bool exit = which == Dialog::Exit;
  const wizard::MoveTable tables[] = {
      exit ? wizard::layout::exitCommon() : wizard::layout::licenceCommon(),
      exit ? wizard::layout::exitForClass(layoutClass) : wizard::layout::licenceForClass(layoutClass)};
  // Only a dialog line carried out by MoveWindow moves the window; its pixels
  // scale with the display's DPI (this process is as unaware of it as the
  // wizard, so it sees the same LOGPIXELSY).
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  int dx = 0, dy = 0;
  for (const auto& table : tables)
    for (const auto& row : table)
      if (row.target == wizard::ids::kDialog && table.dialogMove == wizard::DialogMove::kMoveWindow) {
        const wizard::Move move = wizard::scaleMove(row, dpi);
        dx += move.dx;
        dy += move.dy;
      }
  const std::string what = exit ? "the exit confirmation" : "the licence page";
  const RECT m = rectOf(main), p = rectOf(page), area = workArea();
  d.expect(p.left == m.left + dx && p.top == m.top + dy,
           what + " at the main window's corner moved by " + std::to_string(dx) + "," + std::to_string(dy) + ": " +
               std::to_string(m.left + dx) + "," + std::to_string(m.top + dy),
           describeRect(p));
  d.expect(p.left >= area.left && p.top >= area.top && p.right <= area.right && p.bottom <= area.bottom,
           what + " on the work area " + describeRect(area), describeRect(p));
}

std::wstring blockMainProgram(Driver& d) {
  d.step("a folder in place of the main program");
  const std::wstring dir = L"C:\\Program Files\\VelkorCrypt";
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring program = dir + L"\\VelkorCrypt.exe";
  d.expect(CreateDirectoryW(program.c_str(), nullptr) != FALSE, "the folder made",
           "error " + std::to_string(GetLastError()));
  return program;
}

void installYahei(Driver& d, const std::wstring& fileName) {
  const std::wstring target = L"C:\\WINDOWS\\Fonts\\" + fileName;
  d.expect(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc", target.c_str(), FALSE) != FALSE,
           "a CJK font copied to " + utf8(target), "error " + std::to_string(GetLastError()));
}

}  // namespace velkor::e2e
