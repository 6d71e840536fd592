
#include <windows.h>
#include <shlobj.h>

#include "lib/wine_env.h"
#include "verify.h"
#include "wizard_steps.h"

namespace velkor::e2e {
namespace {

// Enter still runs the Next command on a refused system; back from the
// licence page, the window is the refusal page again.
HWND throughLicenceAndBack(Driver& d, HWND main) {
  HWND licence = openLicence(d, main, true);
  d.step("back to the refusal page");
  main = leaveLicencePage(d, licence);
  d.expectText(main, 1001, L"确定");
  d.expectText(main, 1005, L"安装失败！");
  d.expectVisible(main, 1000, false);
  return main;
}

// Button 1001 ("取消" or "确定") ends the wizard, and nothing is installed.
void closeByButton(Driver& d, HWND main, const std::string& button) {
  d.step(button + " closes the wizard");
  d.click(main, 1001);
  expectEnds(d);
  verifyNothingInstalled(d);
}

}  // namespace

// The welcome page's texts and buttons; Cancel closes the wizard.
TEST_F(Wizard, welcome) {
  const std::wstring setup = startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("the welcome page");
  expectWelcome(d, main);
  d.expectVisible(main, 1018, true);
  d.screenshot(main, "welcome");
  expectLayout(d, main, setup, Dialog::Main);
  const RECT banner = [&] {
    RECT r{};
    GetWindowRect(d.control(main, 1013), &r);
    return r;
  }();
  d.expect(banner.right - banner.left == 136 && banner.bottom - banner.top == 232,
           "the banner 136x232 (it shows GIF 206)",
           std::to_string(banner.right - banner.left) + "x" + std::to_string(banner.bottom - banner.top));
  closeByButton(d, main, "Cancel");
}

// Esc on the welcome page closes the wizard
TEST_F(Wizard, welcome_escape) {
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("Esc on the welcome page");
  expectWelcome(d, main);
  d.key(main, VK_ESCAPE);
  expectEnds(d);
  verifyNothingInstalled(d);
}

// The refusal page of an unsupported system, again after the licence page; "确定" closes it.
TEST_F(Wizard, refusal) {
  const auto& v = testenv::currentWindowsVersion();
  std::wstring system;
  if (v.platform == 1)
    system = v.minor < 10 ? L"Windows95" : v.minor == 10 ? L"Windows 98Se" : L"Windows Me";
  else
    system = v.major <= 4 ? L"Windows NT" : v.minor == 0 ? L"Windows 2000" : L"Windows 2003";
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("the refusal page");
  d.expectText(main, 1003, L"Velkor超级文件加密器 安装向导提示");
  d.expectText(main, 1002, L"说明：本软件仅适用于Windows XP 或 Vista 操作系统。");
  d.expectText(main, 1004, L"您当前的操作系统是" + system + L"，本软件不予支持。");
  d.expectText(main, 1005, L"安装失败！");
  d.expectText(main, 1001, L"确定");
  d.expectVisible(main, 1000, false);
  d.screenshot(main, "refusal");
  main = throughLicenceAndBack(d, main);
  closeByButton(d, main, "\"确定\"");
}

// The licence page left without acceptance returns to the welcome page.
TEST_F(Wizard, licence_back) {
  std::wstring setup;
  HWND main = startAtWelcome(d, o, &setup);
  HWND licence = openLicence(d, main, false);
  expectLayout(d, licence, setup, Dialog::Licence);
  for (int round = 1; round <= 2; ++round) {
    d.step("tick and clear the agree box, round " + std::to_string(round));
    tickAgree(d, licence, true);
    if (round == 1) d.screenshot(licence, "licence-ticked");
    tickAgree(d, licence, false);
  }
  d.step("back without acceptance");
  main = leaveLicencePage(d, licence);
  expectWelcome(d, main);
  d.screenshot(main, "welcome-again");
  // Enter opens a fresh page: the box is clear again.
  licence = openLicence(d, main, true);
  d.step("back once more");
  main = leaveLicencePage(d, licence);
  closeByButton(d, main, "Cancel");
}

// Cancel or Esc on the licence page: "否(&N)" and Esc stay, "是(&Y)" leaves, nothing installed
TEST_F(Wizard, licence_cancel) {
  std::wstring setup;
  HWND main = startAtWelcome(d, o, &setup);
  HWND licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  d.step("Cancel asks for confirmation");
  d.click(licence, 2);
  HWND exitDialog = d.waitWindow(kExitDialog);
  d.expect(!IsWindowVisible(licence), "the licence page hidden", "visible");
  expectPlacedOverMain(d, main, exitDialog, Dialog::Exit);
  d.expectText(exitDialog, 1004, L"安装尚未完成, 如果现在退出您的程序将不能安装。");
  d.expectText(exitDialog, 1002, L"您可以以后再运行安装程序继续安装。");
  d.expectText(exitDialog, 1005, L"退出安装程序吗?");
  d.expectText(exitDialog, 1, L"是(&Y)");
  d.expectText(exitDialog, 2, L"否(&N)");
  d.screenshot(exitDialog, "exit-confirmation");
  expectLayout(d, exitDialog, setup, Dialog::Exit);
  d.step("\"否(&N)\" returns to the licence page as it was");
  d.click(exitDialog, 2);
  d.waitGone(exitDialog, "the exit confirmation");
  licence = d.waitWindow(kLicencePage);
  d.expect(d.checked(licence, 1017), "the agree box still ticked", "clear");
  d.expectText(licence, 1, kInstall);
  d.step("Esc on the licence page asks too; Esc on the confirmation stays");
  d.key(licence, VK_ESCAPE);
  exitDialog = d.waitWindow(kExitDialog);
  d.key(exitDialog, VK_ESCAPE);
  d.waitGone(exitDialog, "the exit confirmation");
  licence = d.waitWindow(kLicencePage);
  d.expect(d.checked(licence, 1017), "the agree box still ticked", "clear");
  d.step("\"是(&Y)\" leaves the setup");
  d.click(licence, 2);
  exitDialog = d.waitWindow(kExitDialog);
  d.click(exitDialog, 1);
  expectEnds(d);
  verifyNothingInstalled(d);
}

// Next, accept, install (the progress page watched), finish; every result verified
TEST_F(Wizard, install) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v, true), v, Finish::Button);
}

