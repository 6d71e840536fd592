// The steps a user takes through the wizard, shared by every scenario file:
// each step checks what the user would see and fails with what it saw.
#pragma once

#include <string>

#include "driver.h"
#include "lib/wine_env.h"
#include "scenarios.h"

namespace velkor::e2e {

// The three dialogs share one caption; their controls tell them apart.
inline const std::wstring kCaption = L"安装 - VelkorCrypt6.0";
inline const WindowQuery kMainWindow{kCaption, {1000, 1001, 1011}, {1017}, "main window"};
inline const WindowQuery kLicencePage{kCaption, {1, 2, 1007, 1017}, {1011}, "licence page"};
inline const WindowQuery kExitDialog{kCaption, {1, 2, 1004, 1005}, {1011, 1017}, "exit confirmation"};

inline const std::wstring kBack = L"< 上一步 (&B)";
inline const std::wstring kInstall = L"安装 (&I)";
inline const std::wstring kAntivirus = L"警告：如果你的杀毒软件拦截了本软件，请予放行。";

// Starts the setup (from a copy when the options ask for one); returns the
// path of the file started.
std::wstring startSetup(Driver& d, const Options& o);
void expectWelcome(Driver& d, HWND main);
HWND openLicence(Driver& d, HWND main, bool byEnter);
void tickAgree(Driver& d, HWND licence, bool on);
// From the licence page with the box ticked to the end of the installation
// (1001 reads "完成" or "确定"); returns the main window.
HWND install(Driver& d, HWND licence);
void expectFinishPage(Driver& d, HWND main, const testenv::WindowsVersion& v);
void verifyInstallation(Driver& d, const std::wstring& setup, const testenv::WindowsVersion& v);

enum class Finish { Button, Enter, Escape, CloseBox };
// Ends the finish page and checks what follows (the product started, or the
// log-off on a first installation on 6.0).
void finishAndVerify(Driver& d, HWND main, const testenv::WindowsVersion& v, Finish how);
// Start, welcome, licence accepted, installation, finish page verified.
HWND installToFinishPage(Driver& d, const Options& o, const testenv::WindowsVersion& v);

std::wstring userFolder(int csidl);
bool keyExists(const std::wstring& classesPath);  // under HKEY_CLASSES_ROOT
void touch(const std::wstring& path);
std::string narrowPath(const std::wstring& path);

}  // namespace velkor::e2e
