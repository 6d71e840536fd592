// Scenarios of the wizard's pages, layout and windows.
#include <windows.h>
#include <shlobj.h>

#include "lib/wine_env.h"
#include "verify.h"
#include "wizard_steps.h"

namespace velkor::e2e {
namespace {

const std::wstring kProduct = L"VelkorCrypt.exe";

// The welcome page with the Yahei font found under either of the two names
// the wizard probes: the words of two lines and the third line's place change.
TEST_F(Pages, welcome_yahei) {
  for (const wchar_t* file : {L"MSYH.TTF", L"MSYH.TTC"}) {
    d.step(std::string("Yahei as ") + utf8(file));
    DeleteFileW(L"C:\\WINDOWS\\Fonts\\MSYH.TTF");  // the round before left it
    installYahei(d, file);
    const std::wstring setup = startSetup(d, o);
    HWND main = d.waitWindow(kMainWindow);
    expectWelcome(d, main);
    d.screenshot(main, std::string("welcome-yahei-") + utf8(file));
    expectLayout(d, main, setup, Dialog::Main, true);
    d.step("Cancel closes the wizard");
    d.click(main, 1001);
    expectEnds(d);
  }
}

// No menu item offers the About box: system command 0x0010 alone opens it.
TEST_F(Pages, about) {
  HWND main = startAtWelcome(d, o);
  d.step("system command 0x0010 opens the About box");
  PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0);
  HWND about = d.waitWindow(kAboutBox);
  d.expectText(about, IDOK, L"??");
  std::wstring statics;
  for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetDlgCtrlID(child) != IDOK) statics += d.windowText(child) + L"|";
  for (const wchar_t* line : {L"VelkarSetup 1.0 ?", L"版权所有 (C) 2026 Velkor Software"})
    d.expect(statics.find(line) != std::wstring::npos, "the line \"" + utf8(line) + "\"", utf8(statics));
  d.expect(!IsWindowEnabled(main), "the main window disabled (the box is modal)", "enabled");
  expectCentred(d, about, main, "the About box");
  d.screenshot(about, "about");
  d.screenshot(nullptr, "about-on-screen");
  d.step("OK closes it and gives the main window back");
  d.click(about, IDOK);
  d.waitGone(about, "the About box");
  d.waitUntil(
      "the main window enabled again", [&] { return IsWindowEnabled(main) != FALSE; },
      [] { return std::string("disabled"); }, d.timeouts.window);
  d.expect(d.running() && IsWindowVisible(main), "the wizard still on its welcome page", "it has closed");
  d.key(main, VK_ESCAPE);
  expectEnds(d);
}

// The instance rule goes by the executable's base name: the same file again
// ends at once without a window, while the first copy runs on.
TEST_F(Pages, instance_second) {
  std::wstring setup;
  HWND main = startAtWelcome(d, o, &setup);
  d.step("the same setup file started again");
  OtherProgram second(d, setup);
  bool shown = false;
  d.waitUntil(
      "the second instance to end",
      [&] {
        shown = shown || second.findWindow(kMainWindow) != nullptr;
        return !second.running();
      },
      [] { return std::string("it still runs"); }, d.timeouts.exit);
  const DWORD code = second.waitExit();
  d.expect(code == 0, "the second instance's exit code 0", std::to_string(code));
  d.expect(!shown, "the second instance to show no window", "it showed its main window");
  d.expect(d.running() && IsWindowVisible(main), "the first instance unaffected", "it has closed");
  d.step("Cancel closes the first");
  d.click(main, 1001);
  expectEnds(d);
}

// A renamed copy shows its own wizard beside the first.
TEST_F(Pages, instance_renamed) {
  std::wstring setup;
  HWND main = startAtWelcome(d, o, &setup);
  d.step("a copy under another name started beside it");
  const std::wstring renamed = L"C:\\users\\Public\\Velkorsetup-copy.exe";
  copyFile(d, setup, renamed);
  OtherProgram copy(d, renamed);
  HWND other = copy.waitWindow(kMainWindow);
  d.expect(other != main, "the copy's own main window", "the first one's");
  d.screenshot(other, "renamed-copy");
  d.expect(d.running() && IsWindowVisible(main), "the first instance still shown", "it has closed");
  d.step("Cancel closes the copy, then the first");
  d.click(other, 1001);
  const DWORD code = copy.waitExit();
  d.expect(code == 0, "the copy's exit code 0", std::to_string(code));
  d.expect(d.running(), "the first instance still running", "it has ended");
  d.click(main, 1001);
  expectEnds(d);
}