// A whole installation finished by Esc.
TEST_F(Wizard, finish_escape) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Escape);
}

// A whole installation finished by the close box.
TEST_F(Wizard, finish_closebox) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::CloseBox);
}

// A whole installation, then a second one over it.
TEST_F(Wizard, reinstall) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);
  closeProduct(d);
  d.step("a second installation over the first");
  // Shortcuts are overwritten in place: verifyShortcuts counts the group's entries.
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);
}

// Enter on a refused window opens the licence page; back, then Esc
TEST_F(Wizard, refusal_enter) {
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("the refusal page");
  d.expectText(main, 1001, L"确定");
  d.expectVisible(main, 1000, false);
  main = throughLicenceAndBack(d, main);
  d.step("Esc closes the wizard");
  d.key(main, VK_ESCAPE);
  d.waitExit();
  verifyNothingInstalled(d);
}

// The licence left without acceptance, then a second Next and an installation.
TEST_F(Wizard, licence_back_install) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring setup = startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  HWND licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  tickAgree(d, licence, false);
  main = install(d, backAndAcceptAgain(d, licence));
  expectFinishPage(d, main, v);
  verifyInstallation(d, setup, v);
  finishAndVerify(d, main, v, Finish::Button);
}

// The installation started and finished by Enter.
TEST_F(Wizard, install_enter) {
  const auto& v = testenv::currentWindowsVersion();
  std::wstring setup;
  HWND main = startAtWelcome(d, o, &setup);
  HWND licence = openLicence(d, main, true);
  tickAgree(d, licence, true);
  main = install(d, licence);
  expectFinishPage(d, main, v);
  d.step("the finish page stays after the Enter-started installation");
  // The text read is answered by the wizard's own thread, after the key's
  // handling has run to its end.
  d.expectText(main, 1001, L"完成");
  d.expect(d.running() && IsWindowVisible(main), "the wizard still on its finish page", "it has closed");
  verifyInstallation(d, setup, v);
  finishAndVerify(d, main, v, Finish::Enter);
}

