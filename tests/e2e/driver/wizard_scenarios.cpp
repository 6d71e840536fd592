#include "wizard_scenarios.h"

#include <windows.h>
#include <shlobj.h>

#include "lib/wine_env.h"
#include "verify.h"

namespace velkor::e2e {
namespace {

// The three dialogs share one caption; their controls tell them apart.
const std::wstring kCaption = L"安装 - VelkorCrypt6.0";
const WindowQuery kMainWindow{kCaption, {1000, 1001, 1011}, {1017}, "main window"};
const WindowQuery kLicencePage{kCaption, {1, 2, 1007, 1017}, {1011}, "licence page"};
const WindowQuery kExitDialog{kCaption, {1, 2, 1004, 1005}, {1011, 1017}, "exit confirmation"};

const std::wstring kBack = L"< 上一步 (&B)";
const std::wstring kInstall = L"安装 (&I)";
const std::wstring kAntivirus = L"警告：如果你的杀毒软件拦截了本软件，请予放行。";

std::wstring startSetup(Driver& d, const Options& o) {
  std::wstring program = o.program;
  if (!o.copyTo.empty()) {
    d.step("copy the setup file to " + utf8(o.copyTo));
    // Every folder level of the destination, outermost first.
    for (std::size_t at = o.copyTo.find(L'\\', 3); at != std::wstring::npos; at = o.copyTo.find(L'\\', at + 1))
      CreateDirectoryW(o.copyTo.substr(0, at).c_str(), nullptr);
    d.expect(CopyFileW(o.program.c_str(), o.copyTo.c_str(), FALSE) != FALSE, "the copy to be made",
             "error " + std::to_string(GetLastError()));
    program = o.copyTo;
  }
  d.step("start the setup");
  d.start(program, L"", o.workingDirectory);
  return program;
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

// From the licence page with the box ticked to the finish page.
HWND install(Driver& d, HWND licence) {
  d.step("accept and install");
  d.click(licence, 1);
  d.waitGone(licence, "the licence page");
  HWND main = d.waitWindow(kMainWindow);
  d.waitUntil(
      "the installation to end (1001 \"完成\" or \"确定\")",
      [&] {
        const auto t = d.text(main, 1001);
        return t == L"完成" || t == L"确定";
      },
      [&] { return "1001 \"" + utf8(d.text(main, 1001)) + "\", 1012 \"" + utf8(d.text(main, 1012)) + "\""; },
      d.timeouts.install);
  d.screenshot(main, "finish");
  return main;
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

enum class Finish { Button, Enter, Escape, CloseBox };

void finishAndVerify(Driver& d, HWND main, const testenv::WindowsVersion& v, Finish how) {
  switch (how) {
    case Finish::Button:
      d.step("\"完成\" finishes");
      d.click(main, 1001);
      break;
    case Finish::Enter:
      d.step("Enter finishes");
      d.key(main, VK_RETURN);
      break;
    case Finish::Escape:
      d.step("Esc finishes");
      d.key(main, VK_ESCAPE);
      break;
    case Finish::CloseBox:
      d.step("the close box finishes");
      d.postClose(main);
      break;
  }
  if (v.major == 6 && v.minor == 0) {
    // The log-off path: the product is started minimised, then the session ends.
    d.waitExit();
  } else {
    waitProductWindow(d);
    d.waitExit();
    verifyFinishFonts(d, v);
  }
  verifyMarkerAfterFinish(d, v);
}

// Start, welcome, licence accepted, installation, finish page verified.
HWND installToFinishPage(Driver& d, const Options& o, const testenv::WindowsVersion& v) {
  const std::wstring setup = startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("the welcome page");
  expectWelcome(d, main);
  d.screenshot(main, "welcome");
  HWND licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  d.screenshot(licence, "licence-accepted");
  main = install(d, licence);
  expectFinishPage(d, main, v);
  verifyInstallation(d, setup, v);
  return main;
}

}  // namespace

void welcomePage(Driver& d, const Options& o) {
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("the welcome page");
  expectWelcome(d, main);
  d.screenshot(main, "welcome");
  d.step("Cancel closes the wizard");
  d.click(main, 1001);
  d.waitExit();
  verifyNothingInstalled(d);
}

void welcomeEscape(Driver& d, const Options& o) {
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("Esc on the welcome page");
  expectWelcome(d, main);
  d.key(main, VK_ESCAPE);
  d.waitExit();
  verifyNothingInstalled(d);
}

void refusalPage(Driver& d, const Options& o) {
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
  d.step("\"确定\" closes the wizard");
  d.click(main, 1001);
  d.waitExit();
  verifyNothingInstalled(d);
}

void licenceBack(Driver& d, const Options& o) {
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.screenshot(main, "welcome");
  HWND licence = openLicence(d, main, false);
  d.step("tick and clear the agree box");
  tickAgree(d, licence, true);
  d.screenshot(licence, "licence-ticked");
  tickAgree(d, licence, false);
  d.step("back without acceptance");
  d.click(licence, 1);
  d.waitGone(licence, "the licence page");
  main = d.waitWindow(kMainWindow);
  expectWelcome(d, main);
  d.screenshot(main, "welcome-again");
  d.step("Cancel closes the wizard");
  d.click(main, 1001);
  d.waitExit();
  verifyNothingInstalled(d);
}

void licenceCancel(Driver& d, const Options& o) {
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  HWND licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  d.step("Cancel asks for confirmation");
  d.click(licence, 2);
  HWND exitDialog = d.waitWindow(kExitDialog);
  d.expect(!IsWindowVisible(licence), "the licence page hidden", "visible");
  d.expectText(exitDialog, 1004, L"安装尚未完成, 如果现在退出您的程序将不能安装。");
  d.expectText(exitDialog, 1002, L"您可以以后再运行安装程序继续安装。");
  d.expectText(exitDialog, 1005, L"退出安装程序吗?");
  d.expectText(exitDialog, 1, L"是(&Y)");
  d.expectText(exitDialog, 2, L"否(&N)");
  d.screenshot(exitDialog, "exit-confirmation");
  d.step("\"否(&N)\" returns to the licence page as it was");
  d.click(exitDialog, 2);
  d.waitGone(exitDialog, "the exit confirmation");
  licence = d.waitWindow(kLicencePage);
  d.expect(d.checked(licence, 1017), "the agree box still ticked", "clear");
  d.expectText(licence, 1, kInstall);
  d.step("\"是(&Y)\" leaves the setup");
  d.click(licence, 2);
  exitDialog = d.waitWindow(kExitDialog);
  d.click(exitDialog, 1);
  d.waitExit();
  verifyNothingInstalled(d);
}

void fullInstallation(Driver& d, const Options& o) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);
}

void finishByEscape(Driver& d, const Options& o) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Escape);
}