// The exit confirmation's close box leaves the setup.
TEST_F(Pages, exit_closebox) {
  HWND main = startAtWelcome(d, o);
  d.screenshot(nullptr, "welcome-on-screen");
  HWND licence = openLicence(d, main, false);
  d.screenshot(nullptr, "licence-on-screen");
  d.step("the exit confirmation's close box leaves the setup");
  d.click(licence, 2);
  HWND exitDialog = d.waitWindow(kExitDialog);
  expectPlacedOverMain(d, main, exitDialog, Dialog::Exit);
  d.screenshot(exitDialog, "exit-confirmation");
  d.screenshot(nullptr, "exit-confirmation-on-screen");
  d.postClose(exitDialog);
  expectEnds(d);
  verifyNothingInstalled(d);
}

// A folder where the main program goes: the failure page names it and stays
// until the user acts; then the wizard only ends.
TEST_F(Pages, install_failure) {
  const std::wstring blocked = blockMainProgram(d);
  HWND main = startAtWelcome(d, o);
  HWND licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  main = install(d, licence);
  d.step("the failure page");
  d.expectText(main, 1001, L"确定");
  d.expectText(main, 1002, blocked);
  d.expectText(main, 1012, L"安装失败！");
  d.expectVisible(main, 1000, false);
  d.screenshot(main, "failure-page");
  d.step("the failure page stays until the user acts");
  Sleep(1500);
  d.expect(d.running() && IsWindowVisible(main), "the wizard still on its failure page", "it has closed");
  d.expectText(main, 1001, L"确定");
  d.step("Esc only ends the wizard");
  d.key(main, VK_ESCAPE);
  expectEnds(d);
  d.expect(processesNamed(kProduct).empty(), "the product not started", "it runs");
  d.expect(!wintest::keyExists(HKEY_CLASSES_ROOT, L"SMVersions"), "no version marker written", "it exists");
  d.expect(GetFileAttributesW((specialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Velkor超级文件加密器.lnk").c_str()) ==
               INVALID_FILE_ATTRIBUTES,
           "no desktop shortcut", "it exists");
}

// Enter opened the licence page and the user went back; a later installation
// started by clicks fails: the first "确定" ends the wizard.
TEST_F(Pages, install_failure_after_enter) {
  const std::wstring blocked = blockMainProgram(d);
  HWND main = startAtWelcome(d, o);
  main = install(d, backAndAcceptAgain(d, openLicence(d, main, true)));
  d.step("the failure page");
  d.expectText(main, 1001, L"确定");
  d.expectText(main, 1002, blocked);
  d.screenshot(main, "failure-page");
  d.step("the first \"确定\" ends the wizard");
  d.click(main, 1001);
  expectEnds(d);
  d.expect(processesNamed(kProduct).empty(), "the product not started", "it runs");
}

// Every page once, photographed in order, ending with an installation and the
// finish: what scripts/run-wizard shows a person. Not a ctest entry; the
// scenarios above check each page.
TEST_F(Pages, tour) {
  HWND main = startAtWelcome(d, o);
  d.step("the About box");
  PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0);
  HWND about = d.waitWindow(kAboutBox);
  d.screenshot(about, "about");
  d.click(about, IDOK);
  d.waitGone(about, "the About box");
  HWND licence = openLicence(d, main, false);
  d.step("the exit confirmation");
  d.click(licence, 2);
  HWND exitDialog = d.waitWindow(kExitDialog);
  d.screenshot(exitDialog, "exit-confirmation");
  d.click(exitDialog, 2);
  d.waitGone(exitDialog, "the exit confirmation");
  licence = d.waitWindow(kLicencePage);
  tickAgree(d, licence, true);
  d.screenshot(licence, "licence-accepted");
  main = installWatchingProgress(d, licence);
  d.step("\"完成\"");
  d.click(main, 1001);
  d.waitExit();
}



}  // namespace


}  // namespace velkor::e2e