namespace {

// What the four generations of the product left on a machine: handler and
// command keys, file-type keys, shortcuts and program files of the old names.
const wchar_t* const kOldClassKeys[] = {
    L"*\\shellex\\ContextMenuHandlers\\VelkorCrypt",
    L"Directory\\shellex\\ContextMenuHandlers\\VelkorCrypt",
    L"VKA archive\\shellex\\DropHandler",
    L"*\\shell\\Velkarencrypt or decrypt\\command",
    L"Folder\\shell\\Velkarsuper shredder\\command",
    L"*\\shell\\VELKORCRYPT super shredder\\command",
    L"Folder\\shell\\VELKORCRYPT encrypt or decrypt\\command",
    L"VKA archive\\shell\\open\\command",
    L"VKA archive\\defaultIcon",
};
const wchar_t* const kOldDesktopLinks[] = {L"\\Velkarsuper Encrypt.lnk", L"\\VelkorGuard.lnk",
                                           L"\\Uninstall.lnk", L"\\VelkorCrypt.lnk"};
const wchar_t* const kOldGroupLinks[] = {L"\\Velkarsuper Encrypt.lnk", L"\\VelkorGuard.lnk",
                                         L"\\Uninstall.lnk", L"\\VelkorCrypt.lnk"};
const wchar_t* const kOldFiles[] = {L"Uninstall.exe", L"USkin.dll", L"USkin.u3", L"RisingDragon.u3",
                                    L"VistaCn.msstyles", L"segoeui.ttf", L"VelkorCryptMenuExt.dll"};

}  // namespace

// What the four earlier generations left is removed by an installation.
TEST_F(Wizard, reinstall_generations) {
  const auto& v = testenv::currentWindowsVersion();
  d.step("seed what every earlier generation left");
  const std::wstring dir = L"C:\\Program Files\\VelkorCrypt\\";
  const std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring group = specialFolder(CSIDL_PROGRAMS) + L"\\VelkorCrypt";
  for (const wchar_t* path : kOldClassKeys) {
    HKEY key = nullptr;
    d.expect(RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
                 ERROR_SUCCESS,
             "seeded key " + utf8(path), "not created");
    RegCloseKey(key);
  }
  CreateDirectoryW(L"C:\\Program Files", nullptr);
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW(group.c_str(), nullptr);
  for (const wchar_t* name : kOldDesktopLinks) wintest::writeFile(desktop + name, {});
  for (const wchar_t* name : kOldGroupLinks) wintest::writeFile(group + name, {});
  for (const wchar_t* name : kOldFiles) wintest::writeFile(dir + name, {});

  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);

  d.step("nothing of the earlier generations is left");
  for (const wchar_t* path : kOldClassKeys)
    d.expect(!wintest::keyExists(HKEY_CLASSES_ROOT, path), "key " + utf8(path) + " removed", "still there");
  // "VKA archive\shellex" itself is never deleted, so its parent stays.
  d.expect(wintest::keyExists(HKEY_CLASSES_ROOT, L"VKA archive\\shellex"), "\"VKA archive\\shellex\" kept", "removed");
  for (const wchar_t* name : kOldDesktopLinks)
    d.expect(GetFileAttributesW((desktop + name).c_str()) == INVALID_FILE_ATTRIBUTES,
             "desktop link " + utf8(name) + " removed", "still there");
  for (const wchar_t* name : kOldGroupLinks)
    d.expect(GetFileAttributesW((group + name).c_str()) == INVALID_FILE_ATTRIBUTES,
             "program-group link " + utf8(name) + " removed", "still there");
  for (const wchar_t* name : kOldFiles)
    d.expect(GetFileAttributesW((dir + name).c_str()) == INVALID_FILE_ATTRIBUTES,
             "old file " + utf8(name) + " removed", "still there");
}

}  // namespace velkor::e2e