void finishByCloseBox(Driver& d, const Options& o) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::CloseBox);
}

void reinstallation(Driver& d, const Options& o) {
  const auto& v = testenv::currentWindowsVersion();
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);
  d.step("close the started product");
  for (HWND w : windowsWithCaption(L"VelkorCrypt.exe")) PostMessageW(w, WM_CLOSE, 0, 0);
  d.waitUntil(
      "the product's window to close", [] { return windowsWithCaption(L"VelkorCrypt.exe").empty(); },
      [] { return std::string("still shown"); }, d.timeouts.window);
  d.step("a second installation over the first");
  // Shortcuts are overwritten in place: verifyShortcuts counts the group's entries.
  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);
}

void refusalEnter(Driver& d, const Options& o) {
  startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.step("the refusal page");
  d.expectText(main, 1001, L"确定");
  d.expectVisible(main, 1000, false);
  HWND licence = openLicence(d, main, true);
  d.step("back to the refusal page");
  d.click(licence, 1);
  d.waitGone(licence, "the licence page");
  main = d.waitWindow(kMainWindow);
  d.expectText(main, 1001, L"确定");
  d.expectText(main, 1005, L"安装失败！");
  d.expectVisible(main, 1000, false);
  d.step("Esc closes the wizard");
  d.key(main, VK_ESCAPE);
  d.waitExit();
  verifyNothingInstalled(d);
}

void backThenInstall(Driver& d, const Options& o) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring setup = startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  HWND licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  tickAgree(d, licence, false);
  d.step("back without acceptance");
  d.click(licence, 1);
  d.waitGone(licence, "the licence page");
  main = d.waitWindow(kMainWindow);
  expectWelcome(d, main);
  // A fresh page: the box is clear again.
  licence = openLicence(d, main, false);
  tickAgree(d, licence, true);
  main = install(d, licence);
  expectFinishPage(d, main, v);
  verifyInstallation(d, setup, v);
  finishAndVerify(d, main, v, Finish::Button);
}

void enterInstallation(Driver& d, const Options& o) {
  const auto& v = testenv::currentWindowsVersion();
  const std::wstring setup = startSetup(d, o);
  HWND main = d.waitWindow(kMainWindow);
  d.screenshot(main, "welcome");
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

std::wstring userFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
  return path;
}

bool keyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void touch(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

std::string narrowPath(const std::wstring& w) {
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  if (!out.empty()) out.pop_back();
  return out;
}

}  // namespace

void earlierGenerations(Driver& d, const Options& o) {
  const auto& v = testenv::currentWindowsVersion();
  d.step("seed what every earlier generation left");
  const std::wstring dir = L"C:\\Program Files\\VelkorCrypt\\";
  const std::wstring desktop = userFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring group = userFolder(CSIDL_PROGRAMS) + L"\\VelkorCrypt";
  for (const wchar_t* path : kOldClassKeys) {
    HKEY key = nullptr;
    d.expect(RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
                 ERROR_SUCCESS,
             "seeded key " + narrowPath(path), "not created");
    RegCloseKey(key);
  }
  CreateDirectoryW(L"C:\\Program Files", nullptr);
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW(group.c_str(), nullptr);
  for (const wchar_t* name : kOldDesktopLinks) touch(desktop + name);
  for (const wchar_t* name : kOldGroupLinks) touch(group + name);
  for (const wchar_t* name : kOldFiles) touch(dir + name);

  finishAndVerify(d, installToFinishPage(d, o, v), v, Finish::Button);

  d.step("nothing of the earlier generations is left");
  for (const wchar_t* path : kOldClassKeys)
    d.expect(!keyExists(path), "key " + narrowPath(path) + " removed", "still there");
  // "VKA archive\shellex" itself is never deleted, so its parent stays.
  d.expect(keyExists(L"VKA archive\\shellex"), "\"VKA archive\\shellex\" kept", "removed");
  for (const wchar_t* name : kOldDesktopLinks)
    d.expect(GetFileAttributesW((desktop + name).c_str()) == INVALID_FILE_ATTRIBUTES,
             "desktop link " + narrowPath(name) + " removed", "still there");
  for (const wchar_t* name : kOldGroupLinks)
    d.expect(GetFileAttributesW((group + name).c_str()) == INVALID_FILE_ATTRIBUTES,
             "program-group link " + narrowPath(name) + " removed", "still there");
  for (const wchar_t* name : kOldFiles)
    d.expect(GetFileAttributesW((dir + name).c_str()) == INVALID_FILE_ATTRIBUTES,
             "old file " + narrowPath(name) + " removed", "still there");
}

}  // namespace velkor::e2e
