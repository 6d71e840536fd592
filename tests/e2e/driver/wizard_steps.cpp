// The steps a user takes through the wizard, shared by every scenario file.
#include "wizard_steps.h"

#include <windows.h>
#include <shlobj.h>

#include "lib/wine_env.h"
#include "verify.h"

namespace velkor::e2e {

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

}  // namespace velkor::e2e
